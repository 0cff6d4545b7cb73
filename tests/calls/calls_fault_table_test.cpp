// The fault table: each row takes a correct sample trace, removes, changes or
// repeats one message, and names the one finding that must then appear at its
// record. No row may bring any other error.
#include <gtest/gtest.h>

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

struct Row {
    std::string name;
    const char* sample;
    Edit edit;
    std::size_t keepRecords;  // 0: all of them
    std::size_t dropBytes;    // from the end of what is kept
    Severity severity;
    std::uint64_t record;
    const char* text;  // a distinctive part of the finding
};

constexpr const char* outgoing = "outgoing_data_call.hex";
constexpr const char* incoming = "incoming_voice_call.hex";
constexpr const char* fax = "fax_breaks_off.hex";

const Row rows[] = {
    {"DataIndicationNeverAnswered", outgoing, removed(16), 0, 0, Severity::error, 15,
     "DATA_B3_IND #0102 on NCCI 00010101 was never answered: application 1 answered the end "
     "of NCCI 00010101 (DISCONNECT_B3_RESP #0104, record 21)"},
    {"B3ActiveIndicationNeverAnswered", outgoing, removed(10), 0, 0, Severity::error, 9,
     "CONNECT_B3_ACTIVE_IND #0101 on NCCI 00010101 was never answered"},
    {"InfoIndicationNeverAnsweredBeforeTheCallsEnd", outgoing, removed(26), 0, 0, Severity::error,
     25, "INFO_IND #0105 on PLCI 0101 was never answered"},
    {"ConnectIndicationNeverAnswered", incoming, removed(11), 0, 0, Severity::error, 5,
     "CONNECT_IND #0100 on PLCI 0201 was never answered: application 1 answered "
     "CONNECT_ACTIVE_RESP #0101 (record 14), which comes only after this answer"},
    {"ConnectB3IndicationNeverAnswered", incoming, removed(17), 0, 0, Severity::error, 16,
     "CONNECT_B3_IND #0102 on NCCI 00010201 was never answered"},
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
    {"DataRequestNeverConfirmed", outgoing, removed(12), 0, 0, Severity::warning, 11,
     "DATA_B3_REQ #0004 on NCCI 00010101 was never confirmed, though CAPI confirmed the later "
     "DISCONNECT_B3_REQ #0006 (record 18)"},
    {"EightDataRequestsWaiting", fax, removed(18), 0, 0, Severity::warning, 18,
     "DATA_B3_REQ #000b on NCCI 00010301 makes 8 DATA_B3_REQ waiting for their DATA_B3_CONF"},
    {"EightDataIndicationsWaiting", incoming, removed(29), 29, 0, Severity::warning, 29,
     "DATA_B3_IND #010b on NCCI 00010201 makes 8 DATA_B3_IND waiting for their DATA_B3_RESP"},
    {"CallClearedBeforeItsB3ConnectionWasAnsweredDown", outgoing, removed(22), 0, 0,
     Severity::warning, 27,
     "DISCONNECT_RESP #0106 ends PLCI 0101 while DISCONNECT_B3_IND #0104 on NCCI 00010101 "
     "(record 21) is not answered"},
    {"ListenWithoutCipMask", incoming, patched(1, cipMask, 0, 4), 0, 0, Severity::note, 1,
     "LISTEN_REQ #0001 on controller 1 has CIP mask 00000000"},
    {"CallOfferedToTwoApplications", incoming, unchanged(), 0, 0, Severity::note, 6,
     "CONNECT_IND #0100 on PLCI 0201: the call ended before application 2 answered it "
     "(DISCONNECT_IND, record 12, Reason 3304 (another application got the call))"},
    {"IndicationOpenAtTheEnd", outgoing, unchanged(), 15, 0, Severity::note, 15,
     "DATA_B3_IND #0102 on NCCI 00010101 is not answered by the end of the trace"},
    {"RequestOpenAtTheEnd", outgoing, removed(24), 0, 0, Severity::note, 23,
     "DISCONNECT_REQ #0007 on PLCI 0101 is not confirmed by the end of the trace"},
    {"MessageCutOff", outgoing, unchanged(), 15, 3, Severity::note, 15,
     "the DATA_B3_IND is cut off"},
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

class FaultTable : public ::testing::TestWithParam<Row> {};

TEST_P(FaultTable, GivesItsFindingAtItsRecordAndNoOtherError) {
    const Row& row = GetParam();
    const CallModel model = testing::modelOf(editedTrace(row));
    const std::string findings = testing::checkText(model, "trace");

    std::vector<std::string> lines;
    for (std::size_t at = 0; at < findings.size(); at = findings.find('\n', at) + 1) {
        lines.push_back(findings.substr(at, findings.find('\n', at) - at));
    }
    ASSERT_EQ(lines.size(), model.findings().size());
    std::size_t found = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Finding& finding = model.findings()[i];
        if (finding.subject.record == row.record && severityOf(finding.kind) == row.severity) {
            ++found;
            EXPECT_NE(lines[i].find(row.text), std::string::npos) << lines[i];
        } else {
            EXPECT_NE(severityOf(finding.kind), Severity::error) << lines[i];
        }
    }
    EXPECT_EQ(found, 1u) << findings;
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultTable, ::testing::ValuesIn(rows), testing::NamedByRow());

}  // namespace
}  // namespace ambertap
