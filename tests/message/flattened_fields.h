// A decoded message as one line of text that a test compares whole.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "decoded_message.h"

namespace ambertap::testing {

inline std::vector<std::uint8_t> bytesFromHex(std::string_view hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        bytes.push_back(
            static_cast<std::uint8_t>(std::stoul(std::string(hex.substr(i, 2)), nullptr, 16)));
        i += 2;
    }
    return bytes;
}

inline std::string hexText(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, text.empty() ? "%02x" : " %02x", byte);
        text += pair;
    }
    return text;
}

// The fields after the header, one "key=value" each, keys inside structures
// after their structure's ("bProtocol.b1Protocol"): numbers in hexadecimal,
// the bytes of structures, lists and their items in brackets, text in
// quotes, bytes in angle brackets.
inline std::string flattened(const DecodedMessage& message) {
    std::string text;
    std::vector<std::string> path;
    std::vector<std::size_t> ends;
    const auto fields = message.fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Field& field = fields[i];
        while (!ends.empty() && i >= ends.back()) {
            ends.pop_back();
            path.pop_back();
        }
        if (i < headerFieldCount) {
            continue;
        }
        std::string key;
        for (const std::string& part : path) {
            key += part + ".";
        }
        key += field.key();
        std::string value;
        switch (field.type()) {
            case ParameterType::structure:
            case ParameterType::list:
            case ParameterType::group:
                value = "[" + hexText(message.bytesOf(field)) + "]" + (field.cut ? "!cut" : "");
                path.emplace_back(field.key());
                ends.push_back(field.end);
                break;
            case ParameterType::text: {
                const auto bytes = message.bytesOf(field);
                value = "\"" + std::string(bytes.begin(), bytes.end()) + "\"";
                break;
            }
            case ParameterType::bytes:
                value = "<" + hexText(message.bytesOf(field)) + ">";
                break;
            default: {
                char number[24];
                std::snprintf(number, sizeof number, "0x%llx",
                              static_cast<unsigned long long>(field.value));
                value = number;
                break;
            }
        }
        text += (text.empty() ? "" : " ") + key + "=" + value;
    }
    if (message.cut()) {
        text += " missing=" + std::string(message.missing()->key.text());
    }
    return text;
}

}  // namespace ambertap::testing
