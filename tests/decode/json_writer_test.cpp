#include "json_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "case_names.h"

namespace ambertap {
namespace {

// A text that grows, as the calls view's does.
struct GrowingText {
    std::string written;
    void text(std::string_view piece) { written.append(piece); }
    void character(char c) { written.push_back(c); }
};

struct Row {
    const char* name;
    std::function<void(JsonWriter<LineWriter>&)> onLine;
    std::function<void(JsonWriter<GrowingText>&)> onGrowingText;
    std::string expected;
};

// One way of writing, run into both kinds of text.
template <typename Write>
Row row(const char* name, Write write, std::string expected) {
    return Row{name, write, write, std::move(expected)};
}

std::vector<std::uint8_t> counting(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i);
    }
    return bytes;
}

std::string spacedHex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += (text.empty() ? "" : " ") + std::string(pair);
    }
    return text;
}

const std::vector<Row>& rows() {
    static const std::vector<Row> made = {
        row(
            "PrintableAsciiAsItIs", [](auto& json) { json.string(std::string_view(" az~09")); },
            R"(" az~09")"),
        row(
            "QuoteAndBackslashEscapedByName",
            [](auto& json) { json.string(std::string_view("a\"b\\c")); }, R"("a\"b\\c")"),
        row(
            "ControlBytesAndDelAsUnicodeEscapes",
            [](auto& json) {
                const std::uint8_t bytes[] = {0x00, 0x0a, 0x1b, 0x1f, 0x7f};
                json.string(std::span<const std::uint8_t>(bytes));
            },
            R"("\u0000\u000a\u001b\u001f\u007f")"),
        row(
            "EighthBitBytesAsUnicodeEscapes",
            [](auto& json) {
                const std::uint8_t bytes[] = {'A', 0x80, 0xc3, 0xa9, 0xff, 'z'};
                json.string(std::span<const std::uint8_t>(bytes));
            },
            R"("A\u0080\u00c3\u00a9\u00ffz")"),
        row(
            "KeysEscapedAsStrings",
            [](auto& json) {
                json.beginObject();
                json.key("a\"\n");
                json.number(1);
                json.endObject();
            },
            R"({"a\"\u000a":1})"),
        row(
            "MembersAndElementsPartedByCommas",
            [](auto& json) {
                json.beginObject();
                json.key("a");
                json.number(1);
                json.key("b");
                json.beginArray();
                json.boolean(true);
                json.boolean(false);
                json.beginObject();
                json.endObject();
                json.beginArray();
                json.endArray();
                json.endArray();
                json.key("c");
                json.beginObject();
                json.key("d");
                json.string(std::string_view("x"));
                json.endObject();
                json.endObject();
            },
            R"({"a":1,"b":[true,false,{},[]],"c":{"d":"x"}})"),
        row(
            "NumbersAtTheEndsOfTheirTypes",
            [](auto& json) {
                json.beginArray();
                json.number(std::numeric_limits<std::int64_t>::min());
                json.number(std::numeric_limits<std::uint64_t>::max());
                json.number(std::uint64_t{9223372036854775808u});
                json.number(std::numeric_limits<std::uint32_t>::max());
                json.number(std::int16_t{-1});
                json.number(std::uint8_t{0});
                json.endArray();
            },
            "[-9223372036854775808,18446744073709551615,9223372036854775808,4294967295,-1,0]"),
        row(
            "HexBytesOnePairAByteOneSpaceApart",
            [](auto& json) {
                json.beginArray();
                json.hexBytes({});
                const std::uint8_t one[] = {0x0a};
                json.hexBytes(one);
                const std::uint8_t three[] = {0x81, 0x30, 0xff};
                json.hexBytes(three);
                json.endArray();
            },
            R"(["","0a","81 30 ff"])"),
        // More bytes than the writer puts into the text at once.
        row(
            "HexBytesOfALongStructure", [](auto& json) { json.hexBytes(counting(255)); },
            "\"" + spacedHex(counting(255)) + "\""),
        row(
            "WideHexSixteenDigits",
            [](auto& json) {
                json.beginArray();
                json.wideHex(0x0123456789abcdefu);
                json.wideHex(0);
                json.endArray();
            },
            R"(["0x0123456789abcdef","0x0000000000000000"])"),
        row(
            "RawValuesPartedLikeAnyOther",
            [](auto& json) {
                json.beginArray();
                json.raw([](auto& text) { text.text("\"t\""); });
                json.number(2);
                json.endArray();
            },
            R"(["t",2])"),
    };
    return made;
}

class JsonWriting : public ::testing::TestWithParam<Row> {};

TEST_P(JsonWriting, WritesOneWayIntoALine) {
    char text[2048];
    LineWriter line(text, sizeof text);
    JsonWriter json(line);
    GetParam().onLine(json);
    EXPECT_EQ(std::string(text, line.length()), GetParam().expected);
}

TEST_P(JsonWriting, WritesTheSameIntoATextThatGrows) {
    GrowingText text;
    JsonWriter json(text);
    GetParam().onGrowingText(json);
    EXPECT_EQ(text.written, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, JsonWriting, ::testing::ValuesIn(rows()), testing::NamedByRow());

}  // namespace
}  // namespace ambertap
