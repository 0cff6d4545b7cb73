#include "option_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "ascii_arguments.h"
#include "captured_stream.h"
#include "case_names.h"

namespace ambertap {
namespace {

struct ScanCase {
    const char* name;
    std::vector<const char*> arguments;  // after the program name
    const char* optionLetters;
    std::vector<std::string> results;  // "c", "f=name" with its parameter, "?", "end"
    std::string messages;
    int finalIndex;
};

const ScanCase scanCases[] = {
    {"no_arguments", {}, "c", {"end"}, "", 1},
    {"dash_c", {"-c"}, "c", {"c", "end"}, "", 2},
    {"slash_c", {"/c"}, "c", {"c", "end"}, "", 2},
    {"grouped_cc", {"-cc"}, "c", {"c", "c", "end"}, "", 2},
    {"dash_c_then_slash_c", {"-c", "/c"}, "c", {"c", "c", "end"}, "", 3},
    {"bad_letter", {"-x"}, "c", {"?", "end"}, "Ungueltige Option: x\n", 2},
    {"bad_letter_after_c", {"-cx"}, "c", {"c", "?", "end"}, "Ungueltige Option: x\n", 2},
    {"bad_letter_before_c", {"-xc"}, "c", {"?", "c", "end"}, "Ungueltige Option: x\n", 2},
    {"bad_letter_then_dash_c", {"-x", "-c"}, "c", {"?", "c", "end"}, "Ungueltige Option: x\n", 3},
    {"every_bad_letter",
     {"-xy"},
     "c",
     {"?", "?", "end"},
     "Ungueltige Option: x\nUngueltige Option: y\n",
     2},
    {"operand_ends_options", {"foo", "-c"}, "c", {"end"}, "", 1},
    {"double_dash_letter_ends_options", {"--c"}, "c", {"end"}, "", 2},
    {"double_dash_ends_options", {"--", "-c"}, "c", {"end"}, "", 2},
    {"lone_dash_ends_options", {"-"}, "c", {"end"}, "", 1},
    {"lone_slash_ends_options", {"/"}, "c", {"end"}, "", 1},
    {"lone_slash_hides_dash_c", {"/", "-c"}, "c", {"end"}, "", 1},
    {"lone_dash_after_c", {"-c", "-", "-c"}, "c", {"c", "end"}, "", 2},
    {"colon_is_no_letter", {"-:"}, "c:", {"?", "end"}, "Ungueltige Option: :\n", 2},
    {"printable_letters_shown",
     {"-!~"},
     "c",
     {"?", "?", "end"},
     "Ungueltige Option: !\nUngueltige Option: ~\n",
     2},
    // A control character, a space, DEL and the two bytes of a UTF-8 letter.
    {"unprintable_letters_shown_as_question_marks",
     {"-\x1b \x7f\xc3\xa9"},
     "c",
     {"?", "?", "?", "?", "?", "end"},
     "Ungueltige Option: ?\nUngueltige Option: ?\nUngueltige Option: ?\nUngueltige Option: ?\n"
     "Ungueltige Option: ?\n",
     2},
    {"parameter_in_same_argument", {"-cvalue"}, "c:", {"c=value", "end"}, "", 2},
    {"parameter_in_next_argument", {"-c", "value", "rest"}, "c:", {"c=value", "end"}, "", 3},
    {"parameter_missing", {"-c"}, "c:", {"?", "end"}, "Option 'c' braucht Parameter\n", 3},
    {"grouped_with_parameter_next", {"-cf", "name"}, "cf:", {"c", "f=name", "end"}, "", 3},
    {"grouped_with_parameter_inside", {"-cfname", "-c"}, "cf:", {"c", "f=name", "c", "end"}, "", 3},
    {"grouped_parameter_missing",
     {"-cf"},
     "cf:",
     {"c", "?", "end"},
     "Option 'f' braucht Parameter\n",
     3},
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

INSTANTIATE_TEST_SUITE_P(Table, OptionScanTest, ::testing::ValuesIn(scanCases),
                         testing::NamedByRow());

TEST(OptionScan, QuietWhenErrorReportsAreOff) {
    const char* vector[] = {"ambertap", "-x", "-c", nullptr};
    OptionParser parser;
    parser.reportOptionErrors = 0;
    testing::CapturedStream err;
    EXPECT_EQ(parser.nextOption(3, vector, "c:", err.file()), badOption);
    EXPECT_EQ(parser.nextOption(3, vector, "c:", err.file()), badOption);
    EXPECT_EQ(err.text(), "");
}

// What the scanner gets of a Windows command line: look-alike letters are no
// option letters, so only "-c" itself clears the trace.
TEST(AsciiArguments, ReplaceEveryCharacterBeyondAscii) {
    const struct {
        std::u16string_view argument;
        std::string_view scanned;
    } cases[] = {
        {u"-c", "-c"},
        {u"\uff0dc", "?c"},  // fullwidth hyphen-minus
        {u"-\uff43", "-?"},  // fullwidth c
        {u"/\uff43", "/?"},
        {u"-\u0109", "-?"},      // c with circumflex
        {u"-\U0001d41c", "-?"},  // a letter beyond the first plane, a surrogate pair
        {u"-\xd835", "-?"},      // half a pair at the end
        {u"-\xdc1c"
         u"c",
         "-?c"},  // the second half alone
        {u"\u00e9\u00e9", "??"},
    };
    for (const auto& c : cases) {
        const char16_t* const vector[] = {u"ambertap", c.argument.data()};
        const AsciiArguments arguments(2, vector);
        ASSERT_EQ(arguments.count(), 2);
        EXPECT_STREQ(arguments.vector()[0], "ambertap");
        EXPECT_EQ(std::string_view(arguments.vector()[1]), c.scanned);
        EXPECT_EQ(arguments.vector()[2], nullptr);
    }
}

TEST(OptionScan, LetterBeyondAsciiIsNoEndOfOptions) {
    const char* vector[] = {"ambertap", "-\xff", nullptr};
    OptionParser parser;
    EXPECT_EQ(parser.nextOption(2, vector, "\xff", stderr), 0xff);
}

}  // namespace
}  // namespace ambertap
