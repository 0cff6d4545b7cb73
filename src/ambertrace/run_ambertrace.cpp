#include "run_ambertrace.h"

#include <cstring>

#include "ambertrace_version.h"
#include "call_commands.h"
#include "command_line.h"
#include "ladder_commands.h"
#include "record_command.h"
#include "record_pipeline.h"
#include "record_views.h"
#include "save_command.h"
#include "trace_inputs.h"
#include "watch_command.h"

namespace ambertap {

namespace {

// The findings, a summary line that counts them (and in JSON a summary
// object after them), and an exit code that says whether there was an error
// among them.
int checkTraces(const CommandLine& line, DeviceSystem& system, const Streams& streams) {
    CheckView view(streams.out, line.json ? CheckFormat::json : CheckFormat::text, streams.err);
    RecordPipeline pipeline({&view}, filterOf(line));
    const int exitCode =
        viewTraces(line.files, InputChoices{line.damaged, false}, pipeline, system, streams);
    return endCheck(view.counts(), line.json, exitCode, streams);
}

// Each input through one view, with "==> FILE <==" before each of several
// but in JSON.
int viewTraces(const CommandLine& line, std::unique_ptr<RecordSink> view, DeviceSystem& system,
               const Streams& streams) {
    RecordPipeline pipeline({view.get()}, filterOf(line));
    return viewTraces(line.files, InputChoices{line.damaged, !line.json}, pipeline, system,
                      streams);
}

}  // namespace

RecordFilter filterOf(const CommandLine& line) {
    // The command line holds each within its bounds.
    return {static_cast<std::uint16_t>(line.appl), static_cast<std::uint8_t>(line.controller)};
}

int endCheck(const CheckCounts& counts, bool json, int exitCode, const Streams& streams) {
    if (json) {
        if (const int error = writeCheckSummaryJson(counts, streams.out); error != 0) {
            std::fprintf(streams.err, "ambertrace: standard output: cannot write: %s\n",
                         std::strerror(error));
            exitCode = traceExitFailure;
        }
    }
    std::fprintf(streams.err, "ambertrace: %lu error%s, %lu warning%s, %lu note%s\n",
                 static_cast<unsigned long>(counts.errors), counts.errors == 1 ? "" : "s",
                 static_cast<unsigned long>(counts.warnings), counts.warnings == 1 ? "" : "s",
                 static_cast<unsigned long>(counts.notes), counts.notes == 1 ? "" : "s");
    if (exitCode == traceExitSuccess && counts.errors > 0) {
        return traceExitErrorsFound;
    }
    return exitCode;
}

int runAmbertrace(int argumentCount, const char* const* argumentVector, DeviceSystem& system,
                  const Streams& streams) {
    const CommandLine line = parseCommandLine(argumentCount, argumentVector);
    if (!line.usageError.empty()) {
        std::fprintf(streams.err, "%s\n", line.usageError.c_str());
        return traceExitUsage;
    }
    if (line.versionWanted && !line.helpWanted) {
        std::fprintf(streams.out, "ambertrace %s\n", AMBERTAP_VERSION_TEXT);
        return traceExitSuccess;
    }
    if (line.helpWanted) {
        const std::string_view help = helpText(line.command);
        std::fwrite(help.data(), 1, help.size(), streams.out);
        return traceExitSuccess;
    }
    switch (line.command) {
        case AmbertraceCommand::save:
            return saveTrace(line, system, streams);
        case AmbertraceCommand::record:
            return recordTrace(line, system, streams);
        case AmbertraceCommand::watch:
            return watchTrace(line, system, streams);
        case AmbertraceCommand::show:
            return viewTraces(line, makeShowView(line, streams.out), system, streams);
        case AmbertraceCommand::calls:
            if (line.ladder) {
                return ladderTraces(line, system, streams);
            }
            return viewTraces(line, makeCallsView(line, streams.out, streams.err), system, streams);
        case AmbertraceCommand::check:
            return checkTraces(line, system, streams);
        case AmbertraceCommand::report:
            return reportTraces(line, system, streams);
        case AmbertraceCommand::none:
            break;
    }
    return traceExitUsage;
}

}  // namespace ambertap
