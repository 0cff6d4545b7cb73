// Any bytes go through the reader of trace inputs, arriving in pieces of a
// size the fuzzer picks, into blocks of a room it picks, refused or shown
// despite damage, and on through every view of ambertrace: the lines, every
// parameter for a person and as JSON Lines, and the call model with `calls`
// and `check`. The blocks must follow each other without gap, hold whole
// records except the last (of each read, in a capture, whose gaps come
// between them), and give bare records back unchanged; the views
// must write text without control bytes but their newlines, JSON lines of
// printable ASCII, one a record, and one finding a line for each it counts.
// Sanitizers catch any read or write outside a buffer.
//
// A run costs what its input costs: the views, the call model and the
// streams they write to are made once and reset for each input, and the
// views take the first records of an input only (mostRecordsThroughViews).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "call_views.h"
#include "message_views.h"
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
    std::uint64_t lastRecord = 0;
    for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        if (text.size() - at < fileName.size() ||
            std::memcmp(text.data() + at, fileName.data(), fileName.size()) != 0) {
            fail("a finding begins with the file's name", text.substr(at));
        }
        const std::uint64_t record = std::strtoull(text.data() + at + fileName.size(), nullptr, 10);
        if (record < lastRecord) {
            fail("findings come in record order", text.substr(at));
        }
        lastRecord = record;
        ++lines;
    }
    if (lines != counts.errors + counts.warnings + counts.notes) {
        fail("check writes one line per finding it counts", text);
    }
    checkText(text);
}

// Every view of ambertrace, fed the first records of a trace block by block:
// the lines, the full and JSON views, and the call model with `calls` and
// `check`.
class Views {
  public:
    void start() {
        records_ = 0;
        fullProtocols_ = ProtocolTracker{};
        jsonProtocols_ = ProtocolTracker{};
        callViews_.emplace(calls_.stream(), callsJson_.stream(), checked_.stream());
        model_.emplace(*callViews_);
    }

    void take(const RecordBlock& block) {
        const std::uint8_t* const end = block.data + block.size;
        const std::uint8_t* at = block.data;
        while (at < end && records_ < mostRecordsThroughViews) {
            const ByteView record{at, end};
            char line[traceLineRoom];
            const std::string_view text(line, formatTraceRecord(record, line, traceLineRoom));
            ++records_;
            const std::uint64_t offset = block.offset + static_cast<std::uint64_t>(at - block.data);
            if (writeFullRecord(record, text, fullProtocols_, full_.stream()) != 0 ||
                writeJsonRecord(record, records_, offset, text, nullptr, jsonProtocols_,
                                json_.stream()) != 0) {
                fail("a memory stream takes every write");
            }
            model_->add(record, records_);
            at += recordSize(record);
        }
        const auto taken = static_cast<std::size_t>(at - block.data);
        if (taken > 0 && printTraceRecords(block.data, taken, nowhere()) != 0) {
            fail("printing to /dev/null succeeds");
        }
        callViews_->findings.settle(model_->settledBefore());
    }

    void gap(const CaptureGap& gap) { model_->addGap(gap); }

    // Checks what the views wrote. What the run allocated is freed before it
    // ends, so that libFuzzer sees as many frees as allocations and looks for
    // a leak only where there is one.
    void end() {
        checkText(full_.text());
        if (checkJsonLines(json_.text(), "{\"type\":\"record\",") != records_) {
            fail("one JSON line a record");
        }
        model_->finish();
        if (callViews_->text.finish(*model_) != 0 || callViews_->json.finish(*model_) != 0 ||
            callViews_->findings.finish() != 0) {
            fail("a memory stream takes every write");
        }
        checkText(calls_.text());
        checkJsonLines(callsJson_.text(), "{\"type\":\"");
        checkFindings(checked_.text(), callViews_->findings.counts());
        model_.reset();
        callViews_.reset();
        for (Captured* captured : {&full_, &json_, &calls_, &callsJson_, &checked_}) {
            captured->clear();
        }
    }

  private:
    std::uint64_t records_ = 0;
    ProtocolTracker fullProtocols_;
    ProtocolTracker jsonProtocols_;
    Captured full_;
    Captured json_;
    Captured calls_;
    Captured callsJson_;
    Captured checked_;
    // The views of the call model, told at once of what it hands out.
    struct CallViews final : CallModelListener {
        CallViews(std::FILE* calls, std::FILE* callsJson, std::FILE* checked)
            : text{CallsFormat::text, nullptr, calls},
              json{CallsFormat::json, "trace", callsJson},
              findings{"trace", checked} {}
        void takeCall(const Call& call) override {
            text.takeCall(call);
            json.takeCall(call);
        }
        void takeFinding(const Finding& finding) override { findings.takeFinding(finding); }

        CallsWriter text;
        CallsWriter json;
        FindingsWriter findings;
    };
    std::optional<CallViews> callViews_;
    std::optional<CallModel> model_;
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
// damage policy; the rest is the input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return -1;
    }
    const std::size_t piece = data[0] == 0 ? SIZE_MAX : data[0];
    const std::size_t room = TraceInput::minimumBlockRoom + (data[1] >> 1) * 64u;
    const DamagePolicy policy = (data[1] & 1) != 0 ? DamagePolicy::show : DamagePolicy::refuse;
    const std::span<const std::uint8_t> bytes(data + 2, size - 2);

    static Views views;
    views.start();
    PieceSource source(bytes, piece);
    TraceInput input(source, policy, room);
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
