// The ids a report gives its parts, so that findings, the calls table,
// arrows and decodes can link to each other.
#pragma once

#include <cstddef>
#include <cstdint>

#include "markup_output.h"

namespace ambertap::ladder {

// A message's arrow in its diagram.
inline Anchor arrowAnchor(std::size_t input, std::uint64_t record) {
    return {'a', input, record};
}
// A message's full decode.
inline Anchor decodeAnchor(std::size_t input, std::uint64_t record) {
    return {'m', input, record};
}
// The diagram that holds a call.
inline Anchor callAnchor(std::size_t input, std::uint64_t call) {
    return {'c', input, call};
}
// The diagram of an application's messages of no call on a controller.
inline Anchor noCallAnchor(std::size_t input, std::uint16_t applId, std::uint8_t controller) {
    return {'n', input, applId, controller};
}

}  // namespace ambertap::ladder
