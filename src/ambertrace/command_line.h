// ambertrace's command line: a command, its options and its files, in the
// forms that git and similar tools use ("ambertrace show --hex FILE",
// "ambertrace help show", "ambertrace show --help").
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ambertap {

// What ambertrace is asked to do: its first argument (not a CAPI command).
enum class AmbertraceCommand { none, save, show, calls, check };

struct CommandLine {
    AmbertraceCommand command = AmbertraceCommand::none;
    bool helpWanted = false;  // for `command`, or in general when it is none
    bool versionWanted = false;
    bool force = false;    // save: replace an existing file
    bool hex = false;      // show: each record's bytes under its line
    bool full = false;     // show: every parameter of each message, named
    bool json = false;     // show, calls: JSON Lines, one object a record or call
    bool damaged = false;  // show: a damaged file all the same
    std::vector<std::string> files;
    std::string usageError;  // one line, empty when the command line is sound
};

CommandLine parseCommandLine(int argumentCount, const char* const* argumentVector);

// The help text of a command, or the general one for AmbertraceCommand::none.
std::string_view helpText(AmbertraceCommand command);

// The command's name as it is typed.
std::string_view commandName(AmbertraceCommand command);

}  // namespace ambertap
