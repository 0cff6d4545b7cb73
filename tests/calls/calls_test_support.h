// Traces for the tests of the calls model, made from hex listings, and the
// model's views of them as text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "call_model.h"

namespace ambertap::testing {

using Bytes = std::vector<std::uint8_t>;

// The bytes of a hex listing: "#" starts a comment, the rest is hexadecimal.
Bytes listingBytes(const std::string& path);

// The records of a trace, each its own bytes; the last may be cut.
std::vector<Bytes> recordsOf(const Bytes& trace);

// The records one after the other, as a trace.
Bytes traceOf(const std::vector<Bytes>& records);

// The model of a whole trace, finished.
CallModel modelOf(const Bytes& trace);

// What `calls` (text or JSON) and `check` write for the model.
std::string callsText(const CallModel& model, bool json);
std::string checkText(const CallModel& model, const char* file, CheckCounts* counts = nullptr);

// The path of a sample listing in the project's samples folder.
std::string samplePath(const std::string& name);

}  // namespace ambertap::testing
