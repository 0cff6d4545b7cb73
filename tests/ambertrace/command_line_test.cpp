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
    {"check_takes_no_json",
     {"check", "--json"},
     AmbertraceCommand::check,
     "ambertrace: check: unknown option '--json' (see 'ambertrace check --help')"},
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
}

INSTANTIATE_TEST_SUITE_P(Arguments, CommandLineTest, ::testing::ValuesIn(cases),
                         testing::NamedByRow());

}  // namespace
}  // namespace ambertap
