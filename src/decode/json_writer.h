// JSON written piece by piece into a text that takes pieces: a line of
// bounded room (LineWriter) or a text that grows. Everything the programs
// write as JSON goes through it, so that every string, number and byte run
// is written one way.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <type_traits>

#include "json_key.h"
#include "line_writer.h"

namespace ambertap {

// `Text` takes `text(std::string_view)` and `character(char)`. The writer
// puts the commas between members and elements; a key is followed by its value.
template <typename Text>
class JsonWriter {
  public:
    explicit JsonWriter(Text& text) : text_(text) {}

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }

    void key(JsonKey name) {
        // A key is most often short and plain: the member's head in one piece.
        constexpr std::size_t shortKey = 60;
        const std::string_view text = name.text();
        if (text.size() <= shortKey && name.plain()) {
            char head[shortKey + 4];
            head[0] = ',';
            std::size_t length = needsComma_ ? 1 : 0;
            head[length++] = '"';
            std::memcpy(head + length, text.data(), text.size());
            length += text.size();
            head[length++] = '"';
            head[length++] = ':';
            text_.text(std::string_view(head, length));
        } else {
            separate();
            writeString(asBytes(text));
            text_.character(':');
        }
        needsComma_ = false;
    }

    // Any integer but bool, in decimal.
    template <typename Integer>
    requires(std::is_integral_v<Integer> &&
             !std::is_same_v<Integer, bool>) void number(Integer value) {
        if constexpr (std::is_signed_v<Integer>) {
            signedNumber(value);
        } else {
            unsignedNumber(value);
        }
    }

    void boolean(bool value) {
        separate();
        text_.text(value ? std::string_view("true") : std::string_view("false"));
        needsComma_ = true;
    }

    void string(std::span<const std::uint8_t> bytes) {
        separate();
        writeString(bytes);
        needsComma_ = true;
    }
    void string(std::string_view text) { string(asBytes(text)); }

    // "81 30 33": two lower-case hex digits a byte, one space apart.
    void hexBytes(std::span<const std::uint8_t> bytes) {
        separate();
        text_.character('"');
        constexpr std::size_t bytesAtOnce = 64;
        char pieces[3 * bytesAtOnce];
        for (std::size_t first = 0; first < bytes.size(); first += bytesAtOnce) {
            const auto some = bytes.subspan(first, std::min(bytesAtOnce, bytes.size() - first));
            char* at = pieces;
            for (const std::uint8_t byte : some) {
                *at++ = ' ';
                at = std::copy_n(hexPairOf(byte), 2, at);
            }
            // No space before the first byte.
            const std::size_t skip = first == 0 ? 1 : 0;
            text_.text(
                std::string_view(pieces + skip, static_cast<std::size_t>(at - pieces) - skip));
        }
        text_.character('"');
        needsComma_ = true;
    }

    // "0x0123456789abcdef": sixteen hex digits.
    void wideHex(std::uint64_t value) {
        separate();
        char digits[20] = {'"', '0', 'x'};
        for (std::size_t pair = 0; pair < 8; ++pair) {
            const auto byte = static_cast<std::uint8_t>(value >> (8 * (7 - pair)));
            std::copy_n(hexPairOf(byte), 2, digits + 3 + 2 * pair);
        }
        digits[19] = '"';
        text_.text(std::string_view(digits, sizeof digits));
        needsComma_ = true;
    }

    // A value that `write` puts into the text itself, whole and valid.
    template <typename Write>
    void raw(Write write) {
        separate();
        write(text_);
        needsComma_ = true;
    }

  private:
    static const char* hexPairOf(std::uint8_t byte) {
        return &detail::hexPairs[std::size_t{2} * byte];
    }

    void signedNumber(std::int64_t value) {
        separate();
        text_.text(DecimalText(value).view());
        needsComma_ = true;
    }
    void unsignedNumber(std::uint64_t value) {
        separate();
        text_.text(DecimalText(value).view());
        needsComma_ = true;
    }

    static std::span<const std::uint8_t> asBytes(std::string_view text) {
        return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
    }

    static bool isPlain(std::span<const std::uint8_t> bytes) {
        return isPlainJsonText({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    }

    void writeString(std::span<const std::uint8_t> bytes) {
        if (isPlain(bytes)) {
            text_.character('"');
            writePlain(bytes);
            text_.character('"');
            return;
        }
        text_.character('"');
        std::size_t plain = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (!standsInJsonString(bytes[i])) {
                writePlain(bytes.subspan(plain, i - plain));
                writeEscape(bytes[i]);
                plain = i + 1;
            }
        }
        writePlain(bytes.subspan(plain));
        text_.character('"');
    }

    void writePlain(std::span<const std::uint8_t> bytes) {
        if (!bytes.empty()) {
            text_.text(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        }
    }

    void writeEscape(std::uint8_t byte) {
        if (byte == '"' || byte == '\\') {
            const char escape[] = {'\\', static_cast<char>(byte)};
            text_.text(std::string_view(escape, sizeof escape));
            return;
        }
        const char* const pair = hexPairOf(byte);
        const char escape[] = {'\\', 'u', '0', '0', pair[0], pair[1]};
        text_.text(std::string_view(escape, sizeof escape));
    }

    void open(char bracket) {
        separate();
        text_.character(bracket);
        needsComma_ = false;
    }
    void close(char bracket) {
        text_.character(bracket);
        needsComma_ = true;
    }
    void separate() {
        if (needsComma_) {
            text_.character(',');
        }
    }

    Text& text_;
    bool needsComma_ = false;
};

}  // namespace ambertap
