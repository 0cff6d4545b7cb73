// The report documents of the test reports: self-contained, every link
// leads to an element of the same page, every id is given once, every byte
// is printable ASCII, the same bytes each time, and a failed write is
// reported. How the pages render is the browser stage's to check.
#include "report.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <set>

#include "captured_stream.h"
#include "ladder_cases.h"

namespace ambertap::ladder {
namespace {

std::string reportText(const testing::NamedReport& report, std::FILE* out = nullptr) {
    ambertap::testing::CapturedStream captured;
    ReportWriter writer(out != nullptr ? out : captured.file());
    writer.begin(report.contents);
    for (const auto& table : report.diagrams) {
        writer.diagram(testing::diagramOf(table));
    }
    EXPECT_EQ(writer.finish(), out != nullptr ? ENOSPC : 0);
    return captured.text();
}

// The values of every attribute written `before"VALUE"`.
std::vector<std::string> valuesAfter(const std::string& text, const std::string& before) {
    std::vector<std::string> found;
    const std::string start = before + '"';
    for (std::size_t at = text.find(start); at != std::string::npos; at = text.find(start, at)) {
        at += start.size();
        found.push_back(text.substr(at, text.find('"', at) - at));
    }
    return found;
}

TEST(Report, EveryLinkLeadsToAnIdOfThePageAndEachIdIsGivenOnce) {
    for (const auto& report : testing::sampleReports()) {
        const std::string html = reportText(report);
        std::map<std::string, int> ids;
        for (const std::string& id : valuesAfter(html, " id=")) {
            ++ids[id];
        }
        for (const auto& [id, count] : ids) {
            EXPECT_EQ(count, 1) << report.name << ": " << id;
        }
        const auto links = valuesAfter(html, "href=");
        EXPECT_FALSE(links.empty()) << report.name;
        for (const std::string& link : links) {
            ASSERT_EQ(link.front(), '#') << report.name << ": " << link;
            EXPECT_EQ(ids.count(link.substr(1)), 1u) << report.name << ": " << link;
        }
        for (const auto& finding : report.contents.findings) {
            EXPECT_NE(html.find("id=\"a" + std::to_string(finding.input) + '-' +
                                std::to_string(finding.record) + '"'),
                      std::string::npos)
                << report.name << ": no arrow for the finding at record " << finding.record;
        }
    }
}

// Text that would make a browser fetch something beside the file, or run
// something.
const char* const outsideReferences[] = {"<script", "src=",  "url(",   "@import",
                                         "<link",   "http:", "https:", "//"};

TEST(Report, NeedsNothingOutsideItAndHoldsPrintableAsciiOnly) {
    for (const auto& report : testing::sampleReports()) {
        const std::string html = reportText(report);
        for (const char* reference : outsideReferences) {
            EXPECT_EQ(html.find(reference), std::string::npos) << report.name << ": " << reference;
        }
        for (const char c : html) {
            ASSERT_TRUE((c >= 0x20 && c < 0x7f) || c == '\n')
                << report.name << ": byte " << static_cast<int>(c);
        }
        EXPECT_EQ(html, reportText(report)) << report.name;
    }
}

TEST(Report, AFailedWriteIsReported) {
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    reportText(testing::sampleReports().front(), full);
    std::fclose(full);
}

}  // namespace
}  // namespace ambertap::ladder
