// The fault table: each row takes a correct sample trace, removes, changes or
// repeats one message, and names the one finding that must then appear at its
// record. No row may bring any other error. Removing each kind of answer and
// of confirmation shows what the later messages prove; a row with a gap shows
// that a loss the gap may hold is only a note.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "call_views.h"
#include "calls_test_support.h"
#include "case_names.h"

namespace ambertap {
namespace {

using testing::Bytes;

struct Edit {
    enum Kind { none, remove, patch, copy } kind = none;
    std::size_t record = 0;  // 1 for the first
    std::size_t offset = 0;  // into the message, for a patch
    std::uint32_t value = 0;
    std::size_t width = 0;
    std::size_t after = 0;  // a copy goes after this record
};

Edit unchanged() {
    return {};
}
Edit removed(std::size_t record) {
    return {Edit::remove, record};
}
// A little-endian word (width 2) or dword (width 4) of the message, changed.
Edit patched(std::size_t record, std::size_t offset, std::uint32_t value, std::size_t width) {
    return {Edit::patch, record, offset, value, width};
}
Edit copied(std::size_t record, std::size_t after) {
    return {Edit::copy, record, 0, 0, 0, after};
}

// Message offsets of the parameters the rows change.
constexpr std::size_t address = 8;
constexpr std::size_t secondParameter = 12;  // Info, Data handle of a DATA_B3_RESP
constexpr std::size_t cipMask = 16;
constexpr std::size_t connectResponsesB1 = 15;

struct Row {
    std::string name;
    const char* sample;
    Edit edit;
    std::size_t keepRecords;  // 0: all of them
    std::size_t dropBytes;    // from the end of what is kept
    Severity severity;
    std::uint64_t record;
    const char* text;          // a distinctive part of the finding
    std::size_t gapAfter = 0;  // a possible gap after this record of the edited trace
};

using testing::busy;
using testing::fax;
using testing::incoming;
using testing::outgoing;

const Row rows[] = {
    // One answer removed.
    {"ConnectActiveIndicationNeverAnswered", outgoing, removed(6), 0, 0, Severity::error, 5,
     "CONNECT_ACTIVE_IND #0100 on PLCI 0101 was never answered: application 1 answered the end "
     "of PLCI 0101 (DISCONNECT_RESP #0106, record 27) without answering it; answer it with "
     "CONNECT_ACTIVE_RESP"},
    {"B3ActiveIndicationNeverAnswered", outgoing, removed(10), 0, 0, Severity::error, 9,
     "CONNECT_B3_ACTIVE_IND #0101 on NCCI 00010101 was never answered"},
    {"DataIndicationNeverAnswered", outgoing, removed(16), 0, 0, Severity::error, 15,
     "DATA_B3_IND #0102 on NCCI 00010101 was never answered: application 1 answered the end "
     "of NCCI 00010101 (DISCONNECT_B3_RESP #0104, record 21)"},
    {"DisconnectB3IndicationNeverAnsweredBeforeTheCallsEnd", outgoing, removed(22), 0, 0,
     Severity::error, 21,
     "DISCONNECT_B3_IND #0104 on NCCI 00010101 was never answered: application 1 answered the "
     "end of PLCI 0101 (DISCONNECT_RESP #0106, record 27) without answering it; the NCCI was "
     "not released; answer it with DISCONNECT_B3_RESP"},
    {"InfoIndicationNeverAnsweredBeforeTheCallsEnd", outgoing, removed(26), 0, 0, Severity::error,
     25, "INFO_IND #0105 on PLCI 0101 was never answered"},
    {"DisconnectIndicationOpenAtTheEnd", outgoing, removed(28), 0, 0, Severity::note, 27,
     "DISCONNECT_IND #0106 on PLCI 0101 is not answered by the end of the trace"},
    {"ConnectIndicationNeverAnswered", incoming, removed(11), 0, 0, Severity::error, 5,
     "CONNECT_IND #0100 on PLCI 0201 was never answered: application 1 answered "
     "CONNECT_ACTIVE_RESP #0101 (record 14), which comes only after this answer"},
    {"ConnectB3IndicationNeverAnswered", incoming, removed(17), 0, 0, Severity::error, 16,
     "CONNECT_B3_IND #0102 on NCCI 00010201 was never answered: application 1 answered "
     "CONNECT_B3_ACTIVE_RESP #0103 (record 18)"},
    {"FacilityIndicationNeverAnswered", incoming, removed(41), 0, 0, Severity::error, 40,
     "FACILITY_IND #010c on PLCI 0201 was never answered: application 1 answered the end of "
     "PLCI 0201 (DISCONNECT_RESP #010f, record 48) without answering it; answer it with "
     "FACILITY_RESP"},
    {"VoiceCallsDisconnectB3IndicationNeverAnswered", incoming, removed(45), 0, 0, Severity::error,
     44,
     "DISCONNECT_B3_IND #010d on NCCI 00010201 was never answered: application 1 answered the "
     "end of PLCI 0201 (DISCONNECT_RESP #010f, record 48)"},
    {"CallProceedingNeverAnswered", busy, removed(6), 0, 0, Severity::error, 5,
     "INFO_IND #0200 on PLCI 0101 was never answered: application 3 answered the end of PLCI "
     "0101 (DISCONNECT_RESP #0202, record 9)"},
    {"FaxDisconnectB3IndicationNeverAnswered", fax, removed(32), 0, 0, Severity::error, 31,
     "DISCONNECT_B3_IND #0302 on NCCI 00010301 was never answered: application 4 answered the "
     "end of PLCI 0301 (DISCONNECT_RESP #0303, record 35)"},

    // One confirmation removed.
    {"ListenNeverConfirmed", outgoing, removed(2), 0, 0, Severity::warning, 1,
     "LISTEN_REQ #0001 on controller 1 was never confirmed, though CAPI confirmed the later "
     "CONNECT_REQ #0002 (record 2) of application 1 on the same address"},
    {"ConnectRequestOpenAtTheEnd", outgoing, removed(4), 0, 0, Severity::note, 3,
     "CONNECT_REQ #0002 on controller 1 is not confirmed by the end of the trace"},
    {"ConnectB3RequestNeverConfirmed", outgoing, removed(8), 0, 0, Severity::warning, 7,
     "CONNECT_B3_REQ #0003 on PLCI 0101 was never confirmed, though CAPI confirmed the later "
     "DISCONNECT_REQ #0007 (record 22)"},
    {"DataRequestNeverConfirmed", outgoing, removed(12), 0, 0, Severity::warning, 11,
     "DATA_B3_REQ #0004 on NCCI 00010101 was never confirmed, though CAPI confirmed the later "
     "DATA_B3_REQ #0005 (record 12)"},
    {"DisconnectB3RequestNeverConfirmed", outgoing, removed(20), 0, 0, Severity::warning, 19,
     "DISCONNECT_B3_REQ #0006 on NCCI 00010101 was never confirmed: application 1 answered the "
     "end of NCCI 00010101 (DISCONNECT_B3_RESP #0104, record 21), after which nothing on it is "
     "confirmed"},
    {"DisconnectRequestNeverConfirmed", outgoing, removed(24), 0, 0, Severity::warning, 23,
     "DISCONNECT_REQ #0007 on PLCI 0101 was never confirmed: application 1 answered the end of "
     "PLCI 0101 (DISCONNECT_RESP #0106, record 27)"},
    {"AlertNeverConfirmed", incoming, removed(8), 0, 0, Severity::warning, 7,
     "ALERT_REQ #0002 on PLCI 0201 was never confirmed, though CAPI confirmed the later "
     "FACILITY_REQ #0003 (record 19) of application 1"},
    {"SecondApplicationsAlertNeverConfirmed", incoming, removed(10), 0, 0, Severity::warning, 9,
     "ALERT_REQ #0002 on PLCI 0201 was never confirmed: application 2 answered the end of PLCI "
     "0201 (DISCONNECT_RESP #0101, record 12)"},
    {"FacilityRequestNeverConfirmed", incoming, removed(21), 0, 0, Severity::warning, 20,
     "FACILITY_REQ #0003 on PLCI 0201 was never confirmed: application 1 answered the end of "
     "PLCI 0201 (DISCONNECT_RESP #010f, record 48)"},
    {"LastDataRequestNeverConfirmed", incoming, removed(43), 0, 0, Severity::warning, 42,
     "DATA_B3_REQ #0005 on NCCI 00010201 was never confirmed: application 1 answered the end of "
     "NCCI 00010201 (DISCONNECT_B3_RESP #010d, record 44)"},
    {"BusyCallsConnectRequestOpenAtTheEnd", busy, removed(4), 0, 0, Severity::note, 3,
     "CONNECT_REQ #0002 on controller 1 is not confirmed by the end of the trace"},
    {"FaxDisconnectRequestNeverConfirmed", fax, removed(35), 0, 0, Severity::warning, 33,
     "DISCONNECT_REQ #000e on PLCI 0301 was never confirmed: application 4 answered the end of "
     "PLCI 0301 (DISCONNECT_RESP #0303, record 35)"},

    // Other faults.
    {"DataResponseWithAnotherHandle", outgoing, patched(16, secondParameter, 8, 2), 0, 0,
     Severity::error, 16, "with Data handle 0008, but the indication carries 0007"},
    {"ResponseWithAnotherPlci", outgoing, patched(6, address, 0x0201, 4), 0, 0, Severity::error, 6,
     "CONNECT_ACTIVE_RESP #0100 answers CONNECT_ACTIVE_IND #0100 (record 5) with PLCI 0201, "
     "but the indication was for PLCI 0101"},
    {"DisconnectAnsweredTwice", outgoing, copied(28, 28), 0, 0, Severity::error, 29,
     "DISCONNECT_RESP #0106 uses PLCI 0101 after its end (DISCONNECT_RESP, record 28)"},
    {"DataAfterTheConnectionsEnd", outgoing, copied(13, 22), 0, 0, Severity::error, 23,
     "DATA_B3_REQ #0005 uses NCCI 00010101 after its end (DISCONNECT_B3_RESP, record 22)"},
    {"InfoAfterTheCallsEnd", outgoing, copied(18, 28), 0, 0, Severity::error, 29,
     "INFO_RESP #0103 uses PLCI 0101 after its end"},
    {"ConfirmationWithErrorInfo", outgoing, patched(20, secondParameter, 0x2001, 2), 0, 0,
     Severity::error, 20,
     "DISCONNECT_B3_CONF #0006 answers DISCONNECT_B3_REQ #0006 (record 19) with Info 2001 "
     "(not supported in the current state): the request was not carried out; put the request "
     "only in a state that allows it"},
    {"ConfirmationWithErrorInfoAfterACrossingClearDown", fax,
     patched(35, secondParameter, 0x2001, 2), 0, 0, Severity::note, 35,
     "with Info 2001 (not supported in the current state), and a clearing indication "
     "(record 34) crossed the request"},
    {"FacilityNotSupported", incoming, patched(21, secondParameter, 0x300b, 2), 0, 0,
     Severity::note, 21, "with Info 300b (facility not supported): the facility is not there"},
    {"FacilityRefused", incoming, patched(21, secondParameter, 0x2007, 2), 0, 0, Severity::error,
     21, "FACILITY_CONF #0003 answers FACILITY_REQ #0003 (record 20)"},
    {"ListenRefused", outgoing, patched(2, secondParameter, 0x1002, 2), 0, 0, Severity::error, 2,
     "LISTEN_CONF #0001 answers LISTEN_REQ #0001 (record 1) with Info 1002"},
    {"EightDataRequestsWaiting", fax, removed(18), 0, 0, Severity::warning, 18,
     "DATA_B3_REQ #000b on NCCI 00010301 makes 8 DATA_B3_REQ waiting for their DATA_B3_CONF"},
    {"EightDataIndicationsWaiting", incoming, removed(29), 29, 0, Severity::warning, 29,
     "DATA_B3_IND #010b on NCCI 00010201 makes 8 DATA_B3_IND waiting for their DATA_B3_RESP"},
    {"ListenWithoutCipMask", incoming, patched(1, cipMask, 0, 4), 0, 0, Severity::note, 1,
     "LISTEN_REQ #0001 on controller 1 has CIP mask 00000000"},
    {"SpeechCallAnsweredWithHdlc", incoming, patched(11, connectResponsesB1, 0, 2), 0, 0,
     Severity::note, 11,
     "CONNECT_RESP #0100 on PLCI 0201 accepts CONNECT_IND #0100 (record 5) with B1 0000 (64 "
     "kbit/s with HDLC framing), which its bearer cannot carry (BC: speech, 64 kbit/s, circuit "
     "mode, G.711 A-law)"},
    {"CallOfferedToTwoApplications", incoming, unchanged(), 0, 0, Severity::note, 6,
     "CONNECT_IND #0100 on PLCI 0201: the call ended before application 2 answered it "
     "(DISCONNECT_IND, record 12, Reason 3304 (another application got the call))"},
    {"IndicationOpenAtTheEnd", outgoing, unchanged(), 15, 0, Severity::note, 15,
     "DATA_B3_IND #0102 on NCCI 00010101 is not answered by the end of the trace"},
    {"MessageCutOff", outgoing, unchanged(), 15, 3, Severity::note, 15,
     "the DATA_B3_IND is cut off"},

    // A gap between a message and its proof may hold what was lost.
    {"DataResponseLostInAGap", outgoing, removed(16), 0, 0, Severity::note, 15,
     "DATA_B3_IND #0102 on NCCI 00010101 was never answered: application 1 answered the end of "
     "NCCI 00010101 (DISCONNECT_B3_RESP #0104, record 21) without answering it; it held one of "
     "the connection's receive buffers; answer it with DATA_B3_RESP; the capture's possible "
     "gap after record 15 may hold a lost message that explains it",
     15},
    {"DisconnectConfirmationLostInAGap", outgoing, removed(24), 0, 0, Severity::note, 23,
     "DISCONNECT_REQ #0007 on PLCI 0101 was never confirmed: application 1 answered the end of "
     "PLCI 0101 (DISCONNECT_RESP #0106, record 27), after which nothing on it is confirmed; the "
     "capture's possible gap after record 24",
     24},
    {"NewConnectionLostInAGap", outgoing, copied(13, 22), 0, 0, Severity::note, 23,
     "DATA_B3_REQ #0005 uses NCCI 00010101 after its end (DISCONNECT_B3_RESP, record 22): an "
     "NCCI is gone once its DISCONNECT_B3_IND is answered; the capture's possible gap after "
     "record 22",
     22},
    {"IndicationWithTheSameNumberLostInAGap", outgoing, patched(16, secondParameter, 8, 2), 0, 0,
     Severity::note, 16,
     "but the indication carries 0007: answer with the indication's Data "
     "handle; the capture's possible gap after record 15",
     15},
};

Bytes editedTrace(const Row& row) {
    std::vector<Bytes> records =
        testing::recordsOf(testing::listingBytes(testing::samplePath(row.sample)));
    const Edit& edit = row.edit;
    switch (edit.kind) {
        case Edit::none:
            break;
        case Edit::remove:
            records.erase(records.begin() + static_cast<long>(edit.record - 1));
            break;
        case Edit::patch:
            for (std::size_t i = 0; i < edit.width; ++i) {
                records[edit.record - 1][2 + edit.offset + i] =
                    static_cast<std::uint8_t>(edit.value >> (8 * i));
            }
            break;
        case Edit::copy:
            records.insert(records.begin() + static_cast<long>(edit.after),
                           records[edit.record - 1]);
            break;
    }
    if (row.keepRecords != 0) {
        records.resize(row.keepRecords);
    }
    Bytes trace = testing::traceOf(records);
    trace.resize(trace.size() - row.dropBytes);
    return trace;
}

// "trace:15: error: ..." read back into its record, severity and text.
struct Line {
    std::uint64_t record = 0;
    std::string severity;
    std::string text;
};

std::vector<Line> linesOf(const std::string& findings) {
    std::vector<Line> lines;
    std::istringstream in(findings);
    for (std::string line; std::getline(in, line);) {
        const std::size_t recordAt = line.find(':') + 1;
        const std::size_t severityAt = line.find(": ", recordAt) + 2;
        const std::size_t textAt = line.find(": ", severityAt) + 2;
        lines.push_back({std::stoull(line.substr(recordAt)),
                         line.substr(severityAt, textAt - 2 - severityAt), line.substr(textAt)});
    }
    return lines;
}

const char* severityWord(Severity severity) {
    return severity == Severity::error     ? "error"
           : severity == Severity::warning ? "warning"
                                           : "note";
}

class FaultTable : public ::testing::TestWithParam<Row> {};

testing::Capture captureOf(const Row& row) {
    return {editedTrace(row), row.gapAfter != 0 ? std::vector<std::size_t>{row.gapAfter}
                                                : std::vector<std::size_t>{}};
}

TEST_P(FaultTable, GivesItsFindingAtItsRecordAndNoOtherError) {
    const Row& row = GetParam();
    const testing::Checked checked = testing::checkOf(captureOf(row), "trace");
    const std::vector<Line> lines = linesOf(checked.text);
    EXPECT_EQ(lines.size(), checked.counts.errors + checked.counts.warnings + checked.counts.notes);
    std::size_t found = 0;
    for (const Line& line : lines) {
        if (line.record == row.record && line.severity == severityWord(row.severity)) {
            ++found;
            EXPECT_NE(line.text.find(row.text), std::string::npos) << line.text;
        } else {
            EXPECT_NE(line.severity, "error") << line.text;
        }
    }
    EXPECT_EQ(found, 1u) << checked.text;
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultTable, ::testing::ValuesIn(rows), testing::NamedByRow());

// Reads, for each row: its text's count of findings, its record and severity,
// then its JSON lines; each must parse, as many findings as the text has
// lines, one of them at the row's record with its severity.
constexpr const char* jsonCheck = R"(
import json, sys
lines = sys.stdin.read().split("\n")[:-1]
at = 0
while at < len(lines):
    count, record, severity = lines[at].split()
    objects = [json.loads(line) for line in lines[at + 1 : at + 1 + int(count)]]
    at += 1 + int(count)
    assert all(o["type"] == "finding" and o["proof"] is not None for o in objects), objects
    found = [o for o in objects if o["record"] == int(record) and o["severity"] == severity]
    assert len(found) == 1, (record, severity, objects)
print("ok")
)";

TEST(FaultTableJson, EveryRowsFindingsParseAsJsonLines) {
    std::string rowsJson;
    for (const Row& row : rows) {
        const testing::Checked text = testing::checkOf(captureOf(row), "trace");
        const testing::Checked json = testing::checkOf(captureOf(row), "trace", CheckFormat::json);
        const std::size_t findings = linesOf(text.text).size();
        ASSERT_EQ(std::count(json.text.begin(), json.text.end(), '\n'),
                  static_cast<std::ptrdiff_t>(findings))
            << row.name;
        rowsJson += std::to_string(findings) + " " + std::to_string(row.record) + " " +
                    severityWord(row.severity) + "\n" + json.text;
    }
    const std::string folder = ::testing::TempDir();
    const std::string input = folder + "/fault_rows.jsonl";
    const std::string script = folder + "/fault_rows_check.py";
    std::ofstream(input) << rowsJson;
    std::ofstream(script) << jsonCheck;
    const std::string command = "python3 '" + script + "' <'" + input + "' 2>&1";
    std::FILE* python = popen(command.c_str(), "r");
    ASSERT_NE(python, nullptr);
    std::string said;
    char piece[256];
    while (std::fgets(piece, sizeof piece, python) != nullptr) {
        said += piece;
    }
    EXPECT_EQ(pclose(python), 0) << said;
    EXPECT_EQ(said, "ok\n");
}

}  // namespace
}  // namespace ambertap
