// One whole read of the driver's trace, however long it has grown: a read
// that comes back full is repeated with a larger buffer until the trace fits
// with room to spare, up to the largest read a capture holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "capi_message.h"
#include "device_system.h"
#include "trace_device.h"

namespace ambertap {

// Room for one more record of any length (its length byte counts at most
// 255 message bytes): a trace that leaves this much of its buffer free was
// not cut by the buffer.
inline constexpr std::size_t roomForAnyRecord = TraceRecord::headerSize + UINT8_MAX;

struct WholeRead {
    enum class Status : std::uint8_t {
        whole,      // `bytes` is the driver's whole trace
        pastBound,  // `bytes` is the first largestTraceRead bytes; the trace goes on
        failed,     // the request of `requestSize` bytes failed: `failure`
    };
    Status status = Status::failed;
    std::span<const std::uint8_t> bytes;  // valid until the next read
    // The driver reported more trace than it returned into a buffer with room
    // to spare for any record: it says that it is dropping messages.
    bool moreThanReturned = false;
    std::size_t requestSize = 0;  // of the last request made
    DeviceFailure failure;
};

class GrowingRead {
  public:
    // The first request of a read is `firstSize` bytes, then twice as large
    // each time, up to `bound`; a later read starts at the size that the last
    // one needed, so that a trace that stays long costs one request a read.
    GrowingRead(std::size_t firstSize, std::size_t bound);

    WholeRead read(DeviceSystem& system, const char* deviceName);

  private:
    std::size_t nextSize(std::size_t size) const;
    std::size_t startFor(std::size_t count) const;

    std::size_t firstSize_;
    std::size_t bound_;
    std::size_t start_;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace ambertap
