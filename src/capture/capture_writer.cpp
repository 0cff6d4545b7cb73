#include "capture_writer.h"

namespace ambertap {

bool CaptureWriter::begin(const CaptureFacts& facts) {
    const auto header = captureHeader(facts);
    return append({header});
}

bool CaptureWriter::records(std::span<const std::uint8_t> records, std::int64_t seenAt,
                            std::uint32_t read) {
    RecordsBlockFrame frame{};
    if (!frameRecordsBlock(seenAt, read, records, frame)) {
        failedStep_ = WriteStep::write;
        error_ = SystemError{};
        return false;
    }
    return append({frame.head, records, frame.trailer});
}

bool CaptureWriter::gap(const CaptureGap& gap) {
    const auto block = gapBlock(gap);
    return append({block});
}

bool CaptureWriter::between(std::int64_t, std::int64_t nextRead) {
    return !rhythm_.due(nextRead) || flush();
}

bool CaptureWriter::finish() {
    if (!flush()) {
        return false;
    }
    if (!file_.close(error_)) {
        failedStep_ = WriteStep::flush;
        return false;
    }
    return true;
}

bool CaptureWriter::append(std::initializer_list<std::span<const std::uint8_t>> pieces) {
    if (!file_.append(pieces, error_)) {
        failedStep_ = WriteStep::write;
        return false;
    }
    rhythm_.written(clock_.steadyMilliseconds());
    return true;
}

bool CaptureWriter::flush() {
    if (!file_.flushToDisk(error_)) {
        failedStep_ = WriteStep::flush;
        return false;
    }
    rhythm_.synced();
    return true;
}

}  // namespace ambertap
