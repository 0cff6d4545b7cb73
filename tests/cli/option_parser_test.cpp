#include "option_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "captured_stream.h"

namespace ambertap {
namespace {

struct ScanCase {
    std::vector<const char*> arguments;  // after the program name
    const char* optionLetters;
    std::vector<std::string> results;  // "c", "f=name" with its parameter, "?", "end"
    std::string messages;
    int finalIndex;
};

const ScanCase scanCases[] = {
    {{}, "c", {"end"}, "", 1},
    {{"-c"}, "c", {"c", "end"}, "", 2},
    {{"/c"}, "c", {"c", "end"}, "", 2},
    {{"-cc"}, "c", {"c", "c", "end"}, "", 2},
    {{"-c", "/c"}, "c", {"c", "c", "end"}, "", 3},
    {{"-x"}, "c", {"?", "end"}, "Ungueltige Option: x\n", 2},
    {{"-cx"}, "c", {"c", "?", "end"}, "Ungueltige Option: x\n", 2},
    {{"-xc"}, "c", {"?", "c", "end"}, "Ungueltige Option: x\n", 2},
    {{"-x", "-c"}, "c", {"?", "c", "end"}, "Ungueltige Option: x\n", 3},
    {{"-xy"}, "c", {"?", "?", "end"}, "Ungueltige Option: x\nUngueltige Option: y\n", 2},
    {{"foo", "-c"}, "c", {"end"}, "", 1},
    {{"--c"}, "c", {"end"}, "", 2},
    {{"--", "-c"}, "c", {"end"}, "", 2},
    {{"-"}, "c", {"end"}, "", 1},
    {{"/"}, "c", {"end"}, "", 1},
    {{"/", "-c"}, "c", {"end"}, "", 1},
    {{"-c", "-", "-c"}, "c", {"c", "end"}, "", 2},
    {{"-:"}, "c:", {"?", "end"}, "Ungueltige Option: :\n", 2},
    {{"-cvalue"}, "c:", {"c=value", "end"}, "", 2},
    {{"-c", "value", "rest"}, "c:", {"c=value", "end"}, "", 3},
    {{"-c"}, "c:", {"?", "end"}, "Option 'c' braucht Parameter\n", 3},
    {{"-cf", "name"}, "cf:", {"c", "f=name", "end"}, "", 3},
    {{"-cfname", "-c"}, "cf:", {"c", "f=name", "c", "end"}, "", 3},
    {{"-cf"}, "cf:", {"c", "?", "end"}, "Option 'f' braucht Parameter\n", 3},
};

std::string describe(int result, const char* parameter) {
    if (result == endOfOptions) {
        return "end";
    }
    std::string text(1, static_cast<char>(result));
    return parameter == nullptr ? text : text + "=" + parameter;
}

class OptionScanTest : public ::testing::TestWithParam<ScanCase> {};

// Calls the scanner until the options are over, as the program does.
TEST_P(OptionScanTest, ScansToTheEnd) {
    const ScanCase& c = GetParam();
    std::vector<const char*> vector{"ambertap"};
    vector.insert(vector.end(), c.arguments.begin(), c.arguments.end());
    vector.push_back(nullptr);
    const int count = static_cast<int>(vector.size()) - 1;
    OptionParser parser;
    testing::CapturedStream err;

    std::vector<std::string> results;
    for (int call = 0; call < 10; ++call) {
        parser.optionArgument = nullptr;
        const int result = parser.nextOption(count, vector.data(), c.optionLetters, err.file());
        results.push_back(describe(result, parser.optionArgument));
        if (result == endOfOptions) {
            break;
        }
    }
    EXPECT_EQ(results, c.results);
    EXPECT_EQ(err.text(), c.messages);
    EXPECT_EQ(parser.optionIndex, c.finalIndex);
}

INSTANTIATE_TEST_SUITE_P(Table, OptionScanTest, ::testing::ValuesIn(scanCases));

TEST(OptionScan, QuietWhenErrorReportsAreOff) {
    const char* vector[] = {"ambertap", "-x", "-c", nullptr};
    OptionParser parser;
    parser.reportOptionErrors = 0;
    testing::CapturedStream err;
    EXPECT_EQ(parser.nextOption(3, vector, "c:", err.file()), badOption);
    EXPECT_EQ(parser.nextOption(3, vector, "c:", err.file()), badOption);
    EXPECT_EQ(err.text(), "");
}

TEST(OptionScan, LetterBeyondAsciiIsNoEndOfOptions) {
    const char* vector[] = {"ambertap", "-\xff", nullptr};
    OptionParser parser;
    EXPECT_EQ(parser.nextOption(2, vector, "\xff", stderr), 0xff);
}

}  // namespace
}  // namespace ambertap
