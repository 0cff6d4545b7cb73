// Traces that no correct exchange makes, or that begin in the middle of one:
// each row names what `calls` and `check` must say of it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "calls_test_support.h"
#include "case_names.h"

namespace ambertap {
namespace {

struct Row {
    std::string name;
    const char* records;  // hex bytes: direction, length, message, record after record
    const char* calls;    // a part of the `calls` text
    const char* check;    // a part of the `check` text
};

const Row rows[] = {
    // A fuzzer's find: an NCCI whose PLCI part is 0 names no call.
    {"ConnectB3IndicationWithoutPlci", "02 0d 0d 00 01 00 82 82 01 01 01 00 01 00 00",
     "application 1, controller 1: messages of no call (record 1)\n  CONNECT_B3_IND: 1",
     "trace:1: note: CONNECT_B3_IND #0101 on NCCI 00010001 is not answered by the end"},
    {"CallBegunBeforeTheTrace",
     "02 0e 0e 00 01 00 04 82 07 01 01 02 00 00 90 34  01 0c 0c 00 01 00 04 83 07 01 01 02 00 00",
     "call 1: PLCI 0201 on controller 1, application 1, of unknown direction, begun before the "
     "trace (records 1-2)\n  not connected in the trace\n  cleared by the network: Reason 3490",
     ""},
    {"CallStillGoingAtTheEnd", "02 0e 0e 00 01 00 02 81 05 00 01 01 00 00 00 00",
     "outgoing, begun before the trace (record 1)\n  not connected in the trace\n  still going "
     "at the end of the trace: dialling",
     ""},
    {"ConnectB3ConfirmationWithoutItsRequest", "02 0e 0e 00 01 00 82 81 03 00 01 01 01 00 00 00",
     "not connected in the trace\n  NCCI 00010101, begun before the trace: not connected in "
     "the trace\n    sent 0 blocks (0 bytes), received 0 blocks (0 bytes)\n    still connected "
     "at the end of the trace\n  still going",
     ""},
    // The same message number before the first was answered: the first can no
    // longer be told apart, and the answer settles the second.
    {"IndicationNumberRepeatedBeforeItsAnswer",
     "02 0d 0d 00 01 00 08 82 05 01 01 01 00 00 00  02 0d 0d 00 01 00 08 82 05 01 01 01 00 00 00"
     "  01 0c 0c 00 01 00 08 83 05 01 01 01 00 00",
     "PLCI 0101", ""},
    {"MessageCutInsideItsHeader", "02 0e 0e 00 01", "",
     "trace:1: note: the message is cut off before its command"},
};

testing::Bytes bytesOf(const char* hex) {
    testing::Bytes bytes;
    std::istringstream words(hex);
    for (std::string word; words >> word;) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(word, nullptr, 16)));
    }
    return bytes;
}

class OddTrace : public ::testing::TestWithParam<Row> {};

TEST_P(OddTrace, ShowsWhatTheTraceHolds) {
    const Row& row = GetParam();
    const CallModel model = testing::modelOf(bytesOf(row.records));
    const std::string findings = testing::checkText(model, "trace");
    EXPECT_NE(testing::callsText(model, false).find(row.calls), std::string::npos)
        << testing::callsText(model, false);
    EXPECT_NE(findings.find(row.check), std::string::npos) << findings;
    EXPECT_EQ(model.counts().errors + model.counts().warnings, 0u) << findings;
}

INSTANTIATE_TEST_SUITE_P(Rows, OddTrace, ::testing::ValuesIn(rows), testing::NamedByRow());

}  // namespace
}  // namespace ambertap
