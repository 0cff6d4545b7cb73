#include "number_mask.h"

#include <algorithm>
#include <string_view>

namespace ambertap {

namespace {

constexpr std::string_view digitsKey = "digits";
constexpr std::string_view subaddressInformationKey = "information";

bool namesSubaddress(std::string_view key) {
    return key.find("ubaddress") != std::string_view::npos;
}

std::size_t maskValue(const Field& field, std::span<std::uint8_t> message) {
    if (field.offset >= message.size() || field.length <= unmaskedDigits) {
        return 0;
    }
    const std::size_t end = std::min<std::size_t>(message.size(), field.offset + field.length);
    const std::size_t last = end - unmaskedDigits;
    for (std::size_t at = field.offset; at < last; ++at) {
        message[at] = 'x';
    }
    return last > field.offset ? last - field.offset : 0;
}

}  // namespace

std::size_t maskNumbers(const DecodedMessage& decoded, std::span<std::uint8_t> message) {
    const std::span<const Field> fields = decoded.fields();
    std::size_t masked = 0;
    std::size_t subaddressEnd = 0;  // index after the subaddress's fields; 0: in none
    for (std::size_t index = 0; index < fields.size(); ++index) {
        const Field& field = fields[index];
        if (index >= subaddressEnd) {
            subaddressEnd = 0;
        }
        if (namesSubaddress(field.key())) {
            subaddressEnd = field.end;
        }
        const bool information = subaddressEnd != 0 && field.key() == subaddressInformationKey;
        if (field.key() == digitsKey || information) {
            masked += maskValue(field, message);
        }
    }
    return masked;
}

}  // namespace ambertap
