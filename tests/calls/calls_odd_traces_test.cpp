// Traces that no correct exchange makes, or that begin in the middle of one:
// each row names what `calls` and `check` must say of it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "calls_test_support.h"
#include "case_names.h"

namespace ambertap {
namespace {

struct OddTraceRow {
    std::string name;
    const char* records;      // hex bytes: direction, length, message, record after record
    const char* calls;        // a part of the `calls` text
    const char* check;        // a part of the `check` text
    const char* json = "";    // a part of the `calls --json` text
    const char* absent = "";  // in neither the `calls` nor the `check` text
};

const OddTraceRow oddTraces[] = {
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
    // A step that the states have no row for is told, and changes nothing.
    {"ConnectedTwice",
     "02 0f 0f 00 01 00 03 82 00 01 01 01 00 00 00 00 00  01 0c 0c 00 01 00 03 83 00 01 01 01 00 00"
     "  02 0f 0f 00 01 00 03 82 01 01 01 01 00 00 00 00 00"
     "  01 0c 0c 00 01 00 03 83 01 01 01 01 00 00",
     "connected at record 1\n  still going at the end of the trace: connected",
     "trace:3: note: CONNECT_ACTIVE_IND #0101 on PLCI 0101 does not fit its call, which is "
     "connected (CONNECT_ACTIVE_IND, record 1): its state stays as it was"},
    {"MessageCutInsideItsHeader", "02 0e 0e 00 01", "",
     "trace:1: note: the message is cut off before its command"},
    // A call's bearer, and a B1 protocol that it cannot carry.
    {"DigitalCallAnsweredWithAModem",
     "02 18 18 00 01 00 02 82 01 00 01 01 00 00 02 00 00 00 00 00 02 88 90 00 00 00"
     "  01 1c 1c 00 01 00 02 83 01 00 01 01 00 00 00 00 09 08 00 01 00 00 00 00 00 00 00 00 00 00",
     "  service: CIP 0002 (unrestricted digital information)\n  bearer: unrestricted digital "
     "information, 64 kbit/s, circuit mode\n  called -, calling -\n",
     "trace:2: note: CONNECT_RESP #0001 on PLCI 0101 accepts CONNECT_IND #0001 (record 1) with "
     "B1 0008 (modem asynchronous), which its bearer cannot carry (BC: unrestricted digital "
     "information, 64 kbit/s, circuit mode): the two ends then speak different things on the B "
     "channel\n",
     "\"bearer\":{\"description\":\"unrestricted digital information, 64 kbit/s, circuit "
     "mode\",\"informationTransferCapability\":{\"value\":8,\"name\":\"unrestricted digital "
     "information\"},\"record\":1}"},
    {"SpeechCallAnsweredWithTheDefaultProtocols",
     "02 19 19 00 01 00 02 82 01 00 01 01 00 00 01 00 00 00 00 00 03 80 90 a3 00 00 00"
     "  01 13 13 00 01 00 02 83 01 00 01 01 00 00 00 00 00 00 00 00 00",
     "  bearer: speech, 64 kbit/s, circuit mode, G.711 A-law\n",
     "with B1 0000 (64 kbit/s with HDLC framing), the default of an empty B protocol, which its "
     "bearer cannot carry (BC: speech, 64 kbit/s, circuit mode, G.711 A-law)"},
    {"SpeechCallRejectedWithTheDefaultProtocols",
     "02 19 19 00 01 00 02 82 01 00 01 01 00 00 01 00 00 00 00 00 03 80 90 a3 00 00 00"
     "  01 13 13 00 01 00 02 83 01 00 01 01 00 00 03 00 00 00 00 00 00",
     "  bearer: speech", "", "", "cannot carry"},
    {"CallOfUnnamedCapabilityAnsweredWithHdlc",
     "02 19 19 00 01 00 02 82 01 00 01 01 00 00 01 00 00 00 00 00 03 95 90 a3 00 00 00"
     "  01 13 13 00 01 00 02 83 01 00 01 01 00 00 00 00 00 00 00 00 00",
     "  bearer: information transfer capability 21, 64 kbit/s", "", "", "cannot carry"},
    // Where the network's clearing arose: the cause element of the cause
    // that the Reason carries, not merely the last.
    {"CauseOfTheReasonAmongTwo",
     "02 11 11 00 01 00 08 82 01 00 01 01 00 00 08 00 02 84 91"
     "  01 0c 0c 00 01 00 08 83 01 00 01 01 00 00"
     "  02 11 11 00 01 00 08 82 02 00 01 01 00 00 08 00 02 82 90"
     "  01 0c 0c 00 01 00 08 83 02 00 01 01 00 00"
     "  02 0e 0e 00 01 00 04 82 03 00 01 01 00 00 91 34"
     "  01 0c 0c 00 01 00 04 83 03 00 01 01 00 00",
     "  cleared by the network: Reason 3491 (user busy), record 5\n  cause: user busy (cause "
     "17), from the public network serving the remote user, record 1\n",
     "",
     "\"record\":5,\"cause\":{\"value\":17,\"name\":\"user busy\",\"location\":{\"value\":4,"
     "\"name\":\"public network serving the remote user\"},\"description\":\"user busy (cause "
     "17), from the public network serving the remote user\",\"record\":1}}"},
    {"CauseThatTheReasonDoesNotCarry",
     "02 11 11 00 01 00 08 82 01 00 01 01 00 00 08 00 02 84 91"
     "  01 0c 0c 00 01 00 08 83 01 00 01 01 00 00"
     "  02 0e 0e 00 01 00 04 82 03 00 01 01 00 00 04 33"
     "  01 0c 0c 00 01 00 04 83 03 00 01 01 00 00",
     "  cleared by the network: Reason 3304 (another application got the call), record 3\n", "", "",
     "cause:"},
};

testing::Bytes hexBytes(const char* hex) {
    testing::Bytes bytes;
    std::istringstream words(hex);
    for (std::string word; words >> word;) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(word, nullptr, 16)));
    }
    return bytes;
}

class OddTrace : public ::testing::TestWithParam<OddTraceRow> {};

TEST_P(OddTrace, ShowsWhatTheTraceHolds) {
    const OddTraceRow& row = GetParam();
    const testing::Capture capture{hexBytes(row.records), {}};
    const testing::Checked checked = testing::checkOf(capture, "trace");
    const std::string calls = testing::callsText(capture, false);
    const std::string json = testing::callsText(capture, true);
    EXPECT_NE(calls.find(row.calls), std::string::npos) << calls;
    EXPECT_NE(checked.text.find(row.check), std::string::npos) << checked.text;
    EXPECT_NE(json.find(row.json), std::string::npos) << json;
    if (*row.absent != '\0') {
        EXPECT_EQ(calls.find(row.absent), std::string::npos) << calls;
        EXPECT_EQ(checked.text.find(row.absent), std::string::npos) << checked.text;
    }
    EXPECT_EQ(checked.counts.errors + checked.counts.warnings, 0u) << checked.text;
}

INSTANTIATE_TEST_SUITE_P(Rows, OddTrace, ::testing::ValuesIn(oddTraces), testing::NamedByRow());

}  // namespace
}  // namespace ambertap
