#include "trace_device.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "captured_stream.h"
#include "case_names.h"
#include "fake_device_system.h"

namespace ambertap {
namespace {

using testing::CapturedStream;
using testing::FakeDeviceSystem;

constexpr std::size_t bufferSize = 16;
const std::string openCall = "open \\\\.\\OV7100D";
const std::string readCall = "control 100 16";
const std::string clearCall = "control 101 0";

// A failed request leaves error 31; the close then leaves 6, which must never
// be the one reported.
void script(FakeDeviceSystem& system, std::optional<int> openError, RequestState requestState,
            RequestState completion) {
    system.openError = openError;
    system.requestState = requestState;
    system.completion = completion;
    system.requestError = 31;
    system.closeError = 6;
}

struct ReadCase {
    const char* name;
    std::optional<int> openError;
    RequestState requestState;
    RequestState completion;
    std::vector<std::uint8_t> trace;
    std::optional<std::size_t> reportedBytes;
    std::ptrdiff_t result;
    std::string message;
    std::vector<std::string> calls;
    bool moreThanBuffer = false;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

const std::vector<std::uint8_t> sampleTrace{0x07, 0x00, 0x02, 0x00};
constexpr auto done = RequestState::done;
constexpr auto pending = RequestState::pending;
constexpr auto failed = RequestState::failed;
constexpr auto moreData = RequestState::moreData;

const ReadCase readCases[] = {
    {"NoDriver",
     2,
     done,
     done,
     {},
     {},
     traceReadFailed,
     "Cannot open \\\\.\\OV7100D: Error 2\n",
     {openCall}},
    {"RequestFails",
     {},
     failed,
     done,
     {},
     {},
     traceReadFailed,
     "DeviceIoControl: Error 31\n",
     {openCall, readCall, "close"}},
    {"Trace", {}, done, done, sampleTrace, {}, 4, "", {openCall, readCall, "close"}},
    {"EmptyTrace", {}, done, done, {}, {}, 0, "", {openCall, readCall, "close"}},
    {"CompletesLater",
     {},
     pending,
     done,
     sampleTrace,
     {},
     4,
     "",
     {openCall, readCall, "wait", "close"}},
    {"FailsLater",
     {},
     pending,
     failed,
     {},
     {},
     traceReadFailed,
     "DeviceIoControl: Error 31\n",
     {openCall, readCall, "wait", "close"}},
    {"CountBeyondBuffer",
     {},
     done,
     done,
     sampleTrace,
     20000,
     bufferSize,
     "",
     {openCall, readCall, "close"}},
    // A driver that returns as much as fits fails the request, yet its bytes are the trace.
    {"MoreDataKept",
     {},
     moreData,
     done,
     sampleTrace,
     {},
     4,
     "",
     {openCall, readCall, "close"},
     true},
    {"MoreDataLater",
     {},
     pending,
     moreData,
     sampleTrace,
     {},
     4,
     "",
     {openCall, readCall, "wait", "close"},
     true},
};

class ReadTraceTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadTraceTest, ReportsAndReturns) {
    const ReadCase& c = GetParam();
    FakeDeviceSystem system;
    script(system, c.openError, c.requestState, c.completion);
    system.trace = c.trace;
    system.reportedBytes = c.reportedBytes;
    CapturedStream err;
    system.messages = err.file();
    std::uint8_t buffer[bufferSize] = {};

    const TraceRead result = readTrace(system, traceDeviceName, buffer, bufferSize, err.file());

    EXPECT_EQ(result.count, c.result);
    EXPECT_EQ(result.moreThanBuffer, c.moreThanBuffer);
    EXPECT_EQ(err.text(), c.message);
    EXPECT_EQ(system.calls, c.calls);
    if (c.calls.back() == "close") {
        EXPECT_EQ(system.messageBytesAtClose, 0) << "message printed before the device closed";
    }
    EXPECT_TRUE(std::equal(c.trace.begin(), c.trace.end(), buffer));
}

INSTANTIATE_TEST_SUITE_P(Script, ReadTraceTest, ::testing::ValuesIn(readCases),
                         testing::NamedByRow());

struct ClearCase {
    const char* name;
    std::optional<int> openError;
    RequestState requestState;
    RequestState completion;
    bool result;
    std::string message;
    std::vector<std::string> calls;
};

void PrintTo(const ClearCase& c, std::ostream* os) {
    *os << c.name;
}

const ClearCase clearCases[] = {
    {"Cleared", {}, done, done, true, "", {openCall, clearCall, "close"}},
    {"NoDriver", 2, done, done, false, "Cannot open \\\\.\\OV7100D: Error 2\n", {openCall}},
    {"RequestFails",
     {},
     failed,
     done,
     false,
     "DeviceIoControl: Error 31\n",
     {openCall, clearCall, "close"}},
    {"ClearedLater", {}, pending, done, true, "", {openCall, clearCall, "wait", "close"}},
    {"MoreDataFailsTheClear",
     {},
     moreData,
     done,
     false,
     "DeviceIoControl: Error 31\n",
     {openCall, clearCall, "close"}},
};

class ClearTraceTest : public ::testing::TestWithParam<ClearCase> {};

TEST_P(ClearTraceTest, ReportsAndReturns) {
    const ClearCase& c = GetParam();
    FakeDeviceSystem system;
    script(system, c.openError, c.requestState, c.completion);
    CapturedStream err;

    EXPECT_EQ(clearTrace(system, traceDeviceName, err.file()), c.result);
    EXPECT_EQ(err.text(), c.message);
    EXPECT_EQ(system.calls, c.calls);
}

INSTANTIATE_TEST_SUITE_P(Script, ClearTraceTest, ::testing::ValuesIn(clearCases),
                         testing::NamedByRow());

#ifndef _WIN32
// The real system, with no trace driver installed: the device name maps onto
// /dev, and a device that does not answer the codes fails the request.
struct PlatformCase {
    const char* name;
    const char* deviceName;
    std::string message;
};

void PrintTo(const PlatformCase& c, std::ostream* os) {
    *os << c.name;
}

const PlatformCase platformCases[] = {
    {"MissingDriver", "\\\\.\\OV7100D",
     "Cannot open \\\\.\\OV7100D: Error " + std::to_string(ENOENT) + "\n"},
    {"DeviceNamespaceIsDev", "\\\\.\\null",
     "DeviceIoControl: Error " + std::to_string(ENOTTY) + "\n"},
    {"PathAsItIs", "/dev/null", "DeviceIoControl: Error " + std::to_string(ENOTTY) + "\n"},
    {"NotTheDevicePrefix", "\\\\.null",
     "Cannot open \\\\.null: Error " + std::to_string(ENOENT) + "\n"},
};

class PlatformDeviceTest : public ::testing::TestWithParam<PlatformCase> {};

TEST_P(PlatformDeviceTest, ReadFails) {
    const PlatformCase& c = GetParam();
    CapturedStream err;
    std::uint8_t buffer[bufferSize] = {};
    EXPECT_EQ(
        readTrace(*makePlatformDeviceSystem(), c.deviceName, buffer, bufferSize, err.file()).count,
        traceReadFailed);
    EXPECT_EQ(err.text(), c.message);
}

TEST_P(PlatformDeviceTest, ClearFails) {
    const PlatformCase& c = GetParam();
    CapturedStream err;
    EXPECT_FALSE(clearTrace(*makePlatformDeviceSystem(), c.deviceName, err.file()));
    EXPECT_EQ(err.text(), c.message);
}

INSTANTIATE_TEST_SUITE_P(Posix, PlatformDeviceTest, ::testing::ValuesIn(platformCases),
                         testing::NamedByRow());

TEST(PlatformDevice, PlainOperationsUseTheRealSystem) {
    std::uint8_t buffer[bufferSize] = {};
    EXPECT_EQ(readTrace("/dev/null", buffer, bufferSize), traceReadFailed);
    EXPECT_FALSE(clearTrace("/dev/null"));
}
#endif

}  // namespace
}  // namespace ambertap
