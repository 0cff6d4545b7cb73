// The two views of a trace's call model: `calls`, one block per call (or one
// JSON object per call), and `check`, one finding a line in the form that
// compilers use. Each listens to a model as it takes a trace's records, and
// writes in the order the calls began or the findings' records come, holding
// back what the model hands out early.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "call_model.h"
#include "ordered_spool.h"
#include "text_output.h"

namespace ambertap {

enum class CallsFormat { text, json };

// "outgoing", "incoming" or "of unknown direction", as a call's header says.
const char* directionText(CallDirection direction);
// A finding's words, as its line gives them after its severity.
void appendFindingText(TextOutput& out, const Finding& finding);

// A call's block of lines as the text view writes it.
void writeCallBlock(TextOutput& out, const Call& call);

// Every call, in the order the calls begin, then the messages of no call for
// each application and controller. In JSON, one object a line: a call's
// carries `applId`, `controller` and `plci`; a listing of messages of no call
// has no `plci`. `fileOrNull` names the trace in each JSON object as `file`
// (the text view does not name it). A call that ends before one that began
// earlier is held, as its text, until that one is written: in memory up to
// `memoryBound`, past it in a scratch file.
class CallsWriter final : public CallModelListener {
  public:
    CallsWriter(CallsFormat format, const char* fileOrNull, std::FILE* out,
                std::size_t memoryBound = OrderedSpool::defaultMemoryBound);

    void takeCall(const Call& call) override;
    void takeFinding(const Finding&) override {}

    // Writes what is held and the messages of no call, once the model has
    // finished, and flushes. Returns 0, or the C library's error number of the
    // first write that failed.
    [[nodiscard]] int finish(const CallModel& model);

    // 0, or the error of the scratch file of what is held, which ends the
    // view; heldFailure() says what it was.
    int heldError() const { return heldError_; }
    const std::string& heldFailure() const { return held_.failure(); }

  private:
    void render(TextOutput& out, const Call& call) const;
    void write(std::string_view block);
    void beginBlock();
    const char* fileOrNull() const { return file_.empty() ? nullptr : file_.c_str(); }

    TextOutput text_;
    TextOutput block_{nullptr};  // a call's text, made apart
    CallsFormat format_;
    std::string file_;
    bool firstBlock_ = true;
    std::uint64_t next_ = 1;  // the number of the call to write next
    OrderedSpool held_;       // by number
    int heldError_ = 0;
};

enum class CheckFormat { text, json };

// Every finding in record order, as `FILE:RECORD: error: ...` (or `warning:`,
// `note:`), or as one JSON object a line (type "finding") that names the
// trace as `file` where `nameFileInJson` says so. A finding waits until the
// model has settled every record before its own, so that a finding proven
// late still comes in its place. What waits is held as its text: in memory up
// to `memoryBound`, past it in a scratch file.
class FindingsWriter final : public CallModelListener {
  public:
    FindingsWriter(const char* fileName, std::FILE* out, CheckFormat format = CheckFormat::text,
                   bool nameFileInJson = false,
                   std::size_t memoryBound = OrderedSpool::defaultMemoryBound);

    void takeCall(const Call&) override {}
    void takeFinding(const Finding& finding) override;

    // Writes the findings about records before `record`.
    void settle(std::uint64_t record);
    // Writes the rest, once the model has finished, and flushes. Returns 0, or
    // the C library's error number of the first write that failed.
    [[nodiscard]] int finish();

    // Every finding taken so far, written or held.
    const CheckCounts& counts() const { return counts_; }

    // 0, or the error of the scratch file of what is held, which ends the
    // view; heldFailure() says what it was.
    int heldError() const { return heldError_; }
    const std::string& heldFailure() const { return held_.failure(); }

  private:
    void render(const Finding& finding);
    void renderJson(const Finding& finding);
    void writeHeld(std::uint64_t before);

    TextOutput text_;
    TextOutput line_{nullptr};   // a finding's line, made apart
    TextOutput words_{nullptr};  // a finding's words, for its JSON object
    std::string fileName_;
    CheckFormat format_;
    bool nameFileInJson_;
    OrderedSpool held_;  // by record, in the order proven
    int heldError_ = 0;
    CheckCounts counts_;
};

// The JSON object that ends `check --json`: {"type":"summary", and the counts}.
// Returns 0, or the C library's error number of a failed write.
[[nodiscard]] int writeCheckSummaryJson(const CheckCounts& counts, std::FILE* out);

}  // namespace ambertap
