// ambertrace's command line: a command, its options and its files, in the
// forms that git and similar tools use ("ambertrace show --hex FILE",
// "ambertrace help show", "ambertrace show --help").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ambertap {

// What ambertrace is asked to do: its first argument (not a CAPI command).
enum class AmbertraceCommand { none, save, record, watch, show, calls, check, report };

// watch --stop-on: the least severity of a finding that ends the capture.
enum class StopOn : std::uint8_t { never, warning, error };

struct CommandLine {
    AmbertraceCommand command = AmbertraceCommand::none;
    bool helpWanted = false;  // for `command`, or in general when it is none
    bool versionWanted = false;
    bool force = false;        // save, record, report: replace an existing file
    bool hex = false;          // show: each record's bytes under its line
    bool full = false;         // show: every parameter of each message, named
    bool json = false;         // show, calls: JSON Lines, one object a record or call
    bool damaged = false;      // show: a damaged file all the same
    bool time = false;         // show: the time each record was first seen before its line
    bool clear = false;        // record: clear the driver's trace once it is past clearAt
    bool check = false;        // watch: check's findings rather than the lines
    bool ladder = false;       // calls: the text ladder of each call
    bool maskNumbers = false;  // calls --ladder, report: party numbers and subaddresses masked
    std::uint64_t width = 0;   // calls --ladder: columns (0: the terminal's, or 100)
    // record: ms from one read to the next, seconds and records to stop after
    // (0: no limit), and bytes past which --clear clears (0: its default).
    std::uint64_t interval = 0;
    std::uint64_t duration = 0;
    std::uint64_t records = 0;
    std::uint64_t clearAt = 0;
    // show, calls, check: keep only the messages of this application (ApplID)
    // and of this controller (0: all).
    std::uint64_t appl = 0;
    std::uint64_t controller = 0;
    // watch: the capture file that keeps what is watched (empty: none), and
    // the findings that end the capture.
    std::string saveTo;
    StopOn stopOn = StopOn::never;
    std::string output;  // report: the file it writes ("-": standard output)
    std::vector<std::string> files;
    std::string usageError;  // one line, empty when the command line is sound
};

CommandLine parseCommandLine(int argumentCount, const char* const* argumentVector);

// The help text of a command, or the general one for AmbertraceCommand::none.
std::string_view helpText(AmbertraceCommand command);

// The command's name as it is typed.
std::string_view commandName(AmbertraceCommand command);

}  // namespace ambertap
