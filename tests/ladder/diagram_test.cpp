// What a diagram makes of the messages it is given: which runs fold into a
// band or a count and what they count, and how its header names it.
#include "diagram.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ladder_cases.h"

namespace ambertap::ladder {
namespace {

// A message in a fold row's shorthand: 'S' a DATA_B3_REQ of 100 bytes, 'R'
// a DATA_B3_IND of 10 bytes, 'a' a DATA_B3 answer, 'M' a marked DATA_B3_IND,
// 'o' another application's DATA_B3_REQ, 'n' a message of no call, 'x' any
// other message, 'g' a gap.
Diagram diagramOfShorthand(const std::string& messages) {
    Diagram diagram({1, {1}, 0x0101, "outgoing"});
    std::uint64_t record = 0;
    for (const char kind : messages) {
        if (kind == 'g') {
            diagram.add(Gap{"1", "2"});
            continue;
        }
        Arrow arrow;
        arrow.record = ++record;
        arrow.applId = kind == 'o' ? 2 : 1;
        arrow.put = kind == 'S' || kind == 'o' || kind == 'a';
        arrow.name = kind == 'n' ? (record % 2 == 0 ? "LISTEN_CONF" : "LISTEN_REQ") : "DATA_B3";
        arrow.fold = kind == 'S' || kind == 'R' || kind == 'M' || kind == 'o' ? Fold::dataBlock
                     : kind == 'a'                                            ? Fold::dataAnswer
                     : kind == 'n'                                            ? Fold::noCall
                                                                              : Fold::never;
        arrow.dataBytes = kind == 'S' || kind == 'o' ? 100 : 10;
        if (kind == 'M') {
            arrow.marks.push_back({Severity::error, "late"});
        }
        diagram.add(std::move(arrow));
    }
    return diagram;
}

// The rows in shorthand: 'A' an arrow, 'G' a gap, "B<records>:<sent
// blocks>/<bytes>,<received blocks>/<bytes>" a band, "N<records>:<kinds>" a
// counted run.
std::string shorthandOf(const Diagram& diagram) {
    std::string text;
    for (const Row& row : diagram.rows()) {
        if (std::holds_alternative<Arrow>(row)) {
            text += 'A';
        } else if (std::holds_alternative<Gap>(row)) {
            text += 'G';
        } else if (const auto* band = std::get_if<DataBand>(&row)) {
            text += "[B" + recordsText(band->firstRecord, band->lastRecord) + ':' +
                    std::to_string(band->sent.blocks) + '/' + std::to_string(band->sent.bytes) +
                    ',' + std::to_string(band->received.blocks) + '/' +
                    std::to_string(band->received.bytes) + ']';
        } else {
            const auto& run = std::get<NoCallRun>(row);
            text += "[N" + recordsText(run.firstRecord, run.lastRecord) + ':' + runText(run) + ']';
        }
    }
    return text;
}

struct FoldRow {
    const char* messages;
    const char* rows;
};

const FoldRow foldRows[] = {
    {"xSx", "AAA"},
    {"xSax", "A[B2-3:1/100,0/0]A"},
    {"SaRaSa", "[B1-6:2/200,1/10]"},
    {"SaMaSa", "[B1-2:1/100,0/0]A[B4-6:1/100,0/0]"},
    {"SaoaSa", "[B1-2:1/100,0/0]A[B4-6:1/100,0/0]"},
    {"SagaS", "[B1-2:1/100,0/0]G[B3-4:1/100,0/0]"},
    {"nnnnnnnn", "AAAAAAAA"},
    {"nnnnnnnnn", "[N1-9:9 messages of no call: LISTEN_REQ 5, LISTEN_CONF 4]"},
    {"nnnnnnnnnnxn", "[N1-10:10 messages of no call: LISTEN_REQ 5, LISTEN_CONF 5]AA"},
    {"nnSa", "AA[B3-4:1/100,0/0]"},
};

TEST(DiagramFolds, EachRunAsItsRowSays) {
    for (const FoldRow& row : foldRows) {
        EXPECT_EQ(shorthandOf(diagramOfShorthand(row.messages)), row.rows) << row.messages;
    }
}

TEST(DiagramFolds, ABandKeepsItsFirstArrowsAndCountsAll) {
    const Diagram diagram = diagramOfShorthand(std::string(1000, 'S'));
    ASSERT_EQ(diagram.rows().size(), 1u);
    const auto& band = std::get<DataBand>(diagram.rows().front());
    EXPECT_EQ(band.messages, 1000u);
    EXPECT_EQ(band.sent.bytes, 100000u);
    ASSERT_EQ(band.arrows.size(), foldRules.keptBandArrows);
    EXPECT_EQ(band.arrows.back().record, foldRules.keptBandArrows);
    EXPECT_EQ(diagram.messages(), 1000u);
    EXPECT_EQ(diagram.lastRecord(), 1000u);
}

struct HeaderRow {
    DiagramFacts facts;
    std::vector<std::uint16_t> applications;
    const char* header;
};

const HeaderRow headerRows[] = {
    {{1, {1}, 0x0101, "outgoing"},
     {1, 1},
     "call 1: PLCI 0101 on controller 1, application 1, outgoing (records 1-2)"},
    {{1, {1, 2}, 0x0201, "incoming"},
     {2, 1},
     "calls 1 and 2: PLCI 0201 on controller 1, applications 1 and 2, incoming (records 1-2)"},
    {{1, {3, 4, 5}, 0x0a82, ""},
     {9, 8, 7},
     "calls 3, 4 and 5: PLCI 0a82 on controller 2 (external), applications 7, 8 and 9 (records "
     "1-3)"},
    {{1, {}, 0x01, ""}, {4}, "application 4, controller 1: messages of no call (record 1)"},
};

TEST(DiagramHeaders, NameThePlciControllerAndApplications) {
    for (const HeaderRow& row : headerRows) {
        Diagram diagram(row.facts);
        std::uint64_t record = 0;
        for (const std::uint16_t applId : row.applications) {
            Arrow arrow;
            arrow.record = ++record;
            arrow.applId = applId;
            diagram.add(arrow);
        }
        EXPECT_EQ(headerOf(diagram), row.header);
    }
}

}  // namespace
}  // namespace ambertap::ladder
