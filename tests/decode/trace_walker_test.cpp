#include "trace_walker.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "captured_stream.h"
#include "case_names.h"
#include "decode_test_support.h"

namespace ambertap {
namespace {

using testing::bytesFromHex;

// What the walker prints for exactly these bytes.
std::string printed(const std::vector<std::uint8_t>& trace) {
    const auto data = std::make_unique<std::uint8_t[]>(trace.size());
    std::copy(trace.begin(), trace.end(), data.get());
    testing::CapturedStream out;
    EXPECT_EQ(printTraceRecords(data.get(), trace.size(), out.file()), 0);
    return out.text();
}

struct WalkCase {
    const char* name;
    const char* trace;  // bytes in hexadecimal
    const char* output;
};

class Walker : public ::testing::TestWithParam<WalkCase> {};

TEST_P(Walker, PrintsOneLinePerRecord) {
    EXPECT_EQ(printed(bytesFromHex(GetParam().trace)), GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(
    Records, Walker,
    ::testing::Values(WalkCase{"OtherDirection", "07 00", "?? 07\n"},
                      WalkCase{
                          "ThreeRecords",
                          "01 16 16 00 01 00 86 80 05 00 01 01 01 00 00 00 00 00 00 00 01 00 00 00 "
                          "07 0e 0e 00 01 00 02 81 05 00 01 01 00 00 00 00 "
                          "02 0e 0e 00 01 00 02 81 05 00 01 01 00 00 00 00",
                          "Put  22 0001 0005 DATA_B3_REQ \n"
                          "?? 07\n"
                          "Get  14 0001 0005 CONNECT_CONF 00000101 0000\n"},
                      // The length byte finds the next record, whatever the message's own
                      // Total length says.
                      WalkCase{"LengthByteDisagreesWithTotalLength",
                               "02 0c 0e 00 01 00 02 81 05 00 01 01 00 00 "
                               "01 0d 20 00 01 00 04 80 06 00 02 01 00 00 00",
                               "Get  14 0001 0005 CONNECT_CONF 00000101 0d01\n"
                               "Put  32 0001 0006 DISCONNECT_REQ 00000102\n"},
                      WalkCase{"ShortLengthByteLetsTheMessageReadOn",
                               "02 08 0e 00 01 00 02 81 05 00 01 01 00 00 00 00",
                               "Get  14 0001 0005 CONNECT_CONF 00000101 0000\n"
                               "Put   0 0000 <cut>\n"
                               "?? 00\n"
                               "?? 00\n"},
                      WalkCase{"ZeroLengthRecords", "00 00 00 00 ff 00", "?? 00\n?? 00\n?? ff\n"}),
    testing::NamedByRow());

// A record that the data ends inside is shown as far as it goes, marked, and
// ends the walk.
INSTANTIATE_TEST_SUITE_P(
    CutOffRecords, Walker,
    ::testing::Values(
        WalkCase{"InsideTheRecordHeader", "01 0c 0c 00 01 00 03 83 05 00 01 01 00 00 02",
                 "Put  12 0001 0005 CONNECT_ACTIVE_RESP 00000101\nGet <cut>\n"},
        WalkCase{"OtherDirectionInsideItsHeader", "09", "?? 09\n"},
        WalkCase{"OtherDirectionPastTheData", "09 10 00 00 02 0c", "?? 09\n"},
        WalkCase{"MessageNeedsNoMoreThanTheData", "01 16 0c 00 01 00 86 80 05 00 01 01 01 00",
                 "Put  12 0001 0005 DATA_B3_REQ <cut>\n"},
        WalkCase{"InsideAField", "02 0e 0e 00 01 00 02 81 05 00 01 01 00",
                 "Get  14 0001 0005 CONNECT_CONF <cut>\n"},
        WalkCase{"AfterTheLastField", "02 0e 0e 00 01 00 02 81 05 00 01 01 00 00 00 00",
                 "Get  14 0001 0005 CONNECT_CONF 00000101 0000\n"}),
    testing::NamedByRow());

TEST(Walker, PrintsAnIncomingCall) {
    const auto trace = bytesFromHex(
        // CONNECT_IND
        "02 28 28 00 01 00 02 82 00 01 01 01 00 00 10 00 04 81 31 32 33 04 01 80 34 35 00 00 "
        "00 00 00 02 88 90 00 00 00 00 00 00 00 00 "
        // CONNECT_RESP
        "01 1c 1c 00 01 00 02 83 00 01 01 01 00 00 00 00 09 00 00 00 00 00 00 00 00 00 00 00 "
        "00 00 "
        // CONNECT_ACTIVE_IND
        "02 14 14 00 01 00 03 82 01 01 01 01 00 00 05 01 80 31 32 33 00 00 "
        // CONNECT_ACTIVE_RESP
        "01 0c 0c 00 01 00 03 83 01 01 01 01 00 00 "
        // INFO_IND with three charging units
        "02 13 13 00 01 00 08 82 02 01 01 01 00 00 00 40 04 03 00 00 00 "
        // INFO_RESP
        "01 0c 0c 00 01 00 08 83 02 01 01 01 00 00 "
        // DISCONNECT_IND
        "02 0e 0e 00 01 00 04 82 03 01 01 01 00 00 90 34 "
        // DISCONNECT_RESP
        "01 0c 0c 00 01 00 04 83 03 01 01 01 00 00");
    EXPECT_EQ(printed(trace),
              "Get  40 0001 0100 CONNECT_IND 00000101\n"
              "Put  28 0001 0100 CONNECT_RESP 00000101 0000\n"
              "Get  20 0001 0101 CONNECT_ACTIVE_IND 00000101 [01 80 123] \n"
              "Put  12 0001 0101 CONNECT_ACTIVE_RESP 00000101\n"
              "Get  19 0001 0102 INFO_IND 00000101 4000 Charging Units=3\n"
              "Put  12 0001 0102 INFO_RESP 00000101\n"
              "Get  14 0001 0103 DISCONNECT_IND 00000101 3490\n"
              "Put  12 0001 0103 DISCONNECT_RESP 00000101\n");
}

TEST(Walker, KeepsEveryLineWithinItsBuffer) {
    std::vector<std::uint8_t> trace =
        bytesFromHex("01 ff ff 00 01 00 02 80 05 00 01 00 00 00 10 00");
    for (int structure = 0; structure < 9; ++structure) {
        trace.push_back(structure == 8 ? 0xd0 : 0x1b);
        trace.insert(trace.end(), structure == 8 ? 0xd0 : 0x1b, 0x39);
    }
    trace.resize(2 + 0xff, 0);
    const std::string output = printed(trace);
    ASSERT_TRUE(output.ends_with("...\n")) << output;
    EXPECT_EQ(output.size(), static_cast<std::size_t>(traceLineRoom));
}

}  // namespace
}  // namespace ambertap
