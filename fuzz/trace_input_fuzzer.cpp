// Any bytes go through the reader of trace inputs, arriving in pieces of a
// size the fuzzer picks, into blocks of a room it picks, refused or shown
// despite damage, and on through every view of ambertrace: the lines, every
// parameter for a person and as JSON Lines, and the call model with `calls`
// and `check`. The blocks must follow each other without gap, hold whole
// records except the last, and give bare records back unchanged; the views
// must write text without control bytes but their newlines, JSON lines of
// printable ASCII, one a record, and one finding a line for each it counts.
// Sanitizers catch any read or write outside a buffer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <string_view>

#include "call_views.h"
#include "message_views.h"
#include "trace_input.h"
#include "trace_walker.h"

namespace {

using namespace ambertap;

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
std::size_t wholeRecordsEnd(const RecordBlock& block) {
    std::size_t at = 0;
    while (block.size - at >= 2 && block.size - at - 2 >= block.data[at + 1]) {
        at += 2 + block.data[at + 1];
    }
    return at;
}

std::FILE* nowhere() {
    static std::FILE* const file = std::fopen("/dev/null", "w");
    if (file == nullptr) {
        std::abort();
    }
    return file;
}

// What a view writes, in memory, to be checked once the trace has ended.
class Captured {
  public:
    Captured() : stream_(open_memstream(&text_, &length_)) {
        if (stream_ == nullptr) {
            std::abort();
        }
    }
    ~Captured() {
        close();
        std::free(text_);
    }
    Captured(const Captured&) = delete;
    Captured& operator=(const Captured&) = delete;

    std::FILE* stream() const { return stream_; }

    std::string_view text() {
        close();
        return {text_, length_};
    }

  private:
    void close() {
        if (stream_ != nullptr) {
            std::fclose(stream_);
            stream_ = nullptr;
        }
    }

    char* text_ = nullptr;
    std::size_t length_ = 0;
    std::FILE* stream_;
};

void checkText(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\n') || byte == 0x7f) {
            fail("a text view holds no control byte but its newlines", text);
        }
    }
}

// Returns how many JSON lines there are.
std::size_t checkJsonLines(std::string_view text, std::string_view start) {
    std::size_t lines = 0;
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        if (newline == std::string_view::npos) {
            fail("every JSON line ends with a newline", text);
        }
        const std::string_view line = text.substr(0, newline);
        if (!line.starts_with(start) || !line.ends_with('}')) {
            fail("a JSON line is one object", line);
        }
        for (const char c : line) {
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) {
                fail("a JSON line is printable ASCII", line);
            }
        }
        text.remove_prefix(newline + 1);
        ++lines;
    }
    return lines;
}

void checkFindings(std::string_view text, const CheckCounts& counts) {
    std::uint64_t lines = 0;
    std::uint64_t lastRecord = 0;
    for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        if (text.compare(at, 6, "trace:") != 0) {
            fail("a finding begins with the file's name", text.substr(at));
        }
        const std::uint64_t record = std::strtoull(text.data() + at + 6, nullptr, 10);
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

// Every view of ambertrace, fed the trace's records block by block.
class Views {
  public:
    void take(const RecordBlock& block) {
        const std::uint8_t* const end = block.data + block.size;
        for (const std::uint8_t* at = block.data; at < end;) {
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
            model_.add(record, records_);
            at += recordSize(record);
        }
        callViews_.findings.settle(model_.settledBefore());
    }

    void check() {
        checkText(full_.text());
        if (checkJsonLines(json_.text(), "{\"type\":\"record\",") != records_) {
            fail("one JSON line a record");
        }
        model_.finish();
        if (callViews_.text.finish(model_) != 0 || callViews_.json.finish(model_) != 0 ||
            callViews_.findings.finish() != 0) {
            fail("a memory stream takes every write");
        }
        checkText(callViews_.calls.text());
        checkJsonLines(callViews_.callsJson.text(), "{\"type\":\"");
        checkFindings(callViews_.checked.text(), callViews_.findings.counts());
    }

  private:
    std::uint64_t records_ = 0;
    ProtocolTracker fullProtocols_;
    ProtocolTracker jsonProtocols_;
    Captured full_;
    Captured json_;
    // The views of the call model, told at once of what it hands out.
    struct CallViews final : CallModelListener {
        void takeCall(const Call& call) override {
            text.takeCall(call);
            json.takeCall(call);
        }
        void takeFinding(const Finding& finding) override { findings.takeFinding(finding); }

        Captured calls;
        Captured callsJson;
        Captured checked;
        CallsWriter text{CallsFormat::text, nullptr, calls.stream()};
        CallsWriter json{CallsFormat::json, "trace", callsJson.stream()};
        FindingsWriter findings{"trace", checked.stream()};
    } callViews_;
    CallModel model_{callViews_};
};

}  // namespace

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

    PieceSource source(bytes, piece);
    TraceInput input(source, policy, room);
    const auto views = std::make_unique<Views>();
    RecordBlock block;
    InputStatus status;
    std::uint64_t offset = 0;
    bool cutBefore = false;
    while ((status = input.next(block)) == InputStatus::ready) {
        if (block.size == 0 || block.size > std::max(room, largestTraceFile)) {
            fail("a block holds 1 to its room of bytes");
        }
        if (block.offset != offset || cutBefore) {
            fail("blocks follow each other, whole records but the last");
        }
        if (input.form() == InputForm::bareRecords &&
            !std::equal(block.data, block.data + block.size,
                        bytes.begin() + static_cast<std::ptrdiff_t>(offset))) {
            fail("bare records come out unchanged");
        }
        cutBefore = wholeRecordsEnd(block) != block.size;
        offset += block.size;
        if (printTraceRecords(block.data, block.size, nowhere()) != 0) {
            fail("printing to /dev/null succeeds");
        }
        views->take(block);
    }
    if (status == InputStatus::end && input.form() == InputForm::bareRecords &&
        offset != bytes.size()) {
        fail("every bare record byte comes out");
    }
    if (status == InputStatus::readError) {
        fail("a memory source never fails");
    }
    views->check();
    return 0;
}
