#include "growing_read.h"

#include <algorithm>

namespace ambertap {

GrowingRead::GrowingRead(std::size_t firstSize, std::size_t bound)
    : firstSize_(std::min(firstSize, bound)), bound_(bound), start_(firstSize_) {}

std::size_t GrowingRead::nextSize(std::size_t size) const {
    return size >= bound_ / 2 ? bound_ : 2 * size;
}

// The first size of the sequence that holds `count` bytes with room to spare.
std::size_t GrowingRead::startFor(std::size_t count) const {
    std::size_t size = firstSize_;
    while (size < bound_ && size - std::min(size, count) < roomForAnyRecord) {
        size = nextSize(size);
    }
    return size;
}

WholeRead GrowingRead::read(DeviceSystem& system, const char* deviceName) {
    WholeRead whole;
    for (std::size_t size = start_;; size = nextSize(size)) {
        if (buffer_.size() < size) {
            buffer_.resize(size);
        }
        whole.requestSize = size;
        const TraceRead read = readTrace(system, deviceName, buffer_.data(), size, nullptr);
        if (read.count == traceReadFailed) {
            // A failed request says nothing of the trace's end, however
            // large it was.
            whole.failure = read.failure;
            whole.bytes = {};
            return whole;
        }
        const auto count = static_cast<std::size_t>(read.count);
        whole.bytes = {buffer_.data(), count};
        // A driver may cut its copy at the buffer's end without a word, or
        // at the last record that fits and say it had more.
        const bool full = count == size || (read.moreThanBuffer && size - count < roomForAnyRecord);
        if (!full || size == bound_) {
            whole.status = full ? WholeRead::Status::pastBound : WholeRead::Status::whole;
            whole.moreThanReturned = read.moreThanBuffer && !full;
            start_ = startFor(count);
            return whole;
        }
    }
}

}  // namespace ambertap
