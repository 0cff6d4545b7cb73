#include "run_ambertap.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "banner.h"
#include "captured_stream.h"
#include "case_names.h"
#include "fake_device_system.h"

namespace ambertap {
namespace {

using testing::afterBanner;
using testing::CapturedStream;
using testing::FakeDeviceSystem;

// Three records: Put DATA_B3_REQ, one of an unknown direction, Get CONNECT_CONF.
const std::vector<std::uint8_t> threeRecords{
    0x01, 0x16, 0x16, 0x00, 0x01, 0x00, 0x86, 0x80, 0x05, 0x00, 0x01, 0x01, 0x01, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x07, 0x0e, 0x0e, 0x00,
    0x01, 0x00, 0x02, 0x81, 0x05, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x02, 0x0e,
    0x0e, 0x00, 0x01, 0x00, 0x02, 0x81, 0x05, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00,
};
const std::string threeLines =
    "Put  22 0001 0005 DATA_B3_REQ \n"
    "?? 07\n"
    "Get  14 0001 0005 CONNECT_CONF 00000101 0000\n";

const std::string usage = "\nUse: Ambertap [-c]\n\t -c\t   clear trace buffer\n";
const std::string openCall = "open \\\\.\\OV7100D";
const std::vector<std::string> readCalls{openCall, "control 100 10000", "close"};
const std::vector<std::string> clearCalls{openCall, "control 101 0", "close"};
const std::vector<std::string> noCalls{};

struct RunCase {
    const char* name;
    std::vector<const char*> arguments;
    std::optional<int> openError;
    RequestState requestState;
    std::vector<std::uint8_t> trace;
    int exitCode;
    std::string out;
    std::string messages;  // after the banner
    std::vector<std::string> calls;
    bool outputFails = false;  // standard output is a device that refuses every write
};

void PrintTo(const RunCase& c, std::ostream* os) {
    *os << c.name;
}

constexpr auto done = RequestState::done;
constexpr auto failed = RequestState::failed;
constexpr auto moreData = RequestState::moreData;
const std::string cannotWrite = "Cannot write the trace: Error " + std::to_string(ENOSPC) + "\n";

const RunCase runCases[] = {
    {"ReadPrintsRecords", {}, {}, done, threeRecords, 0, threeLines, "", readCalls},
    {"EmptyReadPrintsNothing", {}, {}, done, {}, 0, "", "", readCalls},
    {"NoDriverFailsTheRead",
     {},
     2,
     done,
     {},
     2,
     "",
     "Cannot open \\\\.\\OV7100D: Error 2\n",
     {openCall}},
    {"RejectedReadFails", {}, {}, failed, {}, 2, "", "DeviceIoControl: Error 87\n", readCalls},
    {"Clear", {"-c"}, {}, done, threeRecords, 0, "", "", clearCalls},
    {"SlashClear", {"/c"}, {}, done, {}, 0, "", "", clearCalls},
    {"FailedClear", {"-c"}, {}, failed, {}, 2, "", "DeviceIoControl: Error 87\n", clearCalls},
    {"BadLetter", {"-x"}, {}, done, threeRecords, 1, "", "Ungueltige Option: x\n" + usage, noCalls},
    {"BadLetterWinsOverClear",
     {"-cx"},
     {},
     done,
     {},
     1,
     "",
     "Ungueltige Option: x\n" + usage,
     noCalls},
    {"EveryBadLetterReported",
     {"-x", "/yc"},
     {},
     done,
     {},
     1,
     "",
     "Ungueltige Option: x\nUngueltige Option: y\n" + usage,
     noCalls},
    {"OperandEndsOptions", {"foo", "-c"}, {}, done, threeRecords, 0, threeLines, "", readCalls},
    {"DoubleDashEndsOptions", {"--c"}, {}, done, {}, 0, "", "", readCalls},
    {"UnwritableOutputFails", {}, {}, done, threeRecords, 2, "", cannotWrite, readCalls, true},
    {"EmptyReadWritesNothingToFail", {}, {}, done, {}, 0, "", "", readCalls, true},
    {"PartialReadPrintsItsRecords",
     {},
     {},
     moreData,
     threeRecords,
     0,
     threeLines,
     "Trace longer than 10000 bytes: the rest was not read\n",
     readCalls},
};

class RunAmbertapTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunAmbertapTest, MakesOneRequestAndExits) {
    const RunCase& c = GetParam();
    std::vector<const char*> vector{"ambertap"};
    vector.insert(vector.end(), c.arguments.begin(), c.arguments.end());
    vector.push_back(nullptr);
    FakeDeviceSystem system;
    system.openError = c.openError;
    system.requestState = c.requestState;
    system.requestError = 87;
    system.trace = c.trace;
    OptionParser options;
    CapturedStream out;
    CapturedStream err;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> full(std::fopen("/dev/full", "w"),
                                                               std::fclose);
    ASSERT_NE(full, nullptr);

    const int exitCode = runAmbertap(static_cast<int>(vector.size()) - 1, vector.data(), options,
                                     system, c.outputFails ? full.get() : out.file(), err.file());

    EXPECT_EQ(exitCode, c.exitCode);
    EXPECT_EQ(out.text(), c.out);
    EXPECT_EQ(afterBanner(err.text()), c.messages);
    EXPECT_EQ(system.calls, c.calls);
}

INSTANTIATE_TEST_SUITE_P(Script, RunAmbertapTest, ::testing::ValuesIn(runCases),
                         testing::NamedByRow());

// A driver claiming more than the tool's buffer holds gets only the buffer
// walked: records of direction 9 and length 0 fill it, one line each.
TEST(RunAmbertap, WalksNoFurtherThanTheBuffer) {
    FakeDeviceSystem system;
    system.trace.resize(10000);
    for (std::size_t at = 0; at < system.trace.size(); at += 2) {
        system.trace[at] = 9;
    }
    system.reportedBytes = 10002;
    const char* vector[] = {"ambertap", nullptr};
    OptionParser options;
    CapturedStream out;
    CapturedStream err;

    EXPECT_EQ(runAmbertap(1, vector, options, system, out.file(), err.file()), exitSuccess);
    std::string expected;
    for (int line = 0; line < 5000; ++line) {
        expected += "?? 09\n";
    }
    EXPECT_EQ(out.text(), expected);
}

}  // namespace
}  // namespace ambertap
