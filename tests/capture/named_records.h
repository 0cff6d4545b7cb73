// Traces written as letters, for the capture's tests: each record holds one
// message byte that names it, so that what a step keeps reads as a word.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ambertap::testing {

// Records of one message byte each, told apart by it: "a" is 01 01 0a; "-"
// is a record cut after its direction.
inline std::vector<std::uint8_t> records(const std::string& names) {
    std::vector<std::uint8_t> bytes;
    for (const char name : names) {
        if (name == '-') {
            bytes.push_back(0x01);
        } else {
            bytes.insert(bytes.end(), {0x01, 0x01, static_cast<std::uint8_t>(name - 'a' + 10)});
        }
    }
    return bytes;
}

inline std::string namesOf(std::span<const std::uint8_t> bytes) {
    std::string names;
    for (std::size_t at = 0; at + 3 <= bytes.size(); at += 3) {
        names += static_cast<char>('a' + bytes[at + 2] - 10);
    }
    return names;
}

}  // namespace ambertap::testing
