// Traces for the benchmarks, made of the records of a hex listing.
#pragma once

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace ambertap::bench {

using Bytes = std::vector<std::uint8_t>;

// The records of a hex listing: "#" starts a comment, the rest is hexadecimal
// bytes, each record its direction, its length and its message.
inline std::vector<Bytes> recordsOfListing(const char* path) {
    std::ifstream listing(path);
    Bytes bytes;
    for (std::string line; std::getline(listing, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        for (std::string word; words >> word;) {
            bytes.push_back(static_cast<std::uint8_t>(std::stoul(word, nullptr, 16)));
        }
    }
    std::vector<Bytes> records;
    for (std::size_t at = 0; at + 2 <= bytes.size(); at += std::size_t{2} + bytes[at + 1]) {
        records.emplace_back(bytes.begin() + static_cast<long>(at),
                             bytes.begin() + static_cast<long>(at + 2 + bytes[at + 1]));
    }
    return records;
}

// The records over and over, whole ones, up to `size` bytes.
inline Bytes repeatedRecords(const std::vector<Bytes>& records, std::size_t size) {
    Bytes trace;
    for (std::size_t i = 0; trace.size() + records[i % records.size()].size() <= size; ++i) {
        const Bytes& record = records[i % records.size()];
        trace.insert(trace.end(), record.begin(), record.end());
    }
    return trace;
}

}  // namespace ambertap::bench
