#include "run_ambertrace.h"

#include "ambertrace_version.h"
#include "command_line.h"
#include "record_views.h"
#include "save_command.h"
#include "trace_inputs.h"

namespace ambertap {

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
        case Command::save:
            return saveTrace(line, system, streams);
        case Command::show:
            return viewTraces(line.files, InputChoices{line.damaged, !line.json},
                              *makeShowView(line, streams.out), system, streams);
        case Command::none:
            break;
    }
    return traceExitUsage;
}

}  // namespace ambertap
