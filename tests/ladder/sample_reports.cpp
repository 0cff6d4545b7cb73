// Writes the test reports into a folder for the browser stage: NAME.html,
// and NAME.expected.json with what the rendered page must show: each
// diagram's id and the records of the arrows it draws, and each finding's
// record and severity.
#include <cstdio>
#include <string>

#include "anchors.h"
#include "ladder_cases.h"
#include "metrics.h"
#include "report.h"

namespace {

using namespace ambertap::ladder;

std::string anchorText(const Anchor& anchor) {
    std::string text(1, anchor.kind);
    text += std::to_string(anchor.first) + '-' + std::to_string(anchor.second);
    if (anchor.third >= 0) {
        text += '-' + std::to_string(anchor.third);
    }
    return text;
}

std::string diagramId(const Diagram& diagram) {
    const DiagramFacts& facts = diagram.facts();
    if (!facts.calls.empty()) {
        return anchorText(callAnchor(facts.input, facts.calls.front()));
    }
    return anchorText(noCallAnchor(facts.input, diagram.applications().front(),
                                   static_cast<std::uint8_t>(facts.plci)));
}

std::string drawnArrows(const Diagram& diagram) {
    std::string list;
    const auto add = [&](const Arrow& arrow) {
        list += (list.empty() ? "\"" : ",\"") +
                anchorText(arrowAnchor(diagram.facts().input, arrow.record)) + '"';
    };
    for (const Row& row : diagram.rows()) {
        if (const auto* arrow = std::get_if<Arrow>(&row)) {
            add(*arrow);
        } else if (const auto* band = std::get_if<DataBand>(&row)) {
            for (const Arrow& folded : band->arrows) {
                add(folded);
            }
        }
    }
    return list;
}

bool writeReport(const std::string& folder, const testing::NamedReport& report) {
    const std::string html = folder + '/' + report.name + ".html";
    std::FILE* out = std::fopen(html.c_str(), "wb");
    if (out == nullptr) {
        std::perror(html.c_str());
        return false;
    }
    ReportWriter writer(out);
    writer.begin(report.contents);
    std::string diagrams;
    for (const testing::DiagramTable& table : report.diagrams) {
        const Diagram diagram = testing::diagramOf(table);
        writer.diagram(diagram);
        diagrams += std::string(diagrams.empty() ? "" : ",\n") + "{\"id\":\"" + diagramId(diagram) +
                    "\",\"arrows\":[" + drawnArrows(diagram) + "]}";
    }
    const int error = writer.finish();
    if (std::fclose(out) != 0 || error != 0) {
        std::fprintf(stderr, "%s: cannot write\n", html.c_str());
        return false;
    }
    std::string findings;
    for (const FindingEntry& finding : report.contents.findings) {
        findings += std::string(findings.empty() ? "" : ",\n") + "{\"arrow\":\"" +
                    anchorText(arrowAnchor(finding.input, finding.record)) + "\",\"severity\":\"" +
                    styleOf(finding.severity).word + "\"}";
    }
    const std::string expected = folder + '/' + report.name + ".expected.json";
    std::FILE* json = std::fopen(expected.c_str(), "wb");
    if (json == nullptr) {
        std::perror(expected.c_str());
        return false;
    }
    std::fprintf(json, "{\"diagrams\":[%s],\n\"findings\":[%s]}\n", diagrams.c_str(),
                 findings.c_str());
    return std::fclose(json) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 1;
    }
    for (const auto& report : testing::sampleReports()) {
        if (!writeReport(argv[1], report)) {
            return 2;
        }
    }
    return 0;
}
