// The lines of one record's view, built in a block of fixed room and written
// in whole blocks.
#pragma once

#include <cstddef>

#include "block_output.h"

namespace ambertap {

// The most room one line of a view may ask for: a JSON record at its longest.
inline constexpr std::size_t largestViewLine = 32 * 1024;

using RecordOutput = FixedBlockOutput<largestViewLine + 8 * 1024>;

}  // namespace ambertap
