// Any bytes go through the reader of trace inputs, arriving in pieces of a
// size the fuzzer picks, into blocks of a room it picks, refused or shown
// despite damage, and on through every view of ambertrace: the lines, every
// parameter for a person and as JSON Lines, and the call model with `calls`
// and `check`. The blocks must follow each other without gap, hold whole
// records except the last, and give bare records back unchanged; the views
// must write text without control bytes but their newlines, JSON lines of
// printable ASCII, one a record, and one finding a line for each it counts.
// The views sit on the record pipeline, as they do in the program.
// Sanitizers catch any read or write outside a buffer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <string_view>

#include "call_commands.h"
#include "record_cursor.h"
#include "record_pipeline.h"
#include "record_views.h"
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
    for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        if (text.compare(at, 6, "trace:") != 0) {
            fail("a finding begins with the file's name", text.substr(at));
        }
        ++lines;
    }
    if (lines != counts.errors + counts.warnings + counts.notes) {
        fail("check writes one line per finding it counts", text);
    }
    checkText(text);
}

CommandLine viewLine(bool hex, bool full, bool json) {
    CommandLine line;
    line.hex = hex;
    line.full = full;
    line.json = json;
    return line;
}

// Every view of ambertrace on one record pipeline, fed the trace's records
// block by block, as the commands feed it.
class Views {
  public:
    Views()
        : lines_(makeShowView(viewLine(false, false, false), linesOut_.stream())),
          hex_(makeShowView(viewLine(true, false, false), hexOut_.stream())),
          full_(makeShowView(viewLine(false, true, false), fullOut_.stream())),
          json_(makeShowView(viewLine(false, false, true), jsonOut_.stream())),
          calls_(makeCallsView(viewLine(false, false, false), callsOut_.stream())),
          callsJson_(makeCallsView(viewLine(false, false, true), callsJsonOut_.stream())),
          check_(findingsOut_.stream()),
          pipeline_({lines_.get(), hex_.get(), full_.get(), json_.get(), calls_.get(),
                     callsJson_.get(), &check_}) {
        expectWritten(pipeline_.beginTrace(TraceSource{"trace", false, nullptr}));
    }

    void take(const RecordBlock& block) {
        records_ += countRecords({block.data, block.size});
        expectWritten(pipeline_.records({block.data, block.size}, block.offset));
    }

    void check() {
        expectWritten(pipeline_.endTrace());
        checkText(linesOut_.text());
        checkText(hexOut_.text());
        checkText(fullOut_.text());
        if (checkJsonLines(jsonOut_.text(), "{\"type\":\"record\",") != records_) {
            fail("one JSON line a record");
        }
        checkText(callsOut_.text());
        checkJsonLines(callsJsonOut_.text(), "{\"type\":\"");
        checkFindings(findingsOut_.text(), check_.counts());
    }

  private:
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
    RecordPipeline pipeline_;
    std::size_t records_ = 0;
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
        cutBefore = wholeRecordsEnd({block.data, block.size}) != block.size;
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
