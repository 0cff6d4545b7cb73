// Reading a trace from an input of any of its forms, told apart by their
// content in this order: a trace file (trace_file.h), also one whose
// signature a transfer changed, or a capture file (capture_file.h), which is
// its major version 2; hex text (hex_text.h); else the bare record bytes as
// the driver returns them. The record bytes come out in blocks of bounded
// size, whatever the size of the input, and a capture's gaps between them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <vector>

#include "capture_file.h"
#include "hex_text.h"
#include "trace_file.h"
#include "trace_finding.h"
#include "utc_time.h"

namespace ambertap {

// Where the bytes of one input come from.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Reads up to `room` bytes into `into`. Returns their count, 0 at the
    // end, or -1 on a read error, with errno telling it.
    virtual std::ptrdiff_t read(std::uint8_t* into, std::size_t room) = 0;
};

// The bytes of an open file; the caller opens and closes it.
class FileByteSource final : public ByteSource {
  public:
    explicit FileByteSource(std::FILE* file) : file_(file) {}
    std::ptrdiff_t read(std::uint8_t* into, std::size_t room) override;

  private:
    std::FILE* file_;
};

enum class InputForm : std::uint8_t { bareRecords, hexText, traceFile, capture };

// Record bytes of the trace: whole records, except that the last block of
// an input, or of one read of a capture, may end inside a record, where the
// input or the read ended.
struct RecordBlock {
    const std::uint8_t* data = nullptr;  // valid until the next call of next()
    std::size_t size = 0;
    std::uint64_t offset = 0;  // of its first byte among the trace's record bytes
    // When the records were first seen, ms since 1970 UTC, as far as the
    // input knows: a capture to the millisecond, a trace file to the second.
    std::int64_t seenAt = 0;
    TimePrecision precision = TimePrecision::none;
};

enum class InputStatus : std::uint8_t {
    ready,        // start(): the form is known; next(): a block
    gap,          // next(): a gap of a capture, which gap() tells
    end,          // every block was handed out
    readError,    // the source failed: finding() has its error number
    refused,      // the trace file is refused: finding() says why
    damagedText,  // damage to the hex text: finding() says where and why
};

// One input, read once from start to end. Failures are final: a call after
// one returns the same status. With DamagePolicy::refuse, damage to a hex
// text ends the input where it is found, so the blocks before may already
// have been shown; with DamagePolicy::show the input is read to its end and
// shownDespiteDamage() tells afterwards that something was wrong. Damage to
// a capture's block is found as the blocks come, as it is in hex text; a
// capture cut inside its last block, as a capture that is still being
// written or was killed leaves it, ends after every whole block, and
// lastBlockCut() says so.
class TraceInput {
  public:
    // Blocks hold at most this many bytes unless the caller asks for another
    // room, which is at least minimumBlockRoom.
    static constexpr std::size_t defaultBlockRoom = 64 * 1024;
    static constexpr std::size_t minimumBlockRoom = 1024;
    // Hex text is told from bare records by the first bytes of an input.
    static constexpr std::size_t formWindow = 4096;

    TraceInput(ByteSource& source, DamagePolicy policy, std::size_t blockRoom = defaultBlockRoom);

    // Reads enough to tell the form, and all of a trace file. Returns ready,
    // readError or refused.
    InputStatus start();
    InputForm form() const { return form_; }
    // The header of a trace file, once start() returned ready.
    const TraceFileFacts& facts() const { return facts_; }
    // The header of a capture, once start() returned ready.
    const CaptureFacts& captureFacts() const { return captureFacts_; }

    // The next block of record bytes, or the next gap; starts the input if
    // start() was not called.
    InputStatus next(RecordBlock& block);
    // The gap that next() returned InputStatus::gap for.
    const CaptureGap& gap() const { return gap_; }
    // After the end: a capture ended inside a block, which finding() tells.
    bool lastBlockCut() const { return lastBlockCut_; }

    // The failure, or with DamagePolicy::show the first damage found.
    const InputFinding& finding() const { return finding_; }
    // After the end: the input had damage and was shown all the same.
    bool shownDespiteDamage() const { return shownDespiteDamage_; }
    // The pieces of damage to a hex text, or the damaged blocks of a capture,
    // shown despite them; 1 for a damaged trace file.
    std::uint64_t damageCount() const;

  private:
    enum class Stage : std::uint8_t {
        notStarted,
        streaming,
        fileRecords,
        captureBlocks,
        finished,
        failed
    };

    bool readOnce(std::uint8_t* into, std::size_t room, std::size_t& count);
    bool readUpTo(std::uint8_t* into, std::size_t room, std::size_t& filled);
    InputStatus fail(InputStatus status, const InputFinding& finding);
    InputStatus failToRead(int error);
    InputStatus startTraceFile();
    InputStatus startVersion1File();
    InputStatus startCapture();
    InputStatus nextOfCapture(RecordBlock& block);
    InputStatus readCaptureBlock();
    InputStatus takeCaptureBlock(std::uint32_t length);
    InputStatus cutCaptureBlock(std::uint32_t length);
    InputStatus stopAtDamage(const InputFinding& finding);
    void noteDamage(const InputFinding& finding);
    bool takeBytes(std::vector<std::uint8_t>& into, std::size_t count);
    InputStatus handOutCaptureRecords(RecordBlock& block);
    InputStatus nextOfStream(RecordBlock& block);
    void dropHandedOut();
    bool fillRecords();
    bool readCharacters(std::span<const std::uint8_t> bytes, std::size_t& used);
    InputStatus handOut(std::size_t size, RecordBlock& block);

    ByteSource& source_;
    DamagePolicy policy_;
    std::size_t blockRoom_;
    std::vector<std::uint8_t> input_;
    std::size_t inputBegin_ = 0;
    std::size_t inputEnd_ = 0;
    bool sourceEnded_ = false;
    std::vector<std::uint8_t> records_;
    RecordBuffer buffer_;
    std::size_t handedOut_ = 0;  // bytes of the last block, still at the buffer's start
    std::uint64_t offset_ = 0;   // of the buffer's first byte
    HexText hexText_;
    Stage stage_ = Stage::notStarted;
    InputForm form_ = InputForm::bareRecords;
    InputStatus failure_ = InputStatus::end;
    TraceFileFacts facts_;
    std::span<const std::uint8_t> fileRecords_;
    CaptureFacts captureFacts_;
    std::vector<std::uint8_t> captureBlock_;        // the block being read, grown as blocks need
    std::uint64_t blockAt_ = 0;                     // the file offset of the next block
    std::span<const std::uint8_t> captureRecords_;  // of the block, not yet handed out
    std::int64_t seenAt_ = 0;
    CaptureGap gap_;
    bool captureEnded_ = false;
    bool lastBlockCut_ = false;
    std::uint64_t captureDamage_ = 0;
    InputFinding finding_;
    bool shownDespiteDamage_ = false;
};

}  // namespace ambertap
