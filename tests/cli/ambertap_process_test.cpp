// Runs the built program and checks everything it writes and its exit code:
// on a machine where the trace driver is not installed, and against a
// stand-in for the driver (tests/device/stand_in_device_shim.c), preloaded
// into the program so that its POSIX device system meets a device that
// answers ioctl().
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "banner.h"
#include "case_names.h"

namespace ambertap {
namespace {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
    std::string traceAfter;  // the stand-in's trace after the run
};

std::string contentsOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string goldenCase(const std::string& name, const char* extension) {
    return std::string(AMBERTAP_GOLDEN_CASES) + "/" + name + extension;
}

struct ProcessCase {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    std::string messages;  // after the banner
    // The golden case whose trace the stand-in driver holds; none: no driver.
    const char* trace = nullptr;
    std::string out{};
    int requestError = 0;          // what the stand-in fails every request with; 0: none
    bool clearsTrace = false;      // whether the stand-in's trace is empty afterwards
    const char* output = nullptr;  // standard output other than a file: "/dev/full", "&-" (closed)
    bool overflows = false;        // the stand-in's read says the driver had more
};

// The stand-in is preloaded into every run; only a case with a trace makes
// it answer for the device. A preloaded library comes before the sanitizer's
// runtime, which would refuse to start without being told that this is meant.
std::string standInEnvironment(const ProcessCase& c, const std::string& tracePath) {
    std::string environment = std::string("LD_PRELOAD='") + AMBERTAP_STAND_IN_SHIM +
                              "' ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}"
                              "verify_asan_link_order=0\"";
    if (c.trace != nullptr) {
        environment += " AMBERTAP_STAND_IN_TRACE='" + tracePath + "'";
    }
    if (c.requestError != 0) {
        environment += " AMBERTAP_STAND_IN_FAIL=" + std::to_string(c.requestError);
    }
    if (c.overflows) {
        environment += " AMBERTAP_STAND_IN_OVERFLOW=1";
    }
    return environment;
}

// The arguments are quoted for the shell; none of them holds a quote.
ProcessResult runProgram(const ProcessCase& c) {
    // Named for this process: the cases run as parallel processes, and a
    // clear must not empty another case's trace.
    const std::string stem = ::testing::TempDir() + "ambertap_" + std::to_string(getpid());
    const std::string outPath = stem + "_out.txt";
    const std::string errPath = stem + "_err.txt";
    const std::string tracePath = stem + "_trace.bin";
    if (c.trace != nullptr) {
        std::filesystem::copy_file(goldenCase(c.trace, ".bin"), tracePath,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    std::string command =
        standInEnvironment(c, tracePath) + " '" + std::string(AMBERTAP_PROGRAM) + "'";
    for (const std::string& argument : c.arguments) {
        command += " '" + argument + "'";
    }
    command += c.output != nullptr ? std::string(" >") + c.output : " >'" + outPath + "'";
    command += " 2>'" + errPath + "'";
    const int status = std::system(command.c_str());
    ProcessResult result;
    if (status != -1 && WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    result.out = contentsOf(outPath);
    result.err = contentsOf(errPath);
    result.traceAfter = contentsOf(tracePath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    std::remove(tracePath.c_str());
    return result;
}

void PrintTo(const ProcessCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string noDriver = "Cannot open \\\\.\\OV7100D: Error 2\n";
const std::string usage = "\nUse: Ambertap [-c]\n\t -c\t   clear trace buffer\n";

const ProcessCase processCases[] = {
    {"NoArguments", {}, 2, noDriver},
    {"Clear", {"-c"}, 2, noDriver},
    {"SlashClear", {"/c"}, 2, noDriver},
    {"BadLetter", {"-x"}, 1, "Ungueltige Option: x\n" + usage},
    {"ClearAndBadLetter", {"-cx"}, 1, "Ungueltige Option: x\n" + usage},
    {"OperandFirst", {"foo", "-c"}, 2, noDriver},
    {"DoubleDashLetter", {"--c"}, 2, noDriver},
    {"DoubleDash", {"--"}, 2, noDriver},
    {"LoneDash", {"-"}, 2, noDriver},
};

const std::string incomingCall = contentsOf(goldenCase("incoming_call", ".out"));
const std::string requestFailed = "DeviceIoControl: Error 5\n";

const std::string cannotWrite = "Cannot write the trace: Error ";

const ProcessCase standInCases[] = {
    {"Read", {}, 0, "", "incoming_call", incomingCall},
    {"Clear", {"-c"}, 0, "", "incoming_call", "", 0, true},
    {"ReadFails", {}, 2, requestFailed, "incoming_call", "", EIO},
    {"ClearFails", {"-c"}, 2, requestFailed, "incoming_call", "", EIO},
    // A trace that does not reach its reader fails the run.
    {"OutputFull",
     {},
     2,
     cannotWrite + std::to_string(ENOSPC) + "\n",
     "incoming_call",
     "",
     0,
     false,
     "/dev/full"},
    {"OutputClosed",
     {},
     2,
     cannotWrite + std::to_string(EBADF) + "\n",
     "incoming_call",
     "",
     0,
     false,
     "&-"},
    {"ReadWithMoreData",
     {},
     0,
     "Trace longer than 10000 bytes: the rest was not read\n",
     "incoming_call",
     incomingCall,
     0,
     false,
     nullptr,
     true},
};

class ProcessTest : public ::testing::TestWithParam<ProcessCase> {};

TEST_P(ProcessTest, WritesAndExits) {
    const ProcessCase& c = GetParam();
    const ProcessResult result = runProgram(c);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(testing::afterBanner(result.err), c.messages);
    if (c.trace != nullptr) {
        const std::string trace = contentsOf(goldenCase(c.trace, ".bin"));
        EXPECT_EQ(result.traceAfter, c.clearsTrace ? "" : trace);
    }
}

INSTANTIATE_TEST_SUITE_P(NoDriver, ProcessTest, ::testing::ValuesIn(processCases),
                         testing::NamedByRow());
INSTANTIATE_TEST_SUITE_P(StandInDriver, ProcessTest, ::testing::ValuesIn(standInCases),
                         testing::NamedByRow());

}  // namespace
}  // namespace ambertap
