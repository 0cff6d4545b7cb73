// Diagrams made of any bytes, as a careless adapter might fill them: any
// applications, texts with any bytes and of any length, partners that point
// anywhere, repeated or decreasing records, gaps, marks. Each is laid out
// and written as a text ladder and as a report; the fuzzer checks that no
// two texts of a sequence overlap and that every text stays on the page,
// that every line of the text ladder is printable ASCII no wider than
// asked, and that every line of the report is printable ASCII and, where
// it begins markup, ends it: no line was ever cut.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "layout.h"
#include "report.h"
#include "text_ladder.h"

namespace {

using namespace ambertap::ladder;

[[noreturn]] void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
    std::abort();
}

Arrow arrowFrom(FuzzedDataProvider& data, std::uint64_t& record) {
    Arrow arrow;
    record += data.ConsumeIntegralInRange<std::uint64_t>(0, 3);
    arrow.record = record;
    arrow.applId = data.ConsumeIntegralInRange<std::uint16_t>(0, 9);
    arrow.put = data.ConsumeBool();
    arrow.name = data.ConsumeRandomLengthString(40);
    arrow.parameters = data.ConsumeRandomLengthString(160);
    if (data.ConsumeBool()) {
        arrow.time = data.ConsumeRandomLengthString(40);
    }
    if (data.ConsumeBool()) {
        arrow.partner = record + data.ConsumeIntegralInRange<std::uint64_t>(0, 40) - 20;
    }
    for (int marks = data.ConsumeIntegralInRange(0, 2); marks > 0; --marks) {
        arrow.marks.push_back({static_cast<Severity>(data.ConsumeIntegralInRange(0, 2)),
                               data.ConsumeRandomLengthString(200)});
    }
    arrow.fold = static_cast<Fold>(data.ConsumeIntegralInRange(0, 3));
    arrow.dataBytes = data.ConsumeIntegral<std::uint16_t>();
    arrow.decode = {data.ConsumeRandomLengthString(100), data.ConsumeRandomLengthString(100)};
    return arrow;
}

void checkSequence(const Sequence& sequence, const Layout& layout) {
    std::vector<Box> boxes;
    for (const PlacedRow& row : sequence.rows) {
        for (const PlacedText& text : row.texts) {
            if (text.box.x < 0 || text.box.right() > layout.width) {
                fail("a text leaves the page", text.text);
            }
            boxes.push_back(text.box);
        }
    }
    std::sort(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.y < b.y; });
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        for (std::size_t j = i + 1; j < boxes.size() && boxes[j].y < boxes[i].bottom(); ++j) {
            if (boxes[i].overlaps(boxes[j]) && boxes[i].width > 0 && boxes[j].width > 0) {
                fail("two texts overlap",
                     std::to_string(boxes[i].x) + "," + std::to_string(boxes[i].y));
            }
        }
    }
}

// A stream into one buffer that every run reuses, so that a run's output
// costs no new memory: ample for the longest input's report.
class MemoryStream {
  public:
    MemoryStream() : file_(fmemopen(buffer_, sizeof buffer_, "w")) {}
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    std::FILE* file() const { return file_; }
    std::string_view close() {
        std::fflush(file_);
        const long size = std::ftell(file_);
        std::fclose(file_);
        return {buffer_, static_cast<std::size_t>(size)};
    }

  private:
    static inline char buffer_[16 * 1024 * 1024];
    std::FILE* file_;
};

void checkLines(std::string_view text, std::size_t width, bool markup) {
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos;
         start = end + 1, end = text.find('\n', start)) {
        const std::string_view line = text.substr(start, end - start);
        if (!markup && line.size() > width) {
            fail("a text ladder line is too wide", std::string(line));
        }
        for (const char c : line) {
            if (c < 0x20 || c > 0x7e) {
                fail("a byte outside printable ASCII", std::string(line));
            }
        }
        if (markup && !line.empty() && line.front() == '<' && line.back() != '>') {
            fail("a line of markup was cut", std::string(line));
        }
    }
    if (start != text.size()) {
        fail("the output does not end with a line", "");
    }
}

}  // namespace

// A diagram's strings are many and short-lived: with AddressSanitizer's
// default quarantine of 256 MB every run would touch fresh pages, and the
// fuzzer would spend most of its time faulting them in.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    DiagramFacts facts;
    for (int calls = data.ConsumeIntegralInRange(0, 3); calls > 0; --calls) {
        facts.calls.push_back(data.ConsumeIntegral<std::uint32_t>());
    }
    facts.plci = data.ConsumeIntegral<std::uint16_t>();
    facts.direction = data.ConsumeRandomLengthString(100);
    const std::size_t width = data.ConsumeIntegralInRange<std::size_t>(0, 300);
    Diagram diagram(facts);
    std::uint64_t record = data.ConsumeIntegral<std::uint32_t>();
    // Enough rows for every kind of row, fold and pair, few enough to run fast.
    for (int rows = 0; rows < 40 && data.remaining_bytes() > 0; ++rows) {
        if (data.ConsumeIntegralInRange(0, 15) == 0) {
            diagram.add(
                Gap{data.ConsumeRandomLengthString(30), data.ConsumeRandomLengthString(30)});
        } else {
            diagram.add(arrowFrom(data, record));
        }
    }

    const Layout layout = layOut(diagram);
    checkSequence(layout.main, layout);
    for (const Sequence& band : layout.bands) {
        checkSequence(band, layout);
    }

    MemoryStream text;
    TextLadder ladder(text.file(), width);
    ladder.write(diagram);
    if (ladder.finish() != 0) {
        fail("the text ladder was not written", "");
    }
    checkLines(text.close(), std::clamp(width, narrowestTextLadder, widestTextLadder), false);

    MemoryStream html;
    ReportWriter report(html.file());
    report.begin({{{facts.direction, facts.direction, 1, 2, 3, true}},
                  {{1, record, Severity::error, facts.direction, true}},
                  {{1, 1, facts.direction, facts.direction, "", "", "", "", ""}},
                  {{1, 1, static_cast<std::uint8_t>(facts.plci), 2, 1, 2, ""}}});
    report.diagram(diagram);
    if (report.finish() != 0) {
        fail("the report was not written", "");
    }
    checkLines(html.close(), 0, true);
    return 0;
}
