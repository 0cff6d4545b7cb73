// Traces for the tests of the calls model, made from hex listings, and what
// the `calls` and `check` views write for them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "call_views.h"

namespace ambertap::testing {

// The sample calls' files, in the samples folder.
inline constexpr const char* outgoing = "outgoing_data_call.hex";
inline constexpr const char* incoming = "incoming_voice_call.hex";
inline constexpr const char* busy = "busy_callee.hex";
inline constexpr const char* fax = "fax_breaks_off.hex";

using Bytes = std::vector<std::uint8_t>;

// The bytes of a hex listing: "#" starts a comment, the rest is hexadecimal.
Bytes listingBytes(const std::string& path);

// The records of a trace, each its own bytes; the last may be cut.
std::vector<Bytes> recordsOf(const Bytes& trace);

// The records one after the other, as a trace.
Bytes traceOf(const std::vector<Bytes>& records);

// A trace, and the records after which a capture lost what came between two
// reads (possible gaps).
struct Capture {
    Bytes trace;
    std::vector<std::size_t> gapsAfter;
};

// The views of a whole trace, written to `out` as the commands write them,
// holding in memory up to `memoryBound` of what waits to be written.
// Each returns 0, or the error number of the first write that failed.
int writeCalls(const Capture& capture, CallsFormat format, std::FILE* out,
               std::size_t memoryBound = OrderedSpool::defaultMemoryBound);
int writeFindings(const Capture& capture, const char* file, std::FILE* out, CheckCounts& counts,
                  CheckFormat format = CheckFormat::text,
                  std::size_t memoryBound = OrderedSpool::defaultMemoryBound);

// What `calls` (text, or JSON naming the trace "trace") and `check` write.
std::string callsText(const Capture& capture, bool json,
                      std::size_t memoryBound = OrderedSpool::defaultMemoryBound);
struct Checked {
    std::string text;
    CheckCounts counts;
};
Checked checkOf(const Capture& capture, const char* file, CheckFormat format = CheckFormat::text,
                std::size_t memoryBound = OrderedSpool::defaultMemoryBound);

// The place the model gives each record, in the order it gives them.
std::vector<RecordPlace> placesOf(const Capture& capture);

// The path of a sample listing in the project's samples folder.
std::string samplePath(const std::string& name);

}  // namespace ambertap::testing
