#include "record_views.h"

#include <algorithm>
#include <cerrno>

#include "byte_reader.h"
#include "trace_walker.h"

namespace ambertap {

namespace {

// A C library that fails a write without an error number still failed it.
int errorOfFailedWrite() {
    return errno != 0 ? errno : EIO;
}

// Ambertap's lines, exactly.
class LinesView final : public RecordView {
  public:
    explicit LinesView(std::FILE* out) : out_(out) {}

    int show(std::span<const std::uint8_t> block, std::uint64_t) override {
        return printTraceRecords(block.data(), block.size(), out_);
    }

  private:
    std::FILE* out_;
};

// Each line, then its record's bytes, sixteen to a line, indented.
class HexView final : public RecordView {
  public:
    explicit HexView(std::FILE* out) : out_(out) {}

    int show(std::span<const std::uint8_t> block, std::uint64_t) override {
        const ByteView bytes{block.data(), block.data() + block.size()};
        errno = 0;
        for (ByteView record = bytes; record.size() > 0;) {
            const std::size_t size = recordSize(record);
            if (!showRecord(ByteView{record.begin, record.begin + size})) {
                return errorOfFailedWrite();
            }
            record.begin += size;
        }
        return std::fflush(out_) == 0 ? 0 : errorOfFailedWrite();
    }

  private:
    static constexpr std::size_t bytesPerLine = 16;

    bool showRecord(ByteView record) {
        char line[traceLineRoom + 1];
        const std::size_t length = formatTraceRecord(record, line, traceLineRoom);
        line[length] = '\n';
        if (std::fwrite(line, 1, length + 1, out_) != length + 1) {
            return false;
        }
        for (const std::uint8_t* at = record.begin; at < record.end; at += bytesPerLine) {
            const std::size_t count =
                std::min(bytesPerLine, static_cast<std::size_t>(record.end - at));
            if (!showHexLine(std::span<const std::uint8_t>(at, count))) {
                return false;
            }
        }
        return true;
    }

    bool showHexLine(std::span<const std::uint8_t> bytes) {
        // "    " and " xx" for each byte, a line end and a terminator.
        char text[4 + 3 * bytesPerLine + 2];
        LineWriter line(text, sizeof text);
        line.text("   ");
        line.append(SpacedHexBytes{bytes});
        line.character('\n');
        return std::fwrite(text, 1, line.length(), out_) == line.length();
    }

    std::FILE* out_;
};

}  // namespace

std::unique_ptr<RecordView> makeRecordView(const CommandLine& line, std::FILE* out) {
    if (line.hex) {
        return std::make_unique<HexView>(out);
    }
    return std::make_unique<LinesView>(out);
}

}  // namespace ambertap
