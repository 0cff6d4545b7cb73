// Hex text: trace bytes written as hexadecimal, as the project's samples and
// scripts/hex2trace.py have them, read a piece at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "trace_file.h"
#include "trace_finding.h"

namespace ambertap {

// Record bytes collecting in a buffer of fixed room.
struct RecordBuffer {
    std::uint8_t* data = nullptr;
    std::size_t room = 0;
    std::size_t used = 0;

    std::size_t free() const { return room - used; }
    void push(std::uint8_t byte) {
        if (used < room) {
            data[used++] = byte;
        }
    }
};

// Reads hex text, whatever way it is split into pieces:
// - '#' starts a comment that runs to the end of the line;
// - a line may start with mail quoting: '>' characters, blanks among them;
// - then an offset, hex digits and a colon ("00000010:"), is skipped;
// - every other word is a run of hex digits of even length, two a byte;
// - lines end in LF, CR LF or CR; blanks are spaces and tabs.
// Anything else is damage, found at its line. With DamagePolicy::refuse the
// first damage stops the reading; with DamagePolicy::show the word that holds
// it is dropped (as far as its bytes are still in the buffer) and the reading
// goes on.
class HexText {
  public:
    // A character can complete at most this many record bytes: those of a
    // line's first word, held until it turns out to be no offset.
    static constexpr std::size_t mostBytesOfOneCharacter = 8;

    explicit HexText(DamagePolicy policy) : policy_(policy) {}

    // Reads characters of `text` while `out` has room for what one character
    // gives, and until damage stops the reading. Returns the characters read.
    std::size_t read(std::span<const std::uint8_t> text, RecordBuffer& out);
    // The end of the text ends its last word; `out` needs room for what one
    // character gives.
    void finish(RecordBuffer& out);
    // The first `count` bytes of the buffer went out; those after moved to its start.
    void handedOut(std::size_t count);

    bool stopped() const { return stopped_; }
    // The first damage, and how many there were.
    const InputFinding& damage() const { return damage_; }
    std::uint64_t damageCount() const { return damageCount_; }

  private:
    void character(std::uint8_t c, RecordBuffer& out);
    void insideLine(std::uint8_t c, RecordBuffer& out);
    void hexDigit(std::uint8_t value, RecordBuffer& out);
    void dataDigit(std::uint8_t value, RecordBuffer& out);
    void colon(RecordBuffer& out);
    void releaseHeldDigits(RecordBuffer& out);
    void endWord(RecordBuffer& out);
    void endLine(RecordBuffer& out);
    void damaged(Problem problem, std::uint8_t value, RecordBuffer& out);

    static constexpr std::size_t longestOffset = 16;

    DamagePolicy policy_;
    std::uint64_t line_ = 1;
    bool afterCr_ = false;
    bool inQuoting_ = true;  // nothing but quoting yet on this line
    bool inComment_ = false;
    bool inWord_ = false;
    bool firstWord_ = true;      // the word may still be an offset
    bool skippingWord_ = false;  // the rest of a damaged word
    std::uint8_t heldDigits_[longestOffset] = {};
    std::size_t heldCount_ = 0;
    std::size_t wordDigits_ = 0;
    std::size_t dataDigits_ = 0;  // of the word, given out as bytes
    std::uint8_t highDigit_ = 0;
    std::size_t wordStart_ = 0;  // where the word's bytes start in the buffer
    bool stopped_ = false;
    InputFinding damage_;
    std::uint64_t damageCount_ = 0;
};

}  // namespace ambertap
