#include "command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_names.h"

namespace ambertap {
namespace {

struct CommandLineCase {
    const char* name;
    std::vector<const char*> arguments;  // after the program's name
    AmbertraceCommand command;
    std::string usageError;
    std::vector<std::string> files{};
    bool helpWanted = false;
    bool force = false;
    bool hex = false;
    bool damaged = false;
    bool versionWanted = false;
    bool json = false;
    bool full = false;
    bool time = false;
    bool clear = false;
    std::uint64_t interval = 0;
    std::uint64_t duration = 0;
    std::uint64_t records = 0;
    std::uint64_t clearAt = 0;
    std::uint64_t appl = 0;
    std::uint64_t controller = 0;
    bool ladder = false;
    bool maskNumbers = false;
    std::uint64_t width = 0;
    bool check = false;
    std::string saveTo{};
    StopOn stopOn = StopOn::never;
    std::string output = "";
};

void PrintTo(const CommandLineCase& c, std::ostream* os) {
    *os << c.name;
}

const CommandLineCase cases[] = {
    {"save_file", {"save", "t.atr"}, AmbertraceCommand::save, "", {"t.atr"}},
    {"save_to_standard_output", {"save", "-"}, AmbertraceCommand::save, "", {"-"}},
    {"save_forced_long", {"save", "--force", "t"}, AmbertraceCommand::save, "", {"t"}, false, true},
    {"save_forced_short_after_file",
     {"save", "t", "-f"},
     AmbertraceCommand::save,
     "",
     {"t"},
     false,
     true},
    {"save_dash_named_file", {"save", "--", "-f"}, AmbertraceCommand::save, "", {"-f"}},
    {"save_without_file",
     {"save"},
     AmbertraceCommand::save,
     "ambertrace: save: no FILE given (see 'ambertrace save --help')"},
    {"save_two_files",
     {"save", "a", "b"},
     AmbertraceCommand::save,
     "ambertrace: save: one FILE only, 2 given (see 'ambertrace save --help')",
     {"a", "b"}},
    {"save_help_needs_no_file", {"save", "--help"}, AmbertraceCommand::save, "", {}, true},
    {"show_driver", {"show"}, AmbertraceCommand::show, ""},
    {"show_files_and_stdin", {"show", "a", "-", "b"}, AmbertraceCommand::show, "", {"a", "-", "b"}},
    {"show_hex_damaged",
     {"show", "--damaged", "a", "--hex"},
     AmbertraceCommand::show,
     "",
     {"a"},
     false,
     false,
     true,
     true},
    {"show_unknown_long_option",
     {"show", "--force", "a"},
     AmbertraceCommand::show,
     "ambertrace: show: unknown option '--force' (see 'ambertrace show --help')",
     {"a"}},
    {"show_unknown_letter_named_once",
     {"show", "-hx"},
     AmbertraceCommand::show,
     "ambertrace: show: unknown option '-x' (see 'ambertrace show --help')",
     {},
     true},
    {"help_command", {"help", "show"}, AmbertraceCommand::show, "", {}, true},
    {"help_general", {"help"}, AmbertraceCommand::none, "", {}, true},
    {"help_unknown_command",
     {"help", "shwo"},
     AmbertraceCommand::none,
     "ambertrace: help: no such command 'shwo' (see 'ambertrace --help')",
     {},
     true},
    {"general_help", {"--help"}, AmbertraceCommand::none, "", {}, true},
    {"general_help_short", {"-h"}, AmbertraceCommand::none, "", {}, true},
    {"version", {"--version"}, AmbertraceCommand::none, "", {}, false, false, false, false, true},
    {"show_full",
     {"show", "--full", "a"},
     AmbertraceCommand::show,
     "",
     {"a"},
     false,
     false,
     false,
     false,
     false,
     false,
     true},
    {"show_two_views",
     {"show", "--full", "--json"},
     AmbertraceCommand::show,
     "ambertrace: show: one of --hex, --full and --json at a time (see 'ambertrace show --help')"},
    {"calls_json_of_the_driver",
     {"calls", "--json"},
     AmbertraceCommand::calls,
     "",
     {},
     false,
     false,
     false,
     false,
     false,
     true},
    {"check_files", {"check", "a", "-"}, AmbertraceCommand::check, "", {"a", "-"}},
    {.name = "check_json_of_files",
     .arguments = {"check", "--json", "a", "b"},
     .command = AmbertraceCommand::check,
     .usageError = "",
     .files = {"a", "b"},
     .json = true},
    {"check_takes_no_full",
     {"check", "--full"},
     AmbertraceCommand::check,
     "ambertrace: check: unknown option '--full' (see 'ambertrace check --help')"},
    {"help_check", {"help", "check"}, AmbertraceCommand::check, "", {}, true},
    {"nothing",
     {},
     AmbertraceCommand::none,
     "ambertrace: no command given (see 'ambertrace --help')"},
    {"unknown_command",
     {"shwo", "a"},
     AmbertraceCommand::none,
     "ambertrace: no such command 'shwo' (see 'ambertrace --help')"},
    {"unknown_general_option",
     {"--hex", "show"},
     AmbertraceCommand::show,
     "ambertrace: unknown option '--hex' (see 'ambertrace --help')"},
    {.name = "record_file",
     .arguments = {"record", "c.atr"},
     .command = AmbertraceCommand::record,
     .usageError = "",
     .files = {"c.atr"}},
    {.name = "record_every_option",
     .arguments = {"record", "--interval", "50", "--duration=2", "-f", "--records", "7", "--clear",
                   "--clear-at", "9000", "c"},
     .command = AmbertraceCommand::record,
     .usageError = "",
     .files = {"c"},
     .force = true,
     .clear = true,
     .interval = 50,
     .duration = 2,
     .records = 7,
     .clearAt = 9000},
    {.name = "record_number_missing",
     .arguments = {"record", "c", "--interval"},
     .command = AmbertraceCommand::record,
     .usageError = "ambertrace: record: --interval needs a number of milliseconds (see "
                   "'ambertrace record --help')"},
    {.name = "record_number_out_of_range",
     .arguments = {"record", "--interval", "0", "c"},
     .command = AmbertraceCommand::record,
     .usageError = "ambertrace: record: --interval takes a number of milliseconds from 1 to "
                   "600000, not '0' (see 'ambertrace record --help')"},
    {.name = "record_not_a_number",
     .arguments = {"record", "--records=5x", "c"},
     .command = AmbertraceCommand::record,
     .usageError = "ambertrace: record: --records takes a number of records from 1 to "
                   "18446744073709551615, not '5x' (see 'ambertrace record --help')"},
    {.name = "record_number_too_long",
     .arguments = {"record", "--records", "18446744073709551616", "c"},
     .command = AmbertraceCommand::record,
     .usageError = "ambertrace: record: --records takes a number of records from 1 to "
                   "18446744073709551615, not '18446744073709551616' (see 'ambertrace record "
                   "--help')"},
    {.name = "record_clear_at_without_clear",
     .arguments = {"record", "--clear-at", "100", "c"},
     .command = AmbertraceCommand::record,
     .usageError = "ambertrace: record: --clear-at needs --clear (see 'ambertrace record --help')"},
    {.name = "record_flag_with_a_value",
     .arguments = {"record", "--clear=1", "c"},
     .command = AmbertraceCommand::record,
     .usageError = "ambertrace: record: --clear takes no value (see 'ambertrace record --help')"},
    {.name = "record_to_standard_output",
     .arguments = {"record", "-"},
     .command = AmbertraceCommand::record,
     .usageError = "ambertrace: record: a capture grows while it is read: give it a FILE, not - "
                   "(see 'ambertrace record --help')"},
    {.name = "record_without_file",
     .arguments = {"record", "--clear"},
     .command = AmbertraceCommand::record,
     .usageError = "ambertrace: record: no FILE given (see 'ambertrace record --help')"},
    {.name = "save_takes_no_interval",
     .arguments = {"save", "--interval", "5", "t"},
     .command = AmbertraceCommand::save,
     .usageError = "ambertrace: save: unknown option '--interval' (see 'ambertrace save --help')"},
    {.name = "show_one_application_and_controller",
     .arguments = {"show", "--appl", "65535", "--controller=127", "a"},
     .command = AmbertraceCommand::show,
     .usageError = "",
     .files = {"a"},
     .appl = 65535,
     .controller = 127},
    {.name = "calls_one_controller",
     .arguments = {"calls", "--controller", "1", "--json"},
     .command = AmbertraceCommand::calls,
     .usageError = "",
     .json = true,
     .controller = 1},
    {.name = "check_one_application",
     .arguments = {"check", "-", "--appl=2"},
     .command = AmbertraceCommand::check,
     .usageError = "",
     .files = {"-"},
     .appl = 2},
    {.name = "controller_past_its_seven_bits",
     .arguments = {"check", "--controller", "128"},
     .command = AmbertraceCommand::check,
     .usageError = "ambertrace: check: --controller takes a number of controller from 1 to 127, "
                   "not '128' (see 'ambertrace check --help')"},
    {.name = "application_zero",
     .arguments = {"calls", "--appl", "0"},
     .command = AmbertraceCommand::calls,
     .usageError = "ambertrace: calls: --appl takes a number of application ID from 1 to "
                   "65535, not '0' (see 'ambertrace calls --help')"},
    {.name = "record_takes_no_filter",
     .arguments = {"record", "--appl", "1", "c"},
     .command = AmbertraceCommand::record,
     .usageError = "ambertrace: record: unknown option '--appl' (see 'ambertrace record --help')"},
    {.name = "show_time",
     .arguments = {"show", "--time", "--hex", "a"},
     .command = AmbertraceCommand::show,
     .usageError = "",
     .files = {"a"},
     .hex = true,
     .time = true},
    {.name = "show_time_not_with_json",
     .arguments = {"show", "--time", "--json"},
     .command = AmbertraceCommand::show,
     .usageError = "ambertrace: show: --time goes with the lines, --hex and --full, not with "
                   "--json (see 'ambertrace show --help')"},
    {.name = "calls_ladder_masked_and_wide",
     .arguments = {"calls", "--ladder", "--mask-numbers", "--width=132", "a"},
     .command = AmbertraceCommand::calls,
     .usageError = "",
     .files = {"a"},
     .ladder = true,
     .maskNumbers = true,
     .width = 132},
    {.name = "calls_ladder_narrowest",
     .arguments = {"calls", "--ladder", "--width", "40"},
     .command = AmbertraceCommand::calls,
     .usageError = "",
     .ladder = true,
     .width = 40},
    {.name = "calls_ladder_too_narrow",
     .arguments = {"calls", "--ladder", "--width", "39"},
     .command = AmbertraceCommand::calls,
     .usageError = "ambertrace: calls: --width takes a number of columns from 40 to 1000, not "
                   "'39' (see 'ambertrace calls --help')"},
    {.name = "calls_ladder_not_with_json",
     .arguments = {"calls", "--ladder", "--json"},
     .command = AmbertraceCommand::calls,
     .usageError =
         "ambertrace: calls: one of --json and --ladder at a time (see 'ambertrace calls --help')"},
    {.name = "calls_width_needs_ladder",
     .arguments = {"calls", "--width", "80"},
     .command = AmbertraceCommand::calls,
     .usageError = "ambertrace: calls: --width needs --ladder (see 'ambertrace calls --help')"},
    {.name = "calls_mask_needs_ladder",
     .arguments = {"calls", "--mask-numbers", "a"},
     .command = AmbertraceCommand::calls,
     .usageError =
         "ambertrace: calls: --mask-numbers needs --ladder (see 'ambertrace calls --help')"},
    {.name = "watch_the_lines",
     .arguments = {"watch"},
     .command = AmbertraceCommand::watch,
     .usageError = ""},
    {.name = "watch_every_option",
     .arguments = {"watch", "--check", "--json", "--save", "c.atr", "-f", "--stop-on=warning",
                   "--interval", "50", "--duration", "2", "--records", "7", "--clear",
                   "--clear-at=9000", "--appl", "3", "--controller", "1"},
     .command = AmbertraceCommand::watch,
     .usageError = "",
     .force = true,
     .json = true,
     .clear = true,
     .interval = 50,
     .duration = 2,
     .records = 7,
     .clearAt = 9000,
     .appl = 3,
     .controller = 1,
     .check = true,
     .saveTo = "c.atr",
     .stopOn = StopOn::warning},
    {.name = "watch_full_saved_stops_on_error",
     .arguments = {"watch", "--full", "--time", "--stop-on", "error", "--save=-f"},
     .command = AmbertraceCommand::watch,
     .usageError = "",
     .full = true,
     .time = true,
     .saveTo = "-f",
     .stopOn = StopOn::error},
    {.name = "watch_stop_on_a_note",
     .arguments = {"watch", "--stop-on", "note"},
     .command = AmbertraceCommand::watch,
     .usageError = "ambertrace: watch: --stop-on takes error or warning, not 'note' (see "
                   "'ambertrace watch --help')"},
    {.name = "watch_stop_on_nothing",
     .arguments = {"watch", "--stop-on"},
     .command = AmbertraceCommand::watch,
     .usageError =
         "ambertrace: watch: --stop-on needs error or warning (see 'ambertrace watch --help')"},
    {.name = "watch_save_needs_a_file",
     .arguments = {"watch", "--save="},
     .command = AmbertraceCommand::watch,
     .usageError = "ambertrace: watch: --save needs FILE (see 'ambertrace watch --help')"},
    {.name = "watch_save_takes_no_option_for_its_file",
     .arguments = {"watch", "--save", "--check", "c.atr"},
     .command = AmbertraceCommand::watch,
     .usageError = "ambertrace: watch: --save needs FILE (see 'ambertrace watch --help')"},
    {.name = "watch_saved_to_standard_output",
     .arguments = {"watch", "--save", "-"},
     .command = AmbertraceCommand::watch,
     .usageError = "ambertrace: watch: a capture grows while it is read: give --save a FILE, "
                   "not - (see 'ambertrace watch --help')"},
    {.name = "watch_reads_no_file",
     .arguments = {"watch", "c.atr"},
     .command = AmbertraceCommand::watch,
     .usageError = "ambertrace: watch: no FILE: it reads the driver (--save FILE keeps the "
                   "capture) (see 'ambertrace watch --help')"},
    {.name = "watch_force_needs_save",
     .arguments = {"watch", "--force"},
     .command = AmbertraceCommand::watch,
     .usageError = "ambertrace: watch: --force needs --save (see 'ambertrace watch --help')"},
    {.name = "watch_check_not_with_full",
     .arguments = {"watch", "--check", "--full"},
     .command = AmbertraceCommand::watch,
     .usageError = "ambertrace: watch: one of --full, --json and --check at a time (--check "
                   "--json: check's JSON) (see 'ambertrace watch --help')"},
    {.name = "watch_time_not_with_check",
     .arguments = {"watch", "--check", "--time"},
     .command = AmbertraceCommand::watch,
     .usageError = "ambertrace: watch: --time goes with the lines, --hex and --full, not with "
                   "--check (see 'ambertrace watch --help')"},
    {.name = "watch_clear_at_without_clear",
     .arguments = {"watch", "--clear-at", "100"},
     .command = AmbertraceCommand::watch,
     .usageError = "ambertrace: watch: --clear-at needs --clear (see 'ambertrace watch --help')"},
    {.name = "watch_takes_no_hex",
     .arguments = {"watch", "--hex"},
     .command = AmbertraceCommand::watch,
     .usageError = "ambertrace: watch: unknown option '--hex' (see 'ambertrace watch --help')"},
    {.name = "save_takes_no_stop_on",
     .arguments = {"save", "--stop-on", "error", "t"},
     .command = AmbertraceCommand::save,
     .usageError = "ambertrace: save: unknown option '--stop-on' (see 'ambertrace save --help')"},
    {.name = "report_to_a_file",
     .arguments = {"report", "-o", "r.html", "a", "b"},
     .command = AmbertraceCommand::report,
     .usageError = "",
     .files = {"a", "b"},
     .output = "r.html"},
    {.name = "report_joined_forced_masked",
     .arguments = {"report", "a", "-fo-", "--mask-numbers", "--appl=2"},
     .command = AmbertraceCommand::report,
     .usageError = "",
     .files = {"a"},
     .force = true,
     .appl = 2,
     .maskNumbers = true,
     .output = "-"},
    {.name = "report_long_output_of_standard_input",
     .arguments = {"report", "--output=-", "-"},
     .command = AmbertraceCommand::report,
     .usageError = "",
     .files = {"-"},
     .output = "-"},
    {.name = "report_output_after_the_files_end",
     .arguments = {"report", "--output", "r.html", "--", "-o"},
     .command = AmbertraceCommand::report,
     .usageError = "",
     .files = {"-o"},
     .output = "r.html"},
    {.name = "report_without_output",
     .arguments = {"report", "a"},
     .command = AmbertraceCommand::report,
     .usageError = "ambertrace: report: no -o REPORT given (see 'ambertrace report --help')"},
    {.name = "report_output_without_name",
     .arguments = {"report", "a", "-o"},
     .command = AmbertraceCommand::report,
     .usageError =
         "ambertrace: report: --output needs a file name (see 'ambertrace report --help')"},
    {.name = "report_output_empty",
     .arguments = {"report", "a", "--output="},
     .command = AmbertraceCommand::report,
     .usageError =
         "ambertrace: report: --output needs a file name (see 'ambertrace report --help')"},
    {.name = "report_takes_no_width",
     .arguments = {"report", "-o", "r", "--width", "80"},
     .command = AmbertraceCommand::report,
     .usageError = "ambertrace: report: unknown option '--width' (see 'ambertrace report --help')"},
    {.name = "output_is_the_reports",
     .arguments = {"show", "-o", "r"},
     .command = AmbertraceCommand::show,
     .usageError = "ambertrace: show: unknown option '-o' (see 'ambertrace show --help')"},
};

class CommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, ReadsCommandOptionsAndFiles) {
    const CommandLineCase& c = GetParam();
    std::vector<const char*> vector{"ambertrace"};
    vector.insert(vector.end(), c.arguments.begin(), c.arguments.end());
    const CommandLine line = parseCommandLine(static_cast<int>(vector.size()), vector.data());
    EXPECT_EQ(line.usageError, c.usageError);
    if (!c.usageError.empty()) {
        return;
    }
    EXPECT_EQ(line.command, c.command);
    EXPECT_EQ(line.files, c.files);
    EXPECT_EQ(line.helpWanted, c.helpWanted);
    EXPECT_EQ(line.versionWanted, c.versionWanted);
    EXPECT_EQ(line.force, c.force);
    EXPECT_EQ(line.hex, c.hex);
    EXPECT_EQ(line.damaged, c.damaged);
    EXPECT_EQ(line.json, c.json);
    EXPECT_EQ(line.full, c.full);
    EXPECT_EQ(line.time, c.time);
    EXPECT_EQ(line.clear, c.clear);
    EXPECT_EQ(line.interval, c.interval);
    EXPECT_EQ(line.duration, c.duration);
    EXPECT_EQ(line.records, c.records);
    EXPECT_EQ(line.clearAt, c.clearAt);
    EXPECT_EQ(line.appl, c.appl);
    EXPECT_EQ(line.controller, c.controller);
    EXPECT_EQ(line.ladder, c.ladder);
    EXPECT_EQ(line.maskNumbers, c.maskNumbers);
    EXPECT_EQ(line.width, c.width);
    EXPECT_EQ(line.check, c.check);
    EXPECT_EQ(line.saveTo, c.saveTo);
    EXPECT_EQ(line.stopOn, c.stopOn);
    EXPECT_EQ(line.output, c.output);
}

INSTANTIATE_TEST_SUITE_P(Arguments, CommandLineTest, ::testing::ValuesIn(cases),
                         testing::NamedByRow());

}  // namespace
}  // namespace ambertap
