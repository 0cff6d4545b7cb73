#include "ladder_cases.h"

#include <algorithm>

namespace ambertap::ladder::testing {

namespace {

bool startsWith(const std::string& text, const char* start) {
    return text.rfind(start, 0) == 0;
}

Fold foldOf(const Message& message, Fold foldAll) {
    if (foldAll != Fold::never) {
        return foldAll;
    }
    if (startsWith(message.name, "DATA_B3_REQ") || startsWith(message.name, "DATA_B3_IND")) {
        return Fold::dataBlock;
    }
    if (startsWith(message.name, "DATA_B3_CONF") || startsWith(message.name, "DATA_B3_RESP")) {
        return Fold::dataAnswer;
    }
    return Fold::never;
}

Arrow arrowOf(const Message& message, const DiagramTable& table) {
    Arrow arrow;
    arrow.record = message.record;
    arrow.applId = message.applId;
    arrow.put = message.way == '>';
    arrow.name = message.name;
    arrow.parameters = message.parameters;
    arrow.time = message.time;
    arrow.partner = message.partner;
    arrow.fold = foldOf(message, table.foldAll);
    arrow.dataBytes = message.dataBytes;
    for (const MarkAt& mark : table.marks) {
        if (mark.record == message.record) {
            arrow.marks.push_back({mark.severity, mark.text});
        }
    }
    arrow.decode = {
        std::string(arrow.put ? "Put " : "Get ") + message.name + ' ' + message.parameters,
        "  Record: " + std::to_string(message.record)};
    return arrow;
}

// Sent to CAPI and got from it.
constexpr char put = '>';
constexpr char got = '<';

DiagramTable outgoingDataCall() {
    return {
        {1, {1}, 0x0101, "outgoing"},
        {
            {3, 1, put, "CONNECT_REQ",
             "1 0002 [81 0301234567] [01 80 4711] [] [] B[HDLC Frm, ISO 7776, Transp] BC[ 88 90] "
             "LLC[] HLC[] AI[]",
             4},
            {4, 1, got, "CONNECT_CONF", "00000101 0000", 3},
            {5, 1, got, "CONNECT_ACTIVE_IND", "00000101 [01 80 0301234567]", 6},
            {6, 1, put, "CONNECT_ACTIVE_RESP", "00000101", 5},
            {7, 1, put, "CONNECT_B3_REQ", "00000101", 8},
            {8, 1, got, "CONNECT_B3_CONF", "00010101 0000", 7},
            {9, 1, got, "CONNECT_B3_ACTIVE_IND", "", 10},
            {10, 1, put, "CONNECT_B3_ACTIVE_RESP", "", 9},
            {11, 1, put, "DATA_B3_REQ", "", 12, 128},
            {12, 1, got, "DATA_B3_CONF", "", 11},
            {13, 1, put, "DATA_B3_REQ", "", 14, 64},
            {14, 1, got, "DATA_B3_CONF", "", 13},
            {15, 1, got, "DATA_B3_IND", "", 16, 42},
            {16, 1, put, "DATA_B3_RESP", "", 15},
            {17, 1, got, "INFO_IND", "00000101 4000 Charging Units=2", 18},
            {18, 1, put, "INFO_RESP", "00000101", 17},
            {19, 1, put, "DISCONNECT_B3_REQ", "", 20},
            {20, 1, got, "DISCONNECT_B3_CONF", "", 19},
            {21, 1, got, "DISCONNECT_B3_IND", "00010101 0000", 22},
            {22, 1, put, "DISCONNECT_B3_RESP", "00010101", 21},
            {23, 1, put, "DISCONNECT_REQ", "00000101", 24},
            {24, 1, got, "DISCONNECT_CONF", "00000101 0000", 23},
            {25, 1, got, "INFO_IND", "00000101 0008 Cause=80 90", 26},
            {26, 1, put, "INFO_RESP", "00000101", 25},
            {27, 1, got, "DISCONNECT_IND", "00000101 3490", 28},
            {28, 1, put, "DISCONNECT_RESP", "00000101", 27},
        },
    };
}

const char* const listenNote =
    "LISTEN_REQ #0001 on controller 1 has CIP mask 00000000: application 1 will be offered no "
    "incoming call";

DiagramTable outgoingDataCallNoCall() {
    return {
        {1, {}, 0x01, ""},
        {
            {1, 1, put, "LISTEN_REQ", "1 00000041 00000000 00000000 []", 2},
            {2, 1, got, "LISTEN_CONF", "00000001 0000", 1},
        },
        {{1, Severity::note, listenNote}},
        {},
        Fold::noCall,
    };
}

const char* const givenUpNote =
    "CONNECT_IND #0100 on PLCI 0201: the call ended before application 2 answered it "
    "(DISCONNECT_IND, record 12, Reason 3304 (another application got the call))";

DiagramTable incomingVoiceCall() {
    DiagramTable table{
        {1, {1, 2}, 0x0201, "incoming"},
        {
            {5, 1, got, "CONNECT_IND", "00000201", 11},
            {6, 2, got, "CONNECT_IND", "00000201"},
            {7, 1, put, "ALERT_REQ", "", 8},
            {8, 1, got, "ALERT_CONF", "", 7},
            {9, 2, put, "ALERT_REQ", "", 10},
            {10, 2, got, "ALERT_CONF", "", 9},
            {11, 1, put, "CONNECT_RESP", "00000201 0000", 5},
            {12, 2, got, "DISCONNECT_IND", "00000201 3304", 13},
            {13, 2, put, "DISCONNECT_RESP", "00000201", 12},
            {14, 1, got, "CONNECT_ACTIVE_IND", "00000201 []", 15},
            {15, 1, put, "CONNECT_ACTIVE_RESP", "00000201", 14},
            {16, 1, got, "CONNECT_B3_IND", "", 17},
            {17, 1, put, "CONNECT_B3_RESP", "", 16},
            {18, 1, got, "CONNECT_B3_ACTIVE_IND", "", 19},
            {19, 1, put, "CONNECT_B3_ACTIVE_RESP", "", 18},
            {20, 1, put, "FACILITY_REQ", "", 21},
            {21, 1, got, "FACILITY_CONF", "", 20},
        },
        {{6, Severity::note, givenUpNote}},
    };
    // Seven blocks wait for their answers, then an eighth; the answers
    // follow in order.
    const std::uint64_t indications[] = {22, 23, 24, 25, 26, 27, 28, 30};
    const std::uint64_t responses[] = {29, 31, 32, 33, 34, 35, 36, 37};
    for (std::size_t block = 0; block < 8; ++block) {
        table.messages.push_back(
            {indications[block], 1, got, "DATA_B3_IND", "", responses[block], 160});
        table.messages.push_back(
            {responses[block], 1, put, "DATA_B3_RESP", "", indications[block]});
    }
    const std::vector<Message> end = {
        {38, 1, put, "DATA_B3_REQ", "", 39, 160},
        {39, 1, got, "DATA_B3_CONF", "", 38},
        {40, 1, got, "FACILITY_IND", "", 41},
        {41, 1, put, "FACILITY_RESP", "", 40},
        {42, 1, put, "DATA_B3_REQ", "", 43, 160},
        {43, 1, got, "DATA_B3_CONF", "", 42},
        {44, 1, got, "DISCONNECT_B3_IND", "00010201 0000", 45},
        {45, 1, put, "DISCONNECT_B3_RESP", "00010201", 44},
        {46, 1, got, "INFO_IND", "00000201 0008 Cause=80 90", 47},
        {47, 1, put, "INFO_RESP", "00000201", 46},
        {48, 1, got, "DISCONNECT_IND", "00000201 3490", 49},
        {49, 1, put, "DISCONNECT_RESP", "00000201", 48},
    };
    table.messages.insert(table.messages.end(), end.begin(), end.end());
    return table;
}

DiagramTable incomingNoCall(std::uint16_t applId, std::uint64_t first, const char* masks) {
    return {
        {1, {}, 0x01, ""},
        {
            {first, applId, put, "LISTEN_REQ", masks, first + 1},
            {first + 1, applId, got, "LISTEN_CONF", "00000001 0000", first},
        },
        {},
        {},
        Fold::noCall,
    };
}

// Labels longer than any room, a number with bytes outside printable ASCII
// and characters that markup must escape, records of many digits.
DiagramTable longLabels() {
    const std::string numbers = std::string("[81 030<1&2>\"3'] [01 80 \x1b[2J\x07\xe4\xfc\x9b") +
                                std::string(1, '\0') + "x]";
    std::string parameters;
    for (int repeat = 0; repeat < 12; ++repeat) {
        parameters += "B[HDLC Frm, ISO 7776, Transp] ";
    }
    return {
        {2, {7}, 0x0183, "outgoing, begun long before the trace and still going at its end"},
        {
            {999999999997, 3, put, "CONNECT_REQ", "1 0002 " + numbers + ' ' + parameters,
             999999999998},
            {999999999998, 3, got, "CONNECT_CONF", "00000103 0000", 999999999997},
            {999999999999, 3, got,
             "MANUFACTURER_IND_WITH_A_NAME_LONGER_THAN_ANY_ROOM_" + parameters, ""},
        },
        {{999999999999, Severity::warning,
          "a finding on a message whose name is too long " + parameters}},
    };
}

// An incoming call offered to seven applications at once.
DiagramTable sevenApplications() {
    DiagramTable table{{1, {1, 2, 3, 4, 5, 6, 7}, 0x0101, "incoming"}, {}};
    std::uint64_t record = 1;
    for (std::uint16_t applId = 1; applId <= 7; ++applId) {
        table.messages.push_back({record, applId, got, "CONNECT_IND",
                                  "00000101 0010 [01 4711] [00 80 0301234567] [] []", record + 7});
        ++record;
    }
    for (std::uint16_t applId = 1; applId <= 7; ++applId) {
        table.messages.push_back({record, applId, put, "CONNECT_RESP",
                                  applId == 4 ? "00000101 0000" : "00000101 0001", record - 7});
        ++record;
    }
    table.marks.push_back({3, Severity::warning, "a warning on application 3's CONNECT_IND"});
    return table;
}

// Enough rows for many chunks, with marks of every severity here and there.
DiagramTable manyRows() {
    DiagramTable table{{1, {1}, 0x0101, "outgoing"}, {}};
    for (std::uint64_t record = 1; record <= 400; record += 2) {
        table.messages.push_back(
            {record, 1, put, "FACILITY_REQ", "00000101 0001 [03 01 00 00]", record + 1});
        table.messages.push_back({record + 1, 1, got, "FACILITY_CONF", "00000101 0000", record});
        if (record % 50 == 1) {
            table.marks.push_back({record + 1, static_cast<Severity>(record / 50 % 3),
                                   "a finding every fifty records"});
        }
    }
    return table;
}

// A capture with times and gaps; a band whose pairs reach out of it, one
// broken by a marked DATA_B3_IND, and one longer than a band keeps.
DiagramTable bandsGapsAndTimes() {
    DiagramTable table{{1, {1}, 0x0101, "outgoing"}, {}};
    const auto at = [](std::uint64_t record) {
        return "12:00:" + std::to_string(10 + record / 1000) + '.' + std::to_string(record % 1000);
    };
    const auto add = [&](std::uint64_t record, char way, const char* name, std::uint64_t partner,
                         std::uint32_t bytes = 0) {
        table.messages.push_back({record, 1, way, name, "", partner, bytes, at(record)});
    };
    add(1, put, "CONNECT_B3_REQ", 2);
    add(2, got, "CONNECT_B3_CONF", 1);
    add(3, put, "DATA_B3_REQ", 6, 100);
    add(4, put, "DATA_B3_REQ", 9, 100);
    add(5, got, "DATA_B3_IND", 7, 30);
    add(6, got, "DATA_B3_CONF", 3);
    add(7, put, "DATA_B3_RESP", 5);
    add(8, got, "DATA_B3_IND", 10, 30);
    add(9, got, "DATA_B3_CONF", 4);
    add(10, put, "DATA_B3_RESP", 8);
    table.marks.push_back({8, Severity::error, "DATA_B3_IND #0102 was answered late"});
    table.gaps.push_back({11, "12:00:10.10", "12:00:15.500"});
    for (std::uint64_t record = 11; record < 611; record += 2) {
        add(record, put, "DATA_B3_REQ", record + 1, 2048);
        add(record + 1, got, "DATA_B3_CONF", record);
    }
    add(611, put, "DISCONNECT_B3_REQ", 613);
    table.gaps.push_back({612, "12:00:10.611", "12:00:11.0"});
    add(612, got, "DATA_B3_IND", 614, 5);
    add(613, got, "DISCONNECT_B3_CONF", 611);
    add(614, put, "DATA_B3_RESP", 612);
    return table;
}

DiagramTable findings() {
    return {
        {1, {1}, 0x0101, "incoming"},
        {
            {1, 1, got, "CONNECT_IND", "00000101 0010 [01 4711] [00 80 0301234567] [] []"},
            {2, 1, put, "ALERT_REQ", "00000101", 3},
            {3, 1, got, "ALERT_CONF", "00000101 2001", 2},
            {4, 1, put, "DATA_B3_REQ", "", 0, 10},
        },
        {
            {1, Severity::error,
             "CONNECT_IND #0100 on PLCI 0101 was never answered: application 1 answered the end "
             "of PLCI 0101 (DISCONNECT_RESP #0101, record 9) without answering it; answer it "
             "with CONNECT_RESP"},
            {1, Severity::warning, "a second finding on the same message"},
            {3, Severity::note, "ALERT_CONF #0002 has Info 2001: a clear-down crossed it"},
            {4, Severity::error, "DATA_B3_REQ #0003 on NCCI 00010101 was used after its end"},
        },
    };
}

// More pairs open at once than the lanes hold.
DiagramTable crossingPairs() {
    DiagramTable table{{1, {1}, 0x0101, "outgoing"}, {}};
    for (std::uint64_t record = 1; record <= 60; ++record) {
        table.messages.push_back({record, 1, put, "FACILITY_REQ", "00000101", record + 60});
    }
    for (std::uint64_t record = 61; record <= 120; ++record) {
        table.messages.push_back({record, 1, got, "FACILITY_CONF", "00000101 0000", record - 60});
    }
    return table;
}

// A long run of messages of no call, broken by a marked one.
DiagramTable noCallRuns() {
    DiagramTable table{{1, {}, 0x01, ""}, {}, {}, {}, Fold::noCall};
    for (std::uint64_t record = 1; record <= 80; record += 2) {
        table.messages.push_back(
            {record, 4, put, "LISTEN_REQ", "1 00000041 00000000 00000000 []", record + 1});
        table.messages.push_back({record + 1, 4, got, "LISTEN_CONF", "00000001 0000", record});
    }
    table.marks.push_back({41, Severity::note, listenNote});
    return table;
}

}  // namespace

Diagram diagramOf(const DiagramTable& table) {
    std::vector<Message> messages = table.messages;
    std::stable_sort(messages.begin(), messages.end(),
                     [](const Message& a, const Message& b) { return a.record < b.record; });
    Diagram diagram(table.facts);
    for (const Message& message : messages) {
        for (const GapBefore& gap : table.gaps) {
            if (gap.record == message.record) {
                diagram.add(Gap{gap.from, gap.to});
            }
        }
        diagram.add(arrowOf(message, table));
    }
    return diagram;
}

const std::vector<NamedDiagram>& ladderCases() {
    static const std::vector<NamedDiagram> cases = {
        {"outgoing data call", outgoingDataCall},
        {"outgoing data call: no call", outgoingDataCallNoCall},
        {"incoming call offered to two applications", incomingVoiceCall},
        {"long labels", longLabels},
        {"seven applications", sevenApplications},
        {"many rows", manyRows},
        {"bands, gaps and times", bandsGapsAndTimes},
        {"findings", findings},
        {"crossing pairs", crossingPairs},
        {"runs of no call", noCallRuns},
    };
    return cases;
}

std::vector<NamedReport> sampleReports() {
    NamedReport outgoing{"outgoing_data_call", {}, {outgoingDataCall(), outgoingDataCallNoCall()}};
    outgoing.contents.inputs = {{"samples/outgoing_data_call.hex", "", 28, 531, 0, false}};
    outgoing.contents.findings = {{1, 1, Severity::note, listenNote, true}};
    outgoing.contents.calls = {
        {1, 1, "outgoing", "called 0301234567, calling 4711",
         "CIP 0002 (unrestricted digital information); B1 0000, B2 0000, B3 0000",
         "at record 5, connected number 0301234567",
         "NCCI 00010101: sent 2 blocks (192 bytes), received 1 block (42 bytes)",
         "cleared by the application: Reason 3490 (normal call clearing), record 27", ""},
    };
    outgoing.contents.noCalls = {{1, 1, 1, 2, 1, 2, ""}};

    NamedReport incoming{
        "incoming_voice_call",
        {},
        {incomingVoiceCall(), incomingNoCall(1, 1, "1 00000001 00010012 00000000 []"),
         incomingNoCall(2, 3, "1 00000000 00030010 00000000 []")}};
    incoming.contents.inputs = {{"samples/incoming_voice_call.hex", "", 49, 973, 0, false}};
    incoming.contents.findings = {{1, 6, Severity::note, givenUpNote, true}};
    incoming.contents.calls = {
        {1, 1, "incoming", "called 4711, calling 0301234567", "CIP 0010 (telephony)",
         "at record 14", "NCCI 00010201: sent 2 blocks (320 bytes), received 8 blocks (1280 bytes)",
         "cleared by the network: Reason 3490 (normal call clearing), record 48", ""},
        {1, 2, "incoming", "called 4711, calling 0301234567", "CIP 0010 (telephony)",
         "not connected", "",
         "cleared by the network: Reason 3304 (another application got the call), record 12", ""},
    };
    incoming.contents.noCalls = {{1, 1, 1, 2, 1, 2, ""}, {1, 2, 1, 2, 3, 4, ""}};

    // Each stress case is an input of its own, since records number each input.
    NamedReport stress{"stress", {}, {}};
    std::uint64_t call = 0;
    for (const NamedDiagram& named : ladderCases()) {
        DiagramTable table = named.table();
        if (named.name.rfind("outgoing data call", 0) == 0 ||
            named.name.rfind("incoming call", 0) == 0) {
            continue;
        }
        const std::size_t input = stress.contents.inputs.size() + 1;
        table.facts.input = input;
        stress.contents.inputs.push_back(
            {input == 1 ? "first <input> & \"name\" \xe4.atr" : named.name + ".atr",
             input == 1 ? "saved 2026-12-09 20:41:30 UTC" : "", table.messages.size(),
             25 * table.messages.size(), table.gaps.size(), input == 2});
        for (std::uint64_t& number : table.facts.calls) {
            number = ++call;
            stress.contents.calls.push_back(
                {input, number, table.facts.direction, "called <&>", "", "", "", named.name, ""});
        }
        for (const MarkAt& mark : table.marks) {
            stress.contents.findings.push_back(
                {input, mark.record, mark.severity, mark.text, true});
        }
        if (table.facts.calls.empty()) {
            stress.contents.noCalls.push_back({input, table.messages.front().applId,
                                               static_cast<std::uint8_t>(table.facts.plci),
                                               table.messages.size(), table.messages.front().record,
                                               table.messages.back().record, ""});
        }
        stress.diagrams.push_back(std::move(table));
    }
    return {outgoing, incoming, stress};
}

}  // namespace ambertap::ladder::testing
