// The text ladders of every test diagram, compared with one golden file,
// and what every line of them must be: printable ASCII, no wider than asked.
#include "text_ladder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "captured_stream.h"
#include "case_files.h"
#include "ladder_cases.h"

namespace ambertap::ladder {
namespace {

std::string ladderText(const Diagram& diagram, std::size_t width) {
    ambertap::testing::CapturedStream out;
    TextLadder ladder(out.file(), width);
    ladder.write(diagram);
    EXPECT_EQ(ladder.finish(), 0);
    return out.text();
}

// The widths each case is drawn at: a terminal's usual, and narrower ones
// for the cases whose labels must shorten.
std::vector<std::size_t> widthsOf(const std::string& name) {
    if (name == "outgoing data call" || name == "incoming call offered to two applications" ||
        name == "seven applications") {
        return {100, 64, 20};
    }
    return {100};
}

std::string allLadders() {
    std::string text;
    for (const auto& named : testing::ladderCases()) {
        const Diagram diagram = testing::diagramOf(named.table());
        for (const std::size_t width : widthsOf(named.name)) {
            text += "### " + named.name + ", " + std::to_string(width) + " columns\n" +
                    ladderText(diagram, width);
        }
    }
    return text;
}

TEST(TextLadderGolden, EveryCaseAtItsWidths) {
    const std::string actual = allLadders();
    const std::string expected = ambertap::testing::contentsOf(AMBERTAP_LADDER_GOLDEN);
    if (actual != expected) {
        std::ofstream(std::filesystem::path(AMBERTAP_LADDER_ACTUAL), std::ios::binary) << actual;
    }
    EXPECT_TRUE(actual == expected) << "the ladders differ from " << AMBERTAP_LADDER_GOLDEN
                                    << "; as written now they are in " << AMBERTAP_LADDER_ACTUAL;
}

TEST(TextLadder, EveryLineIsPrintableAsciiAndNoWiderThanAsked) {
    for (const auto& named : testing::ladderCases()) {
        const Diagram diagram = testing::diagramOf(named.table());
        for (const std::size_t asked : {std::size_t{100}, std::size_t{64}, std::size_t{0}}) {
            const std::size_t width = std::max(asked, narrowestTextLadder);
            std::istringstream lines(ladderText(diagram, asked));
            for (std::string line; std::getline(lines, line);) {
                EXPECT_LE(line.size(), width) << named.name << ": " << line;
                for (const char c : line) {
                    EXPECT_TRUE(c >= 0x20 && c < 0x7f) << named.name << ": " << line;
                }
            }
        }
    }
}

TEST(TextLadder, AFailedWriteIsReported) {
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    TextLadder ladder(full, 100);
    ladder.write(testing::diagramOf(testing::ladderCases().front().table()));
    EXPECT_EQ(ladder.finish(), ENOSPC);
    std::fclose(full);
}

}  // namespace
}  // namespace ambertap::ladder
