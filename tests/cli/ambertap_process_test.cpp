// Runs the built program, on a machine where the trace driver is not
// installed, and checks everything it writes and its exit code.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
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
};

std::string contentsOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The arguments are quoted for the shell; none of them holds a quote.
ProcessResult runProgram(const std::vector<std::string>& arguments) {
    // Named for this process: the cases run as parallel processes.
    const std::string stem = ::testing::TempDir() + "ambertap_" + std::to_string(getpid());
    const std::string outPath = stem + "_out.txt";
    const std::string errPath = stem + "_err.txt";
    std::string command = std::string("'") + AMBERTAP_PROGRAM + "'";
    for (const std::string& argument : arguments) {
        command += " '" + argument + "'";
    }
    command += " >'" + outPath + "' 2>'" + errPath + "'";
    const int status = std::system(command.c_str());
    ProcessResult result;
    if (status != -1 && WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    result.out = contentsOf(outPath);
    result.err = contentsOf(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return result;
}

struct ProcessCase {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    std::string messages;  // after the banner
};

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

class ProcessTest : public ::testing::TestWithParam<ProcessCase> {};

TEST_P(ProcessTest, WritesAndExits) {
    const ProcessCase& c = GetParam();
    const ProcessResult result = runProgram(c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(testing::afterBanner(result.err), c.messages);
}

INSTANTIATE_TEST_SUITE_P(NoDriver, ProcessTest, ::testing::ValuesIn(processCases),
                         testing::NamedByRow());

}  // namespace
}  // namespace ambertap
