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
    const char* records;    // hex bytes: direction, length, message, record after record
    const char* calls;      // a part of the `calls` text
    const char* check;      // a part of the `check` text
    const char* json = "";  // a part of the `calls --json` text
};

const Row rows[] = {
    // A fuzzer's find: an NCCI whose PLCI part is 0 names no call.
    {"ConnectB3IndicationWithoutPlci", "02 0d 0d 00 01 00 82 82 01 01 01 00 01 00 00",
     "application 1, controller 1: messages of no call (record 1)\n  CONNECT_B3_IND: 1",
     "trace:1: note: CONNECT_B3_IND #0101 on NCCI 00010001 is not answered by the end"},
    // LISTEN addresses a controller, whatever bits stand above its byte.
    {"ListenOnAControllerWithHighBitsSet",
     "01 1a 1a 00 01 00 05 80 06 00 ff ff ff ff 00 00 00 00 01 00 00 00 00 00 00 00 00 00",
     "application 1, controller 127 (external): messages of no call (record 1)\n  LISTEN_REQ: 1",
     "trace:1: note: LISTEN_REQ #0006"},
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
    // Numbers are the trace's bytes: control bytes show as '.' in the text,
    // and JSON writes a quote and a backslash as \" and \\, every other byte
    // outside printable ASCII as \u00XX, as show --json does.
    {"ControlBytesInACallingNumber",
     "02 1e 1e 00 01 00 02 82 00 01 01 01 00 00 10 00 03 81 34 37 05 01 80 22 1b 5c"
     "  00 00 00 00 00 00",
     "  called 47, calling \".\\\n", "",
     "\"calledPartyNumber\":\"47\",\"callingPartyNumber\":\"\\\"\\u001b\\\\\""},
    {"IncomingCallRejected",
     "02 1e 1e 00 01 00 02 82 00 01 01 01 00 00 10 00 03 81 34 37 05 01 80 22 1b 5c"
     "  00 00 00 00 00 00  01 13 13 00 01 00 02 83 00 01 01 01 00 00 03 00 00 00 00 00 00"
     "  02 0e 0e 00 01 00 04 82 01 01 01 01 00 00 00 00"
     "  01 0c 0c 00 01 00 04 83 01 01 01 01 00 00",
     "incoming (records 1-4)\n  service: CIP 0010 (telephony)\n  called 47, calling \".\\\n"
     "  answered at record 2: Reject 0003 (user busy)\n  B protocols: B1 0000 (64 kbit/s with "
     "HDLC framing), B2 0000 (ISO 7776 (X.75 SLP)), B3 0000 (transparent)\n  not connected in "
     "the trace\n  cleared by the application: Reason 0000 (no error), record 3\n",
     "", "\"answer\":{\"reject\":{\"value\":3,\"name\":\"user busy\"},\"record\":2}"},
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
    EXPECT_NE(testing::callsText(model, true).find(row.json), std::string::npos)
        << testing::callsText(model, true);
    EXPECT_EQ(model.counts().errors + model.counts().warnings, 0u) << findings;
}

INSTANTIATE_TEST_SUITE_P(Rows, OddTrace, ::testing::ValuesIn(rows), testing::NamedByRow());

}  // namespace
}  // namespace ambertap
