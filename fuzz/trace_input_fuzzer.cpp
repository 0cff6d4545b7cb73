// Any bytes go through the reader of trace inputs, arriving in pieces of a
// size the fuzzer picks, into blocks of a room it picks, refused or shown
// despite damage, and on through the views of ambertrace that it picks: the
// lines, and every parameter for a person, or as JSON Lines with the calls, or
// the call model with `calls` and `check`. The blocks must follow each other without gap, hold
// whole records except the last (of each read, in a capture, whose gaps come between them), and
// give bare records back unchanged; the views must write text without control bytes but their
// newlines, JSON lines of printable ASCII, one a record, and one finding a line for each it counts.
// Sanitizers catch any read or write outside a buffer.
//
// The views sit on record pipelines, as they do in the program. A run costs
// what its input costs: the pipelines, their views and the streams they write
// to are made once and begin a new trace for each input, the views take the
// first records of an input only (mostRecordsThroughViews), and an input
// goes through a third of them (ViewGroup).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "call_commands.h"
#include "record_cursor.h"
#include "record_pipeline.h"
#include "record_views.h"
#include "trace_input.h"
#include "trace_walker.h"

// The fuzzer's own checks are not the code under test: left without coverage
// instrumentation (and out of line, where a caller's would reach them), their
// branches do not steer the fuzzer and cost no callback for each byte they
// look at.
#define UNGUIDED __attribute__((no_sanitize("coverage"), noinline))

namespace {

using namespace ambertap;

// The records of one input that the views take. Each path of a record's
// views fits in it (the B protocols that lay out an NCPI take up to three
// records), and so does the call model's data window, passed by the 8th
// DATA_B3_REQ left unconfirmed. Only the 16 KiB block in which `calls` and
// `check` collect their text is never full before their end: that takes some
// 20 calls. A later record only repeats paths at the cost of every view; the
// reader and its checks still take every byte.
constexpr std::uint64_t mostRecordsThroughViews = 8;

[[noreturn]] void fail(const char* property, std::string_view text = {}) {
    std::fprintf(stderr, "trace input breaks \"%s\" in \"%.*s\"\n", property,
                 static_cast<int>(text.size()), text.data());
    std::abort();
}

class PieceSource final : public ByteSource {
  public:
    PieceSource(std::span<const std::uint8_t> bytes, std::size_t piece)
        : bytes_(bytes), piece_(piece) {}

    std::ptrdiff_t read(std::uint8_t* into, std::size_t room) override {
        const std::size_t count = std::min({room, piece_, bytes_.size()});
        std::copy_n(bytes_.begin(), count, into);
        bytes_ = bytes_.subspan(count);
        return static_cast<std::ptrdiff_t>(count);
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t piece_;
};

// Where the whole records at the start of the block end.
UNGUIDED std::size_t wholeRecordsEnd(const RecordBlock& block) {
    std::size_t at = 0;
    while (block.size - at >= 2 && block.size - at - 2 >= block.data[at + 1]) {
        at += 2 + block.data[at + 1];
    }
    return at;
}

UNGUIDED bool sameBytes(const RecordBlock& block, const std::uint8_t* bytes) {
    return std::memcmp(block.data, bytes, block.size) == 0;
}

std::FILE* nowhere() {
    static std::FILE* const file = std::fopen("/dev/null", "w");
    if (file == nullptr) {
        std::abort();
    }
    return file;
}

// What a view writes, kept in memory to be checked once the trace has ended.
// The stream and its text live from run to run; clear() empties the text and
// keeps its room.
class Captured {
  public:
    Captured() : stream_(fopencookie(this, "w", {nullptr, &Captured::write, nullptr, nullptr})) {
        if (stream_ == nullptr) {
            std::abort();
        }
        text_.reserve(usualRoom);
    }
    ~Captured() { std::fclose(stream_); }
    Captured(const Captured&) = delete;
    Captured& operator=(const Captured&) = delete;

    std::FILE* stream() const { return stream_; }

    std::string_view text() {
        if (std::fflush(stream_) != 0) {
            fail("a memory stream takes every write");
        }
        return text_;
    }

    void clear() {
        text();
        text_.clear();
    }

  private:
    // More than the views write for most runs, so that the text seldom grows
    // (libFuzzer takes a run that allocates more than it frees for a leak).
    static constexpr std::size_t usualRoom = 256 * 1024;

    static ssize_t write(void* cookie, const char* bytes, std::size_t size) {
        static_cast<Captured*>(cookie)->text_.append(bytes, size);
        return static_cast<ssize_t>(size);
    }

    std::string text_;
    std::FILE* stream_;
};

UNGUIDED bool isControlByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

UNGUIDED void checkText(std::string_view text) {
    for (const char c : text) {
        if (isControlByte(c) && c != '\n') {
            fail("a text view holds no control byte but its newlines", text);
        }
    }
}

// Returns how many JSON lines there are.
UNGUIDED std::size_t checkJsonLines(std::string_view text, std::string_view start) {
    std::size_t lines = 0;
    while (!text.empty()) {
        const auto* const newline =
            static_cast<const char*>(std::memchr(text.data(), '\n', text.size()));
        if (newline == nullptr) {
            fail("every JSON line ends with a newline", text);
        }
        const std::string_view line(text.data(), static_cast<std::size_t>(newline - text.data()));
        if (line.size() < start.size() + 1 ||
            std::memcmp(line.data(), start.data(), start.size()) != 0 || line.back() != '}') {
            fail("a JSON line is one object", line);
        }
        for (const char c : line) {
            if (isControlByte(c) || static_cast<unsigned char>(c) > 0x7e) {
                fail("a JSON line is printable ASCII", line);
            }
        }
        text.remove_prefix(line.size() + 1);
        ++lines;
    }
    return lines;
}

UNGUIDED void checkFindings(std::string_view text, const CheckCounts& counts) {
    constexpr std::string_view fileName = "trace:";
    std::uint64_t lines = 0;
    for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        if (text.size() - at < fileName.size() ||
            std::memcmp(text.data() + at, fileName.data(), fileName.size()) != 0) {
            fail("a finding begins with the file's name", text.substr(at));
        }
        ++lines;
    }
    if (lines != counts.errors + counts.warnings + counts.notes) {
        fail("check writes one line per finding it counts", text);
    }
    checkText(text);
}

// Lines of `text` that begin with `start`.
UNGUIDED std::size_t linesBeginning(std::string_view text, std::string_view start) {
    std::size_t lines = 0;
    for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        lines += text.compare(at, start.size(), start) == 0 ? 1u : 0u;
    }
    return lines;
}

CommandLine viewLine(bool hex, bool full, bool json) {
    CommandLine line;
    line.hex = hex;
    line.full = full;
    line.json = json;
    line.time = hex;
    return line;
}

// The views that one input goes through, picked by its third byte: the
// lines, and a third of the rest each, so that a run costs a third of all
// views and every view is reached by the inputs that pick it.
enum class ViewGroup : std::uint8_t { text, json, calls };
constexpr std::size_t viewGroups = 3;

// Every view of ambertrace, on the record pipeline of its group, fed the
// first records of a trace block by block and its gaps, as the commands feed
// them: the lines with the hex and full views, with the JSON views of records
// and calls, or with the call model's `calls` and `check`.
class Views {
  public:
    Views()
        : lines_(makeShowView(viewLine(false, false, false), linesOut_.stream())),
          hex_(makeShowView(viewLine(true, false, false), hexOut_.stream())),
          full_(makeShowView(viewLine(false, true, false), fullOut_.stream())),
          json_(makeShowView(viewLine(false, false, true), jsonOut_.stream())),
          calls_(makeCallsView(viewLine(false, false, false), callsOut_.stream())),
          callsJson_(makeCallsView(viewLine(false, false, true), callsJsonOut_.stream())),
          check_(findingsOut_.stream(), CheckFormat::text),
          textPipeline_({lines_.get(), hex_.get(), full_.get()}),
          jsonPipeline_({lines_.get(), json_.get(), callsJson_.get()}),
          callsPipeline_({lines_.get(), calls_.get(), &check_}) {}

    void start(ViewGroup group, bool capture) {
        group_ = group;
        records_ = 0;
        counted_ = check_.counts();
        expectWritten(pipeline().beginTrace(TraceSource{"trace", false, nullptr, capture}));
    }

    void take(const RecordBlock& block) {
        RecordCursor records({block.data, block.size});
        for (; !records.atEnd() && records_ < mostRecordsThroughViews; records.next()) {
            ++records_;
        }
        if (records.offset() == 0) {
            return;
        }
        expectWritten(pipeline().records({block.data, records.offset()}, block.offset, block.seenAt,
                                         block.precision));
        if (printTraceRecords(block.data, records.offset(), nowhere()) != 0) {
            fail("printing to /dev/null succeeds");
        }
    }

    void gap(const CaptureGap& gap) {
        ++gaps_;
        expectWritten(pipeline().gap(gap));
    }

    // Checks what the views wrote. What the run allocated is freed before it
    // ends, so that libFuzzer sees as many frees as allocations and looks for
    // a leak only where there is one.
    void end() {
        expectWritten(pipeline().endTrace());
        checkText(linesOut_.text());
        checkText(hexOut_.text());
        checkText(fullOut_.text());
        if (group_ == ViewGroup::json) {
            const std::string_view json = jsonOut_.text();
            checkJsonLines(json, "{\"type\":\"");
            if (linesBeginning(json, "{\"type\":\"record\",") != records_ ||
                linesBeginning(json, "{\"type\":\"gap\",") != gaps_) {
                fail("one JSON line a record and one a gap", json);
            }
            checkJsonLines(callsJsonOut_.text(), "{\"type\":\"");
        }
        checkText(callsOut_.text());
        const CheckCounts& counts = check_.counts();
        checkFindings(findingsOut_.text(), CheckCounts{counts.errors - counted_.errors,
                                                       counts.warnings - counted_.warnings,
                                                       counts.notes - counted_.notes});
        for (Captured* captured : {&linesOut_, &hexOut_, &fullOut_, &jsonOut_, &callsOut_,
                                   &callsJsonOut_, &findingsOut_}) {
            captured->clear();
        }
        gaps_ = 0;
    }

  private:
    RecordPipeline& pipeline() {
        switch (group_) {
            case ViewGroup::text:
                return textPipeline_;
            case ViewGroup::json:
                return jsonPipeline_;
            case ViewGroup::calls:
                break;
        }
        return callsPipeline_;
    }

    static void expectWritten(int error) {
        if (error != 0) {
            fail("a memory stream takes every write");
        }
    }

    Captured linesOut_;
    Captured hexOut_;
    Captured fullOut_;
    Captured jsonOut_;
    Captured callsOut_;
    Captured callsJsonOut_;
    Captured findingsOut_;
    std::unique_ptr<RecordSink> lines_;
    std::unique_ptr<RecordSink> hex_;
    std::unique_ptr<RecordSink> full_;
    std::unique_ptr<RecordSink> json_;
    std::unique_ptr<RecordSink> calls_;
    std::unique_ptr<RecordSink> callsJson_;
    CheckView check_;
    RecordPipeline textPipeline_;
    RecordPipeline jsonPipeline_;
    RecordPipeline callsPipeline_;
    ViewGroup group_ = ViewGroup::text;
    std::uint64_t records_ = 0;
    std::uint64_t gaps_ = 0;
    CheckCounts counted_;
};

}  // namespace

// AddressSanitizer keeps freed memory from reuse for a while, to catch a use
// after its free. A run frees all it allocates, some 30 KiB, most of it the
// reader's buffers, so a quarantine of 16 MiB still spans hundreds of runs, and
// each run gets memory that is mapped already rather than new pages to fault in.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16";
}

// The first byte picks the piece size, the second the block room and the
// damage policy, the third the views; the rest is the input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return -1;
    }
    const std::size_t piece = data[0] == 0 ? SIZE_MAX : data[0];
    const std::size_t room = TraceInput::minimumBlockRoom + (data[1] >> 1) * 64u;
    const DamagePolicy policy = (data[1] & 1) != 0 ? DamagePolicy::show : DamagePolicy::refuse;
    const auto group = static_cast<ViewGroup>(data[2] % viewGroups);
    const std::span<const std::uint8_t> bytes(data + 3, size - 3);

    PieceSource source(bytes, piece);
    TraceInput input(source, policy, room);
    static Views views;
    views.start(group, input.start() == InputStatus::ready && input.form() == InputForm::capture);
    RecordBlock block;
    InputStatus status;
    std::uint64_t offset = 0;
    bool cutBefore = false;
    while ((status = input.next(block)) == InputStatus::ready || status == InputStatus::gap) {
        if (status == InputStatus::gap) {
            if (input.form() != InputForm::capture) {
                fail("a gap comes only from a capture");
            }
            views.gap(input.gap());
            continue;
        }
        if (block.size == 0 || block.size > std::max(room, largestTraceFile)) {
            fail("a block holds 1 to its room of bytes");
        }
        // A capture's read may end inside a record, as a single read may.
        if (block.offset != offset || (cutBefore && input.form() != InputForm::capture)) {
            fail("blocks follow each other, whole records but the last");
        }
        if (input.form() == InputForm::capture && block.precision != TimePrecision::milliseconds) {
            fail("a capture's records carry the time they were seen");
        }
        if (input.form() == InputForm::bareRecords && !sameBytes(block, bytes.data() + offset)) {
            fail("bare records come out unchanged");
        }
        cutBefore = wholeRecordsEnd(block) != block.size;
        offset += block.size;
        views.take(block);
    }
    if (status == InputStatus::end && input.form() == InputForm::bareRecords &&
        offset != bytes.size()) {
        fail("every bare record byte comes out");
    }
    if (status == InputStatus::readError) {
        fail("a memory source never fails");
    }
    views.end();
    return 0;
}
