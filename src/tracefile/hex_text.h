// Hex text: trace bytes written as hexadecimal, as the project's samples and
// scripts/hex2trace.py have them, or as the hex dumps of xxd, hexdump -C,
// certutil and Format-Hex show them (hex_dump.h), read a piece at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "hex_dump.h"
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

// Reads hex text, whatever way it is split into pieces. The first line that
// holds data tells its kind:
// - a line of a hex dump that shows its text column (hex_dump.h) starts a
//   dump, whose lines then follow that layout, their offsets each continuing
//   the line before; a line "*" stands for the line before, repeated up to the
//   next offset; a dump of hexdump -C ends with its length, and what follows
//   is read as if the text began there;
// - otherwise the text is read by words: '#' starts a comment that runs to the
//   end of the line; a line may start with mail quoting: '>' characters,
//   blanks among them; then an offset, hex digits and a colon ("00000010:"),
//   is skipped; every other word is a run of hex digits of even length, two a
//   byte.
// Lines end in LF, CR LF or CR; blanks are spaces and tabs. Anything else is
// damage, found at its line. With DamagePolicy::refuse the first damage stops
// the reading; with DamagePolicy::show the word (or the dump's line) that holds
// it is dropped and the reading goes on.
class HexText {
  public:
    // A line is held until it shows whether it is a dump's; a longer one is
    // no dump's.
    static constexpr std::size_t heldLineRoom = 256;
    // A character can complete at most this many record bytes: those of a
    // held line, read as words, and of the column numbers held before it.
    static constexpr std::size_t mostBytesOfOneCharacter = heldLineRoom;

    explicit HexText(DamagePolicy policy) : policy_(policy) {}

    // Reads characters of `text` while `out` has room for what one character
    // gives, and until damage stops the reading. Returns the characters read.
    std::size_t read(std::span<const std::uint8_t> text, RecordBuffer& out);
    // The end of the text ends its last line; `out` needs room for what one
    // character gives. A dump's repeated lines may take more room than `out`
    // has: then hand the buffer out and call again, until finished().
    void finish(RecordBuffer& out);
    bool finished() const { return finished_; }
    // The first `count` bytes of the buffer went out; those after moved to its start.
    void handedOut(std::size_t count);

    bool stopped() const { return stopped_; }
    // The first damage, and how many there were.
    const InputFinding& damage() const { return damage_; }
    std::uint64_t damageCount() const { return damageCount_; }

  private:
    enum class Stage : std::uint8_t {
        start,            // no line has held data yet, or a dump has ended
        formatHexHeader,  // a Format-Hex block's header: its data lines follow
        dump,             // lines of the dump's layout
        words,            // hex text read by words
    };

    // What a dump owes to the record bytes: repeated lines, then its last line.
    struct Owed {
        std::uint64_t repeated = 0;  // bytes of the line before, repeated
        std::uint8_t repeatedLine[dumpLineBytes] = {};
        std::size_t repeatedAt = 0;  // where the next one lies in that line
        std::uint8_t line[dumpLineBytes] = {};
        std::size_t lineCount = 0;
        std::size_t lineGiven = 0;
    };

    // The dump being read.
    struct Dump {
        const DumpLayout* layout = nullptr;
        std::uint64_t next = 0;  // the offset the next line continues at
        std::uint8_t last[dumpLineBytes] = {};
        std::size_t lastCount = 0;
        bool repeatMarked = false;  // "*" came, its end not yet
        std::uint64_t repeatLine = 0;
    };

    void character(std::uint8_t c, RecordBuffer& out);
    void endLine(RecordBuffer& out);

    // Held lines.
    void hold(std::uint8_t c, RecordBuffer& out);
    void takeHeldLine(RecordBuffer& out);
    void takeLineAtStart(std::span<const std::uint8_t> content, RecordBuffer& out);
    void takeHeaderLine(std::span<const std::uint8_t> content);
    void takeDumpLine(std::span<const std::uint8_t> content);
    void readHeldAsWords(RecordBuffer& out);
    void startDump(const DumpLayout& layout, const DumpLine& line);
    void takeData(const DumpLine& line);
    void takeRepeatMark();
    void endRepeat(std::uint64_t offset);
    void endDump(const DumpLine& length);
    bool owing() const;
    void giveOwed(RecordBuffer& out);
    void giveColumnNumbers(RecordBuffer& out);
    void endText(RecordBuffer& out);
    void dumpDamaged(Problem problem, std::uint64_t count = 0, std::uint64_t limit = 0,
                     std::uint8_t value = 0, std::uint64_t line = 0);

    // Words.
    void insideLine(std::uint8_t c, RecordBuffer& out);
    void hexDigit(std::uint8_t value, RecordBuffer& out);
    void dataDigit(std::uint8_t value, RecordBuffer& out);
    void colon(RecordBuffer& out);
    void releaseHeldDigits(RecordBuffer& out);
    void endWord(RecordBuffer& out);
    void endWordLine(RecordBuffer& out);
    void damaged(Problem problem, std::uint8_t value, RecordBuffer& out);
    void recordDamage(const InputFinding& finding);

    static constexpr std::size_t longestOffset = 16;

    DamagePolicy policy_;
    std::uint64_t line_ = 1;
    bool afterCr_ = false;
    Stage stage_ = Stage::start;

    std::uint8_t held_[heldLineRoom] = {};
    std::size_t heldCount_ = 0;
    bool heldOverflow_ = false;  // the line went on past the room: no dump's
    bool heldControl_ = false;   // the line holds a control character
    std::uint8_t heldControlValue_ = 0;
    bool wordsOfLine_ = false;  // the held line went to the words, and its rest goes there
    bool columnNumbersHeld_ = false;
    Dump dump_;
    Owed owed_;
    bool textEnded_ = false;
    bool finished_ = false;

    bool inQuoting_ = true;  // nothing but quoting yet on this line
    bool inComment_ = false;
    bool inWord_ = false;
    bool firstWord_ = true;      // the word may still be an offset
    bool skippingWord_ = false;  // the rest of a damaged word
    bool lineHeldData_ = false;  // a word began on this line
    std::uint8_t heldDigits_[longestOffset] = {};
    std::size_t heldDigitCount_ = 0;
    std::size_t wordDigits_ = 0;
    std::size_t dataDigits_ = 0;  // of the word, given out as bytes
    std::uint8_t highDigit_ = 0;
    std::size_t wordStart_ = 0;  // where the word's bytes start in the buffer
    bool stopped_ = false;
    InputFinding damage_;
    std::uint64_t damageCount_ = 0;
};

}  // namespace ambertap
