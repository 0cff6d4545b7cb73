// The layout of every test diagram, checked by its geometry: no two texts
// overlap, no text lies on an arrow or a pair's bracket, every arrow ends on
// its lifelines, every pair is joined, every mark is drawn in full, and
// every chunk fits a printed page.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "ladder_cases.h"
#include "layout.h"
#include "metrics.h"
#include "shown_text.h"

namespace ambertap::ladder {
namespace {

using testing::ladderCases;
using testing::NamedDiagram;

std::string describe(const PlacedText& text) {
    return "\"" + text.text + "\" at " + std::to_string(text.box.x) + "," +
           std::to_string(text.box.y) + " " + std::to_string(text.box.width) + "x" +
           std::to_string(text.box.height);
}

Box tickBox(const Bracket& bracket, int y) {
    return {bracket.x - 1, y - 1, bracket.tickEnd - bracket.x + 2, 2};
}

// Everything a text must stay clear of in one sequence.
std::vector<Box> lineBoxes(const Sequence& sequence) {
    std::vector<Box> boxes;
    for (const PlacedRow& row : sequence.rows) {
        if (row.line) {
            boxes.push_back(row.line->box());
        }
    }
    for (const Bracket& bracket : sequence.brackets) {
        boxes.push_back({bracket.x - 1, bracket.top, 2, bracket.bottom - bracket.top});
        if (bracket.dotTop) {
            boxes.push_back(tickBox(bracket, bracket.top));
        }
        if (bracket.dotBottom) {
            boxes.push_back(tickBox(bracket, bracket.bottom));
        }
    }
    return boxes;
}

void expectClearTexts(const Sequence& sequence, const Layout& layout, const std::string& where) {
    std::vector<const PlacedText*> texts;
    for (const PlacedRow& row : sequence.rows) {
        for (const PlacedText& text : row.texts) {
            EXPECT_GE(text.box.y, row.top) << where << describe(text);
            EXPECT_LE(text.box.bottom(), row.top + row.height) << where << describe(text);
            EXPECT_GE(text.box.x, 0) << where << describe(text);
            EXPECT_LE(text.box.right(), layout.width) << where << describe(text);
            EXPECT_EQ(text.box.width, static_cast<int>(text.text.size()) * metrics.advance)
                << where << describe(text);
            texts.push_back(&text);
        }
    }
    std::sort(texts.begin(), texts.end(),
              [](const PlacedText* a, const PlacedText* b) { return a->box.y < b->box.y; });
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (std::size_t j = i + 1; j < texts.size() && texts[j]->box.y < texts[i]->box.bottom();
             ++j) {
            EXPECT_FALSE(texts[i]->box.overlaps(texts[j]->box))
                << where << describe(*texts[i]) << " overlaps " << describe(*texts[j]);
        }
    }
    for (const Box& line : lineBoxes(sequence)) {
        for (const PlacedText* text : texts) {
            EXPECT_FALSE(text->box.overlaps(line))
                << where << describe(*text) << " lies on a line at " << line.x << "," << line.y;
        }
    }
}

void expectArrowsOnLifelines(const Sequence& sequence, const Diagram& diagram, const Layout& layout,
                             const std::string& where) {
    for (const PlacedRow& row : sequence.rows) {
        if (row.kind != RowKind::arrow) {
            continue;
        }
        const Arrow& arrow = *row.arrow;
        const int application = layout.lifelineX[lifelineOf(diagram, arrow.applId)];
        const int capi = layout.lifelineX[0];
        EXPECT_EQ(row.line->x1, arrow.put ? application : capi) << where << arrow.record;
        EXPECT_EQ(row.line->x2, arrow.put ? capi : application) << where << arrow.record;
        EXPECT_GT(row.line->y, row.top) << where << arrow.record;
        EXPECT_LT(row.line->y, row.top + row.height) << where << arrow.record;
    }
}

void expectChunksFitPages(const Sequence& sequence, const std::string& where) {
    std::size_t next = 0;
    for (const Chunk& chunk : sequence.chunks) {
        EXPECT_EQ(chunk.firstRow, next) << where;
        EXPECT_LT(chunk.firstRow, chunk.endRow) << where;
        EXPECT_TRUE(chunk.height <= metrics.chunkHeight || chunk.endRow == chunk.firstRow + 1)
            << where << "a chunk of " << chunk.height << " px";
        EXPECT_EQ(chunk.top, sequence.rows[chunk.firstRow].top) << where;
        next = chunk.endRow;
    }
    EXPECT_EQ(next, sequence.rows.size()) << where;
}

// The marks' lines of a row, joined again, are the marks' texts whole.
void expectMarksShown(const Sequence& sequence, const std::string& where) {
    for (const PlacedRow& row : sequence.rows) {
        if (row.kind != RowKind::arrow || row.arrow->marks.empty()) {
            continue;
        }
        std::string drawn;
        for (const PlacedText& text : row.texts) {
            if (text.role == TextRole::mark) {
                drawn += (drawn.empty() ? "" : " ") + text.text;
            }
        }
        std::string expected;
        for (const Mark& mark : row.arrow->marks) {
            expected += (expected.empty() ? "" : " ") + std::string(styleOf(mark.severity).word) +
                        ": " + mark.text;
        }
        EXPECT_EQ(drawn, expected) << where << row.arrow->record;
        EXPECT_TRUE(row.line->severity.has_value()) << where << row.arrow->record;
    }
}

// Where each drawn message's arrow is: its sequence and its arrow's height.
std::map<std::uint64_t, std::pair<std::size_t, int>> arrowsByRecord(const Layout& layout) {
    std::map<std::uint64_t, std::pair<std::size_t, int>> arrows;
    for (std::size_t sequence = 0; sequence <= layout.bands.size(); ++sequence) {
        const Sequence& rows = sequence == 0 ? layout.main : layout.bands[sequence - 1];
        for (const PlacedRow& row : rows.rows) {
            if (row.kind == RowKind::arrow) {
                arrows[row.arrow->record] = {sequence, row.line->y};
            }
        }
    }
    return arrows;
}

bool hasBracket(const Sequence& sequence, int top, int bottom) {
    return std::any_of(sequence.brackets.begin(), sequence.brackets.end(), [&](const Bracket& b) {
        return b.top == top && b.bottom == bottom && b.dotTop && b.dotBottom;
    });
}

// Two messages drawn in the same sequence are joined by a bracket from one
// arrow to the other, unless the lanes ran out.
void expectPairsJoined(const Layout& layout, const std::string& where) {
    const auto arrows = arrowsByRecord(layout);
    std::size_t unjoined = 0;
    for (const auto& [record, place] : arrows) {
        const Arrow* arrow = nullptr;
        const Sequence& sequence = place.first == 0 ? layout.main : layout.bands[place.first - 1];
        for (const PlacedRow& row : sequence.rows) {
            if (row.kind == RowKind::arrow && row.arrow->record == record) {
                arrow = row.arrow;
            }
        }
        const auto partner = arrows.find(arrow->partner);
        if (arrow->partner <= record || partner == arrows.end() ||
            partner->second.first != place.first) {
            continue;
        }
        if (!hasBracket(sequence, place.second, partner->second.second)) {
            ++unjoined;
        }
    }
    EXPECT_LE(unjoined, layout.pairsWithoutBracket) << where;
}

// Brackets of one lane never overlap, so each pair reads on its own.
void expectLanesApart(const Sequence& sequence, const std::string& where) {
    std::map<int, std::vector<const Bracket*>> lanes;
    for (const Bracket& bracket : sequence.brackets) {
        lanes[bracket.x].push_back(&bracket);
    }
    for (auto& [x, brackets] : lanes) {
        std::sort(brackets.begin(), brackets.end(),
                  [](const Bracket* a, const Bracket* b) { return a->top < b->top; });
        for (std::size_t i = 1; i < brackets.size(); ++i) {
            EXPECT_LT(brackets[i - 1]->bottom, brackets[i]->top) << where << "lane at " << x;
        }
    }
}

void expectHeadsApart(const Layout& layout, const std::string& where) {
    for (std::size_t i = 0; i < layout.heads.size(); ++i) {
        EXPECT_GE(layout.heads[i].x, 0) << where;
        EXPECT_LE(layout.heads[i].right(), layout.width) << where;
        for (std::size_t j = i + 1; j < layout.heads.size(); ++j) {
            EXPECT_FALSE(layout.heads[i].overlaps(layout.heads[j])) << where << i << " " << j;
        }
    }
}

class LayoutGeometry : public ::testing::TestWithParam<NamedDiagram> {};

TEST_P(LayoutGeometry, NothingOverlapsAndEveryArrowEndsOnItsLifelines) {
    const Diagram diagram = testing::diagramOf(GetParam().table());
    const Layout layout = layOut(diagram);
    expectHeadsApart(layout, GetParam().name + ": heads: ");
    for (std::size_t sequence = 0; sequence <= layout.bands.size(); ++sequence) {
        const Sequence& rows = sequence == 0 ? layout.main : layout.bands[sequence - 1];
        const std::string where = GetParam().name + ": sequence " + std::to_string(sequence) + ": ";
        expectClearTexts(rows, layout, where);
        expectArrowsOnLifelines(rows, diagram, layout, where);
        expectChunksFitPages(rows, where);
        expectMarksShown(rows, where);
        expectLanesApart(rows, where);
    }
    expectPairsJoined(layout, GetParam().name + ": ");
}

std::string caseName(const ::testing::TestParamInfo<NamedDiagram>& info) {
    std::string name = info.param.name;
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Diagrams, LayoutGeometry, ::testing::ValuesIn(ladderCases()), caseName);

// What the layout must make of particular diagrams, beyond the geometry.
struct LayoutFact {
    const char* diagram;
    const char* fact;
    bool (*holds)(const Diagram&, const Layout&);
};

const LayoutFact layoutFacts[] = {
    {"incoming call offered to two applications", "CAPI stands between the two applications",
     [](const Diagram&, const Layout& layout) {
         return layout.lifelineX[1] < layout.lifelineX[0] &&
                layout.lifelineX[0] < layout.lifelineX[2];
     }},
    {"incoming call offered to two applications", "its two DATA_B3 runs are bands of 18 and 2",
     [](const Diagram&, const Layout& layout) {
         return layout.bands.size() == 2 && layout.bands[0].rows.size() == 18 &&
                layout.bands[1].rows.size() == 2;
     }},
    {"long labels", "a label too long for its arrow ends with the shortened mark",
     [](const Diagram&, const Layout& layout) {
         const std::string& label = layout.main.rows[0].texts.back().text;
         return label.size() > shortenedMark.size() &&
                label.substr(label.size() - shortenedMark.size()) == shortenedMark;
     }},
    {"long labels", "bytes outside printable ASCII show as dots",
     [](const Diagram&, const Layout& layout) {
         for (const PlacedText& text : layout.main.rows[0].texts) {
             if (std::any_of(text.text.begin(), text.text.end(),
                             [](char c) { return c < 0x20 || c > 0x7e; })) {
                 return false;
             }
         }
         return layout.main.rows[0].texts.back().text.find("80 .[2J....") != std::string::npos;
     }},
    {"many rows", "400 rows take more than one page's chunk",
     [](const Diagram&, const Layout& layout) { return layout.main.chunks.size() > 10; }},
    {"bands, gaps and times", "a band keeps at most its share of arrows and counts the rest",
     [](const Diagram& diagram, const Layout& layout) {
         const auto& band = std::get<DataBand>(diagram.rows()[6]);
         return band.messages == 600 && band.sent.bytes == 300 * 2048u &&
                layout.bands[2].rows.size() == foldRules.keptBandArrows;
     }},
    {"bands, gaps and times", "a pair reaching out of a band runs to the band's edge",
     [](const Diagram&, const Layout& layout) {
         return std::any_of(layout.bands[0].brackets.begin(), layout.bands[0].brackets.end(),
                            [](const Bracket& bracket) { return !bracket.dotBottom; });
     }},
    {"crossing pairs", "pairs beyond the lanes are counted as left without a bracket",
     [](const Diagram&, const Layout& layout) {
         return layout.pairsWithoutBracket == 60 - 48 && layout.main.brackets.size() == 48;
     }},
    {"seven applications", "every application has a lifeline, four of them left of CAPI",
     [](const Diagram&, const Layout& layout) {
         std::vector<int> x = layout.lifelineX;
         std::sort(x.begin(), x.end());
         return layout.lifelineX.size() == 8 && layout.lifelineX[0] == x[4];
     }},
};

TEST(LayoutFacts, EachHolds) {
    for (const LayoutFact& fact : layoutFacts) {
        const auto named =
            std::find_if(ladderCases().begin(), ladderCases().end(),
                         [&](const NamedDiagram& each) { return each.name == fact.diagram; });
        ASSERT_NE(named, ladderCases().end()) << fact.diagram;
        const Diagram diagram = testing::diagramOf(named->table());
        EXPECT_TRUE(fact.holds(diagram, layOut(diagram))) << fact.diagram << ": " << fact.fact;
    }
}

}  // namespace
}  // namespace ambertap::ladder
