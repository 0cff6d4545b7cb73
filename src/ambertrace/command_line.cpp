#include "command_line.h"

#include <array>
#include <cstdio>
#include <span>

#include "capi_vocabulary.h"
#include "capture_file.h"
#include "capture_session.h"
#include "file_system.h"
#include "watch_command.h"

namespace ambertap {

namespace {

// An option that takes a number: where it goes, the numbers it takes, and
// what they count.
struct NumberOption {
    std::uint64_t CommandLine::*value;
    std::uint64_t least;
    std::uint64_t most;
    std::string_view counts;
};

// A word that an option takes, and what it stands for.
struct ChoiceWord {
    std::string_view word;
    StopOn value;
};

// An option that takes a text: a name as it is, or one of its words.
struct TextOption {
    std::string_view valueName;  // as the usage error names it
    std::string CommandLine::*text = nullptr;
    StopOn CommandLine::*choice = nullptr;  // with `text` null
    std::span<const ChoiceWord> words{};
};

struct Option {
    std::string_view longName;  // without its dashes
    char shortName;             // '\0' for none
    bool CommandLine::*flag;
    const NumberOption* number = nullptr;  // with `flag` null
    const TextOption* text = nullptr;      // with `flag` and `number` null
};

struct CommandEntry {
    AmbertraceCommand command;
    std::string_view name;
    std::vector<Option> options;
    std::string help;
};

const Option helpOption{"help", 'h', &CommandLine::helpWanted};
const Option forceOption{"force", 'f', &CommandLine::force};

constexpr std::uint64_t secondsOfAYear = 366ull * 24 * 3600;
const NumberOption intervalNumber{&CommandLine::interval, 1, 600000, "milliseconds"};
const NumberOption durationNumber{&CommandLine::duration, 1, secondsOfAYear, "seconds"};
const NumberOption recordsNumber{&CommandLine::records, 1, UINT64_MAX, "records"};
const NumberOption clearAtNumber{&CommandLine::clearAt, 1, largestTraceRead, "bytes"};
const NumberOption widthNumber{&CommandLine::width, 40, 1000, "columns"};
const Option maskNumbersOption{"mask-numbers", '\0', &CommandLine::maskNumbers};
const NumberOption applNumber{&CommandLine::appl, 1, UINT16_MAX, "application ID"};
const NumberOption controllerNumber{&CommandLine::controller, 1, CapiAddress::controllerMask,
                                    "controller"};
const Option applOption{"appl", '\0', nullptr, &applNumber};
const Option controllerOption{"controller", '\0', nullptr, &controllerNumber};
const Option intervalOption{"interval", '\0', nullptr, &intervalNumber};
const Option durationOption{"duration", '\0', nullptr, &durationNumber};
const Option recordsOption{"records", '\0', nullptr, &recordsNumber};
const Option clearOption{"clear", '\0', &CommandLine::clear};
const Option clearAtOption{"clear-at", '\0', nullptr, &clearAtNumber};

constexpr std::array<ChoiceWord, 2> stopOnWords{
    {{"error", StopOn::error}, {"warning", StopOn::warning}}};
const TextOption saveText{"FILE", &CommandLine::saveTo};
const TextOption stopOnText{"error or warning", nullptr, &CommandLine::stopOn, stopOnWords};
const TextOption outputText{"a file name", &CommandLine::output};

// The help of the options above, for each command that takes them.
std::string withFilterHelp(std::string_view before, std::string_view after) {
    return std::string(before) +
           "  --appl N      only the messages of application N (their ApplID)\n"
           "  --controller N\n"
           "                only the messages of controller N, internal or external;\n"
           "                the records kept keep their numbers in the trace\n" +
           std::string(after);
}

std::string recordHelp() {
    char text[2048];
    std::snprintf(text, sizeof text,
                  "usage: ambertrace record [--interval MS] [--duration SECONDS] [--records N]\n"
                  "                         [--clear [--clear-at BYTES]] [--force] FILE\n"
                  "\n"
                  "Reads the driver's trace over and over and appends to FILE, a capture file,\n"
                  "each record that the trace did not hold at the read before, as soon as it is\n"
                  "seen. It never clears the trace unless --clear asks. Where messages may be\n"
                  "missing (the trace was cleared or started again, or a --clear), FILE marks a\n"
                  "gap. Stops on Ctrl-C, after --duration or --records, then finishes FILE and\n"
                  "prints one line: records, bytes, time and gaps. FILE is readable at every\n"
                  "moment: show FILE shows what it holds, also while it grows.\n"
                  "\n"
                  "  --interval MS       read every MS milliseconds (default %u)\n"
                  "  --duration SECONDS  stop after SECONDS\n"
                  "  --records N         stop once N records are kept\n"
                  "  --clear             clear the driver's trace at once after a read that holds\n"
                  "                      --clear-at bytes, so that it never fills; what is traced\n"
                  "                      between that read and the clear is lost, and FILE marks\n"
                  "                      each such window as a possible gap\n"
                  "  --clear-at BYTES    the threshold of --clear (default %lu)\n"
                  "  -f, --force         replace FILE if it exists (it is refused otherwise)\n"
                  "  -h, --help          show this help\n",
                  unsigned{defaultReadInterval}, static_cast<unsigned long>(defaultClearAt));
    return text;
}

std::string watchHelp() {
    char text[3072];
    std::snprintf(
        text, sizeof text,
        "usage: ambertrace watch [--full | --json | --check [--json]] [--time]\n"
        "                        [--save FILE [--force]] [--stop-on error|warning]\n"
        "                        [--interval MS] [--duration SECONDS] [--records N]\n"
        "                        [--clear [--clear-at BYTES]] [--appl N] [--controller N]\n"
        "\n"
        "Reads the driver's trace over and over, as record does, and shows each record\n"
        "as soon as it is seen: its line as show prints it, or every parameter (--full),\n"
        "or a JSON object (--json), or, with --check, each finding of check as soon as\n"
        "the trace proves it, then check's summary and its exit codes. Where messages\n"
        "may be missing, a line of its own begins with -- gap. Stops as record does,\n"
        "and prints one line: records, bytes, time and gaps.\n"
        "\n"
        "  --full, --json, --time  as show's\n"
        "  --check             check's findings as they are proven (--json: as check's)\n"
        "  --save FILE         keep the capture in FILE too, the file that record makes\n"
        "  -f, --force         replace FILE if it exists (it is refused otherwise)\n"
        "  --stop-on error     end the capture %lld s after check first finds an error\n"
        "                      (warning: a warning or an error), so that the messages\n"
        "                      after the fault are kept\n"
        "  --interval MS, --duration SECONDS, --records N, --clear, --clear-at BYTES\n"
        "                      as record's (--interval: default %u)\n",
        static_cast<long long>(stopOnDelay / 1000), unsigned{defaultReadInterval});
    return withFilterHelp(text, "  -h, --help          show this help\n");
}

const std::array<CommandEntry, 7> commands{{
    {AmbertraceCommand::save,
     "save",
     {helpOption, forceOption},
     "usage: ambertrace save [--force] FILE\n"
     "\n"
     "Reads the driver's trace once, without clearing it, and saves its bytes as\n"
     "they are into FILE, in the trace file format; - writes that format to\n"
     "standard output. FILE is written whole or not at all.\n"
     "\n"
     "  -f, --force   replace FILE if it exists (it is refused otherwise)\n"
     "  -h, --help    show this help\n"},
    {AmbertraceCommand::record,
     "record",
     {helpOption, forceOption, intervalOption, durationOption, recordsOption, clearOption,
      clearAtOption},
     recordHelp()},
    {AmbertraceCommand::watch,
     "watch",
     {helpOption,
      {"full", '\0', &CommandLine::full},
      {"json", '\0', &CommandLine::json},
      {"time", '\0', &CommandLine::time},
      {"check", '\0', &CommandLine::check},
      {"save", '\0', nullptr, nullptr, &saveText},
      forceOption,
      {"stop-on", '\0', nullptr, nullptr, &stopOnText},
      intervalOption,
      durationOption,
      recordsOption,
      clearOption,
      clearAtOption,
      applOption,
      controllerOption},
     watchHelp()},
    {AmbertraceCommand::show,
     "show",
     {helpOption,
      {"hex", '\0', &CommandLine::hex},
      {"full", '\0', &CommandLine::full},
      {"json", '\0', &CommandLine::json},
      {"time", '\0', &CommandLine::time},
      {"damaged", '\0', &CommandLine::damaged},
      applOption,
      controllerOption},
     withFilterHelp(
         "usage: ambertrace show [--hex | --full | --json] [--time] [--damaged]\n"
         "                       [--appl N] [--controller N] [FILE...]\n"
         "\n"
         "Prints each message of a trace as one line, as ambertap prints it. Each FILE\n"
         "is a saved trace file or capture, the hex text of a trace (as in a mail), or\n"
         "the bare records as the driver returns them; - reads standard input. Without\n"
         "FILE, reads the driver's trace once, without clearing it. Where a capture may\n"
         "have missed messages, a line of its own begins with -- gap.\n"
         "\n"
         "  --hex         each record's bytes in hex under its line\n"
         "  --full        every parameter of each message under its line, named\n"
         "  --json        every record as one JSON object a line (JSON Lines), with\n"
         "                every parameter under its key\n"
         "  --time        the time each record was first seen (UTC) before its line;\n"
         "                ? for what the input does not tell\n"
         "  --damaged     show a damaged or cut trace file all the same (exit code 2)\n",
         "  -h, --help    show this help\n")},
    {AmbertraceCommand::calls,
     "calls",
     {helpOption,
      {"json", '\0', &CommandLine::json},
      {"damaged", '\0', &CommandLine::damaged},
      {"ladder", '\0', &CommandLine::ladder},
      {"width", '\0', nullptr, &widthNumber},
      maskNumbersOption,
      applOption,
      controllerOption},
     withFilterHelp(
         "usage: ambertrace calls [--json | --ladder [--width N] [--mask-numbers]] [--damaged]\n"
         "                        [--appl N] [--controller N] [FILE...]\n"
         "\n"
         "Groups each trace into its calls, in the order they begin: for each, its PLCI\n"
         "and controller, which way it went, its service and numbers, its B protocols,\n"
         "how it was answered and connected, its B3 connections with their data, how\n"
         "it ended and why, and the records it spans. Messages of no call follow, by\n"
         "application and controller. The inputs are those of show.\n"
         "\n"
         "  --json        one JSON object a call (JSON Lines)\n"
         "  --ladder      each call as a ladder diagram in text, one message a line, a\n"
         "                run of DATA_B3 folded into one line; each trace is read twice\n"
         "                or more (standard input is copied to a temporary file first)\n"
         "  --width N     the ladder's columns, 40 to 1000 (default: the terminal's,\n"
         "                or 100 when the output is not a terminal)\n"
         "  --mask-numbers  every digit of party numbers and subaddresses but the last\n"
         "                two shown as x, their count kept\n"
         "  --damaged     read a damaged or cut trace file all the same (exit code 2)\n",
         "  -h, --help    show this help\n")},
    {AmbertraceCommand::check,
     "check",
     {helpOption,
      {"json", '\0', &CommandLine::json},
      {"damaged", '\0', &CommandLine::damaged},
      applOption,
      controllerOption},
     withFilterHelp(
         "usage: ambertrace check [--json] [--damaged] [--appl N] [--controller N] [FILE...]\n"
         "\n"
         "Points out what the applications did wrong in each trace, one finding a line,\n"
         "as FILE:RECORD: error: ... (or warning:, note:), where RECORD counts the\n"
         "trace's records from 1. A trace is a window: only what it proves is an error\n"
         "or a warning; what may still be answered after its end is a note. A summary\n"
         "line on standard error counts them. The inputs are those of show.\n"
         "\n"
         "Exit codes: 0 no error (warnings and notes may be), 1 a usage error, 2 an\n"
         "input that cannot be read, 3 at least one error.\n"
         "\n"
         "  --json        one JSON object a finding (JSON Lines), with its kind, address\n"
         "                and the records that prove it, then one with the counts\n"
         "  --damaged     read a damaged or cut trace file all the same (exit code 2)\n",
         "  -h, --help    show this help\n")},
    {AmbertraceCommand::report,
     "report",
     {helpOption,
      forceOption,
      {"output", 'o', nullptr, nullptr, &outputText},
      {"damaged", '\0', &CommandLine::damaged},
      maskNumbersOption,
      applOption,
      controllerOption},
     withFilterHelp(
         "usage: ambertrace report [--force] [--mask-numbers] [--damaged] [--appl N]\n"
         "                         [--controller N] -o REPORT [FILE...]\n"
         "\n"
         "Writes REPORT, one HTML file that any browser opens and that needs nothing\n"
         "beside it: the inputs' facts, the findings of check, the calls as calls gives\n"
         "them, and a ladder diagram of each call, every message an arrow with its full\n"
         "decode. A report draws at most 500 diagrams and 20000 messages; the calls\n"
         "table says which calls it does not draw. The inputs are those of show; each\n"
         "is read twice or more (standard input is copied to a temporary file first).\n"
         "REPORT is written whole or not at all; - writes it to standard output.\n"
         "\n"
         "  -o, --output REPORT  the file to write\n"
         "  -f, --force   replace REPORT if it exists (it is refused otherwise)\n"
         "  --mask-numbers  every digit of party numbers and subaddresses but the last\n"
         "                two shown as x, their count kept\n"
         "  --damaged     read a damaged or cut trace file all the same (exit code 2)\n",
         "  -h, --help    show this help\n")},
}};

constexpr std::string_view generalHelp =
    "usage: ambertrace [--version] [--help] COMMAND [ARGS]\n"
    "\n"
    "Keeps a CAPI 2.0 driver's trace as it was and shows it anywhere.\n"
    "\n"
    "Commands:\n"
    "  save FILE       save the driver's trace into FILE, without clearing it\n"
    "  record FILE     keep every record of the driver's trace in FILE until stopped\n"
    "  watch           show each record of the driver's trace as soon as it is traced\n"
    "  show [FILE...]  print a saved trace, or the driver's, one line a message\n"
    "  calls [FILE...] every call of a trace at a glance\n"
    "  check [FILE...] what the applications did wrong, one finding a line\n"
    "  report -o REPORT [FILE...]\n"
    "                  the calls as ladder diagrams in one HTML file\n"
    "  help [COMMAND]  show the help of ambertrace or of COMMAND\n"
    "\n"
    "Exit codes: 0 done, 1 a usage error, 2 a device, file or input failure,\n"
    "3 check found an error.\n"
    "See 'ambertrace COMMAND --help' for a command's options.\n";

const CommandEntry* findCommand(std::string_view name) {
    for (const CommandEntry& entry : commands) {
        if (entry.name == name) {
            return &entry;
        }
    }
    return nullptr;
}

const CommandEntry* entryOf(AmbertraceCommand command) {
    for (const CommandEntry& entry : commands) {
        if (entry.command == command) {
            return &entry;
        }
    }
    return nullptr;
}

std::string seeHelp(AmbertraceCommand command) {
    if (command == AmbertraceCommand::none) {
        return " (see 'ambertrace --help')";
    }
    return " (see 'ambertrace " + std::string(commandName(command)) + " --help')";
}

// Sets `line.usageError` to one line that says what was wrong and where help is.
void refuse(CommandLine& line, const std::string& what) {
    if (line.usageError.empty()) {
        line.usageError = "ambertrace: " + what + seeHelp(line.command);
    }
}

const Option* findLong(const CommandEntry& entry, std::string_view name) {
    for (const Option& option : entry.options) {
        if (option.longName == name) {
            return &option;
        }
    }
    return nullptr;
}

const Option* findShort(const CommandEntry& entry, char letter) {
    for (const Option& option : entry.options) {
        if (option.shortName != '\0' && option.shortName == letter) {
            return &option;
        }
    }
    return nullptr;
}

std::string commandPrefix(const CommandEntry& entry) {
    return std::string(entry.name) + ": ";
}

// A number of decimal digits alone, within the option's bounds.
bool readNumber(std::string_view text, const NumberOption& number, std::uint64_t& value) {
    if (text.empty() || text.size() > 20) {
        return false;
    }
    value = 0;
    for (const char digit : text) {
        if (digit < '0' || digit > '9') {
            return false;
        }
        const auto more = static_cast<std::uint64_t>(digit - '0');
        if (value > (UINT64_MAX - more) / 10) {
            return false;
        }
        value = value * 10 + more;
    }
    return value >= number.least && value <= number.most;
}

void takeNumber(const CommandEntry& entry, const Option& option, const char* text,
                CommandLine& line) {
    const NumberOption& number = *option.number;
    const std::string name = "--" + std::string(option.longName);
    if (text == nullptr) {
        refuse(line,
               commandPrefix(entry) + name + " needs a number of " + std::string(number.counts));
        return;
    }
    std::uint64_t value = 0;
    if (!readNumber(text, number, value)) {
        refuse(line, commandPrefix(entry) + name + " takes a number of " +
                         std::string(number.counts) + " from " + std::to_string(number.least) +
                         " to " + std::to_string(number.most) + ", not '" + text + "'");
        return;
    }
    line.*(number.value) = value;
}

void takeText(const CommandEntry& entry, const Option& option, const char* text,
              CommandLine& line) {
    const TextOption& taken = *option.text;
    const std::string name = commandPrefix(entry) + "--" + std::string(option.longName);
    if (text == nullptr || *text == '\0') {
        refuse(line, name + " needs " + std::string(taken.valueName));
        return;
    }
    if (taken.text != nullptr) {
        line.*(taken.text) = text;
        return;
    }
    for (const ChoiceWord& word : taken.words) {
        if (word.word == text) {
            line.*(taken.choice) = word.value;
            return;
        }
    }
    refuse(line, name + " takes " + std::string(taken.valueName) + ", not '" + text + "'");
}

// A long option, "--name", "--name=VALUE" or "--name VALUE"; returns whether
// it took the next argument as its value.
bool takeLongOption(const CommandEntry& entry, std::string_view argument, const char* next,
                    CommandLine& line) {
    const std::size_t equals = argument.find('=');
    const std::string_view name =
        argument.substr(2, equals == std::string_view::npos ? std::string_view::npos : equals - 2);
    const Option* option = findLong(entry, name);
    if (option == nullptr) {
        refuse(line, commandPrefix(entry) + "unknown option '" + std::string(argument) + "'");
        return false;
    }
    if (option->flag != nullptr) {
        if (equals != std::string_view::npos) {
            refuse(line, commandPrefix(entry) + "--" + std::string(name) + " takes no value");
        }
        line.*(option->flag) = true;
        return false;
    }
    const bool inArgument = equals != std::string_view::npos;
    const std::string value = inArgument ? std::string(argument.substr(equals + 1)) : "";
    // "--save --check" names no file "--check": such a name goes after "=".
    if (!inArgument && option->text != nullptr && next != nullptr && next[0] == '-' &&
        next[1] != '\0') {
        next = nullptr;
    }
    const char* text = inArgument ? value.c_str() : next;
    if (option->number != nullptr) {
        takeNumber(entry, *option, text, line);
    } else {
        takeText(entry, *option, text, line);
    }
    return !inArgument && next != nullptr;
}

// One argument that begins with a dash: a long option, or short letters.
// Returns whether it took the next argument as its value.
bool takeOption(const CommandEntry& entry, std::string_view argument, const char* next,
                CommandLine& line) {
    if (argument.starts_with("--")) {
        return takeLongOption(entry, argument, next, line);
    }
    for (std::size_t at = 1; at < argument.size(); ++at) {
        const char letter = argument[at];
        const Option* option = findShort(entry, letter);
        if (option != nullptr && option->text != nullptr) {
            // "-oREPORT" or "-o REPORT"
            if (at + 1 < argument.size()) {
                takeText(entry, *option, std::string(argument.substr(at + 1)).c_str(), line);
                return false;
            }
            takeText(entry, *option, next, line);
            return next != nullptr;
        }
        if (option != nullptr) {
            line.*(option->flag) = true;
        } else {
            refuse(line, commandPrefix(entry) + "unknown option '-" + std::string(1, letter) + "'");
        }
    }
    return false;
}

void takeCommandArguments(const CommandEntry& entry, int argumentCount,
                          const char* const* argumentVector, int first, CommandLine& line) {
    bool optionsEnded = false;
    for (int index = first; index < argumentCount; ++index) {
        const std::string_view argument = argumentVector[index];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            const char* next = index + 1 < argumentCount ? argumentVector[index + 1] : nullptr;
            if (takeOption(entry, argument, next, line)) {
                ++index;
            }
        } else {
            line.files.emplace_back(argument);
        }
    }
}

// What watch shows goes to standard output: what it keeps goes to --save.
void checkWatch(CommandLine& line) {
    if (line.command != AmbertraceCommand::watch) {
        return;
    }
    if (!line.files.empty()) {
        refuse(line, "watch: no FILE: it reads the driver (--save FILE keeps the capture)");
    }
    if (line.saveTo == standardStreamName) {
        refuse(line, "watch: a capture grows while it is read: give --save a FILE, not -");
    }
    if (line.force && line.saveTo.empty()) {
        refuse(line, "watch: --force needs --save");
    }
}

void checkFiles(CommandLine& line) {
    if (line.helpWanted || !line.usageError.empty()) {
        return;
    }
    const std::string name(commandName(line.command));
    const int views = (line.hex ? 1 : 0) + (line.full ? 1 : 0) + (line.json ? 1 : 0);
    if (views > 1) {
        refuse(line, "show: one of --hex, --full and --json at a time");
    }
    if (line.check && line.full) {
        refuse(line,
               "watch: one of --full, --json and --check at a time (--check --json: "
               "check's JSON)");
    }
    if (line.time && (line.json || line.check)) {
        refuse(line, name + ": --time goes with the lines, --hex and --full, not with " +
                         (line.json ? "--json" : "--check"));
    }
    const bool oneFile =
        line.command == AmbertraceCommand::save || line.command == AmbertraceCommand::record;
    if (oneFile && line.files.size() != 1) {
        refuse(line, line.files.empty() ? name + ": no FILE given"
                                        : name + ": one FILE only, " +
                                              std::to_string(line.files.size()) + " given");
    }
    if (line.command == AmbertraceCommand::record && line.files.size() == 1 &&
        line.files.front() == standardStreamName) {
        refuse(line, "record: a capture grows while it is read: give it a FILE, not -");
    }
    if (line.ladder && line.json) {
        refuse(line, "calls: one of --json and --ladder at a time");
    }
    if (line.command == AmbertraceCommand::report && line.output.empty()) {
        refuse(line, "report: no -o REPORT given");
    }
    if ((line.width != 0 || line.maskNumbers) && !line.ladder &&
        line.command != AmbertraceCommand::report) {
        refuse(line, line.width != 0 ? "calls: --width needs --ladder"
                                     : "calls: --mask-numbers needs --ladder");
    }
    if (line.clearAt != 0 && !line.clear) {
        refuse(line, name + ": --clear-at needs --clear");
    }
    checkWatch(line);
}

// "help [COMMAND]": the help of COMMAND, or the general help.
void takeHelpCommand(int argumentCount, const char* const* argumentVector, CommandLine& line) {
    line.helpWanted = true;
    if (argumentCount > 3) {
        refuse(line, "help: one COMMAND at most");
        return;
    }
    if (argumentCount == 3) {
        const std::string_view name = argumentVector[2];
        if (const CommandEntry* entry = findCommand(name)) {
            line.command = entry->command;
        } else {
            refuse(line, "help: no such command '" + std::string(name) + "'");
        }
    }
}

void takeGeneralOption(std::string_view argument, CommandLine& line) {
    if (argument == "--help" || argument == "-h") {
        line.helpWanted = true;
    } else if (argument == "--version") {
        line.versionWanted = true;
    } else {
        refuse(line, "unknown option '" + std::string(argument) + "'");
    }
}

}  // namespace

CommandLine parseCommandLine(int argumentCount, const char* const* argumentVector) {
    CommandLine line;
    int index = 1;
    for (; index < argumentCount && argumentVector[index][0] == '-'; ++index) {
        takeGeneralOption(argumentVector[index], line);
    }
    if (index == argumentCount) {
        if (!line.helpWanted && !line.versionWanted) {
            refuse(line, "no command given");
        }
        return line;
    }
    const std::string_view name = argumentVector[index];
    if (name == "help") {
        takeHelpCommand(argumentCount - index + 1, argumentVector + index - 1, line);
        return line;
    }
    const CommandEntry* entry = findCommand(name);
    if (entry == nullptr) {
        refuse(line, "no such command '" + std::string(name) + "'");
        return line;
    }
    line.command = entry->command;
    takeCommandArguments(*entry, argumentCount, argumentVector, index + 1, line);
    checkFiles(line);
    return line;
}

std::string_view helpText(AmbertraceCommand command) {
    const CommandEntry* entry = entryOf(command);
    return entry != nullptr ? entry->help : generalHelp;
}

std::string_view commandName(AmbertraceCommand command) {
    const CommandEntry* entry = entryOf(command);
    return entry != nullptr ? entry->name : "";
}

}  // namespace ambertap
