#include "report.h"

#include "anchors.h"
#include "capi_vocabulary.h"
#include "metrics.h"
#include "shown_text.h"
#include "svg_ladder.h"

namespace ambertap::ladder {

namespace {

// The columns of the calls table.
struct CallColumn {
    const char* heading;
    std::string CallEntry::*part;
};

constexpr CallColumn callColumns[] = {
    {"direction", &CallEntry::direction},
    {"numbers", &CallEntry::numbers},
    {"service and bearer", &CallEntry::service},
    {"connected", &CallEntry::connected},
    {"B3 data", &CallEntry::data},
    {"how it ended", &CallEntry::ending},
};

const char* nameOf(const ReportContents& contents, std::size_t input) {
    return input >= 1 && input <= contents.inputs.size() ? contents.inputs[input - 1].name.c_str()
                                                         : "";
}

// The page's own rules; the diagrams add theirs.
void writePageStyle(MarkupOutput& out) {
    out.line("@page{size:A4;margin:12mm}");
    out.line("body{font-family:sans-serif;font-size:14px;color:#000;background:#fff;margin:12px}");
    out.line("h1{font-size:20px}h2{font-size:17px;border-bottom:1px solid #999}");
    out.line("h3{font-size:13px;font-family:monospace;font-weight:bold}");
    out.line("table{border-collapse:collapse;font-size:12px}");
    out.line(
        "th,td{border:1px solid #bbb;padding:2px 4px;text-align:left;vertical-align:top;"
        "overflow-wrap:anywhere}");
    out.line("code,pre{font-family:monospace;font-size:12px}pre{margin:0}");
    out.line("li.finding{font-family:monospace;font-size:12px;margin:2px 0}");
    for (const SeverityStyle& style : severityStyles) {
        out.line("li.", style.word, " .severity{color:", style.colour, ";font-weight:bold}");
    }
    out.line("@media print{");
    out.line(".ladder svg,.ladder summary,tr{break-inside:avoid;page-break-inside:avoid}");
    out.line("h2,h3{break-after:avoid;page-break-after:avoid}");
    out.line("a{color:inherit;text-decoration:none}");
    out.line("}");
}

// "application 1, controller 1: 2 messages of no call (records 1-2)"
std::string noCallText(const NoCallEntry& group) {
    std::string text = "application " + decimal(group.applId) + ", controller " +
                       decimal(CapiAddress::controllerOf(group.controller));
    if (CapiAddress::isExternal(group.controller)) {
        text += " (external)";
    }
    return text + ": " + decimal(group.messages) +
           (group.messages == 1 ? " message" : " messages") + " of no call (" +
           recordsPhrase(group.firstRecord, group.lastRecord) + ')';
}

}  // namespace

void ReportWriter::begin(const ReportContents& contents) {
    writeHead(contents);
    writeInputs(contents);
    writeFindings(contents);
    writeCalls(contents);
    out_.line("<section id=\"diagrams\">");
    out_.line("<h2>Diagrams</h2>");
}

void ReportWriter::writeHead(const ReportContents& contents) {
    out_.line("<!DOCTYPE html>");
    out_.line("<html lang=\"en\">");
    out_.line("<head>");
    out_.line("<meta charset=\"utf-8\">");
    out_.line("<meta name=\"viewport\" content=\"width=device-width\">");
    out_.line("<title>CAPI 2.0 trace report: ",
              Escaped{contents.inputs.empty() ? "" : contents.inputs.front().name},
              contents.inputs.size() > 1 ? " and more" : "", "</title>");
    out_.line("<style>");
    writePageStyle(out_);
    writeDiagramStyle(out_);
    out_.line("</style>");
    out_.line("</head>");
    out_.line("<body>");
    out_.line("<h1>CAPI 2.0 trace report</h1>");
}

void ReportWriter::writeInputs(const ReportContents& contents) {
    out_.line("<section id=\"inputs\">");
    out_.line("<h2>Inputs</h2>");
    out_.line("<table>");
    out_.line(
        "<tr><th>file</th><th>saved or captured</th><th>records</th><th>bytes</th><th>gaps</th>"
        "<th>more data</th></tr>");
    for (const InputFacts& input : contents.inputs) {
        out_.line("<tr><td>", Escaped{input.name}, "</td><td>",
                  Escaped{input.when.empty() ? std::string_view("not said") : input.when},
                  "</td><td>", Count{input.records}, "</td><td>", Count{input.bytes}, "</td><td>");
        out_.line(Count{input.gaps}, "</td><td>",
                  input.moreData ? "yes: the driver had more than it returned" : "no",
                  "</td></tr>");
    }
    out_.line("</table>");
    out_.line("</section>");
}

void ReportWriter::writeFindings(const ReportContents& contents) {
    out_.line("<section id=\"findings\">");
    out_.line("<h2>Findings</h2>");
    if (contents.findings.empty()) {
        out_.line("<p>None.</p>");
    } else {
        out_.line("<ul>");
    }
    for (const FindingEntry& finding : contents.findings) {
        const char* word = styleOf(finding.severity).word;
        if (finding.drawn) {
            out_.line("<li class=\"finding ", word, "\"><a href=\"#",
                      arrowAnchor(finding.input, finding.record), "\">",
                      Escaped{nameOf(contents, finding.input)}, ':', Count{finding.record},
                      "</a>: <span class=\"severity\">", word, "</span>: ", Escaped{finding.text},
                      "</li>");
        } else {
            out_.line("<li class=\"finding ", word, "\">", Escaped{nameOf(contents, finding.input)},
                      ':', Count{finding.record}, ": <span class=\"severity\">", word,
                      "</span>: ", Escaped{finding.text}, "</li>");
        }
    }
    if (!contents.findings.empty()) {
        out_.line("</ul>");
    }
    out_.line("</section>");
}

void ReportWriter::writeCalls(const ReportContents& contents) {
    out_.line("<section id=\"calls\">");
    out_.line("<h2>Calls</h2>");
    out_.line("<table>");
    out_.line("<tr><th>file</th><th>call</th>");
    for (const CallColumn& column : callColumns) {
        out_.line("<th>", column.heading, "</th>");
    }
    out_.line("</tr>");
    for (const CallEntry& call : contents.calls) {
        if (call.notDrawn.empty()) {
            out_.line("<tr><td>", Escaped{nameOf(contents, call.input)}, "</td><td><a href=\"#",
                      callAnchor(call.input, call.call), "\">call ", Count{call.call}, "</a></td>");
        } else {
            out_.line("<tr><td>", Escaped{nameOf(contents, call.input)}, "</td><td>call ",
                      Count{call.call}, " (not drawn: ", Escaped{call.notDrawn}, ")</td>");
        }
        for (const CallColumn& column : callColumns) {
            out_.line("<td>", Escaped{call.*column.part}, "</td>");
        }
        out_.line("</tr>");
    }
    for (const NoCallEntry& group : contents.noCalls) {
        if (group.notDrawn.empty()) {
            out_.line("<tr><td>", Escaped{nameOf(contents, group.input)}, "</td><td colspan=\"",
                      Count{std::size(callColumns) + 1}, "\"><a href=\"#",
                      noCallAnchor(group.input, group.applId, group.controller), "\">",
                      Escaped{noCallText(group)}, "</a></td></tr>");
        } else {
            out_.line("<tr><td>", Escaped{nameOf(contents, group.input)}, "</td><td colspan=\"",
                      Count{std::size(callColumns) + 1}, "\">", Escaped{noCallText(group)});
            out_.line(" (not drawn: ", Escaped{group.notDrawn}, ")</td></tr>");
        }
    }
    out_.line("</table>");
    out_.line("</section>");
}

void ReportWriter::diagram(const Diagram& diagram) {
    writeDiagramSection(out_, diagram);
}

int ReportWriter::finish() {
    out_.line("</section>");
    out_.line("</body>");
    out_.line("</html>");
    return out_.finish();
}

}  // namespace ambertap::ladder
