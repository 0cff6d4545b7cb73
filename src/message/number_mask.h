// Party numbers and subaddresses hidden for a report that leaves the
// building: every character of their digits, or of a subaddress's
// information, but the last two becomes 'x', so that their count stays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "decoded_message.h"

namespace ambertap {

// The characters of a number that stay as they are, at its end.
inline constexpr std::size_t unmaskedDigits = 2;

// Masks, in `message` (the bytes that `decoded` was walked from), every party
// number's digits and every subaddress's information, wherever the walk
// found them: in the parameters and inside the elements and services that
// carry them. Returns how many bytes it masked.
std::size_t maskNumbers(const DecodedMessage& decoded, std::span<std::uint8_t> message);

}  // namespace ambertap
