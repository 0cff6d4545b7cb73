#include "hex_text.h"

#include <algorithm>

#include "capi_vocabulary.h"

namespace ambertap {

namespace {

// Control characters other than the tab (lines end before this is asked), and DEL.
bool isControl(std::uint8_t c) {
    return (c < 0x20 && c != '\t') || c == 0x7f;
}

const DumpLayout& formatHexLayout() {
    const auto known = dumpLayouts();
    return *std::find_if(known.begin(), known.end(),
                         [](const DumpLayout& layout) { return layout.formatHexHeaders; });
}

}  // namespace

std::size_t HexText::read(std::span<const std::uint8_t> text, RecordBuffer& out) {
    std::size_t count = 0;
    while (!stopped_) {
        giveOwed(out);
        if (owing() || count == text.size() || out.free() < mostBytesOfOneCharacter) {
            break;
        }
        character(text[count++], out);
    }
    return count;
}

void HexText::finish(RecordBuffer& out) {
    if (!stopped_ && !finished_) {
        giveOwed(out);
        if (!owing() && !textEnded_) {
            textEnded_ = true;
            endText(out);
            giveOwed(out);
        }
    }
    finished_ = stopped_ || (textEnded_ && !owing());
}

void HexText::handedOut(std::size_t count) {
    wordStart_ = wordStart_ > count ? wordStart_ - count : 0;
}

void HexText::character(std::uint8_t c, RecordBuffer& out) {
    // CR LF is one line end; a CR alone is one too.
    const bool lfOfCrLf = c == '\n' && afterCr_;
    afterCr_ = c == '\r';
    if (lfOfCrLf) {
        return;
    }
    if (c == '\n' || c == '\r') {
        endLine(out);
    } else if (stage_ == Stage::words || wordsOfLine_) {
        insideLine(c, out);
    } else {
        hold(c, out);
    }
}

void HexText::endLine(RecordBuffer& out) {
    if (stage_ == Stage::words) {
        endWordLine(out);
        return;
    }
    if (!wordsOfLine_) {
        takeHeldLine(out);
    }
    if (wordsOfLine_) {
        if (lineHeldData_) {
            stage_ = Stage::words;
        }
        wordsOfLine_ = false;
        endWordLine(out);
    } else {
        ++line_;
    }
    heldCount_ = 0;
    heldOverflow_ = false;
    heldControl_ = false;
}

// The end of the text ends its last line; a dump's repeat then has no end,
// and column numbers held were hex text.
void HexText::endText(RecordBuffer& out) {
    endLine(out);
    if (stage_ == Stage::dump && dump_.repeatMarked) {
        dumpDamaged(Problem::repeatUnended, 0, 0, 0, dump_.repeatLine);
    }
    if (columnNumbersHeld_ && !stopped_) {
        giveColumnNumbers(out);
    }
}

// Held lines.

void HexText::hold(std::uint8_t c, RecordBuffer& out) {
    if (isControl(c) && !heldControl_) {
        heldControl_ = true;
        heldControlValue_ = c;
    }
    if (heldCount_ < heldLineRoom) {
        held_[heldCount_++] = c;
        return;
    }
    heldOverflow_ = true;
    if (stage_ == Stage::start) {
        readHeldAsWords(out);
        insideLine(c, out);
    }
}

void HexText::takeHeldLine(RecordBuffer& out) {
    const std::span<const std::uint8_t> content = dumpLineContent({held_, heldCount_});
    if (stage_ == Stage::start) {
        takeLineAtStart(content, out);
    } else if (heldControl_) {
        dumpDamaged(Problem::notText, 0, 0, heldControlValue_);
    } else if (heldOverflow_) {
        dumpDamaged(Problem::notDumpLine);
    } else if (stage_ == Stage::formatHexHeader) {
        takeHeaderLine(content);
    } else {
        takeDumpLine(content);
    }
}

// The first line that holds data tells a dump from hex text read by words.
// Column numbers, "00 01 ... 0F", head a Format-Hex block when another header
// or its data line follows them, blank lines between; otherwise they are hex
// text.
void HexText::takeLineAtStart(std::span<const std::uint8_t> content, RecordBuffer& out) {
    if (!heldControl_) {
        if (content.empty()) {
            return;
        }
        for (const DumpLayout& layout : dumpLayouts()) {
            const DumpLine line = readDumpLine(content, layout);
            if (line.kind == DumpLineKind::header) {
                columnNumbersHeld_ = false;
                stage_ = Stage::formatHexHeader;
                return;
            }
            if (line.kind == DumpLineKind::columnNumbers) {
                columnNumbersHeld_ = true;
                return;
            }
            if (line.kind == DumpLineKind::data && line.textShown &&
                (!columnNumbersHeld_ || layout.formatHexHeaders)) {
                columnNumbersHeld_ = false;
                startDump(layout, line);
                return;
            }
        }
    }
    readHeldAsWords(out);
}

void HexText::takeHeaderLine(std::span<const std::uint8_t> content) {
    for (const DumpLayout& layout : dumpLayouts()) {
        if (!layout.formatHexHeaders) {
            continue;
        }
        const DumpLine line = readDumpLine(content, layout);
        if (line.kind == DumpLineKind::data) {
            startDump(layout, line);
            return;
        }
        if (line.kind != DumpLineKind::other) {
            return;
        }
    }
    dump_.layout = &formatHexLayout();
    dumpDamaged(Problem::notDumpLine);
}

void HexText::takeDumpLine(std::span<const std::uint8_t> content) {
    const DumpLine line = readDumpLine(content, *dump_.layout);
    switch (line.kind) {
        case DumpLineKind::blank:
            break;
        case DumpLineKind::data:
            takeData(line);
            break;
        case DumpLineKind::repeat:
            takeRepeatMark();
            break;
        case DumpLineKind::length:
            endDump(line);
            break;
        case DumpLineKind::header:
        case DumpLineKind::columnNumbers:
            // A new block of Format-Hex, its offsets counted afresh.
            if (dump_.repeatMarked) {
                dumpDamaged(Problem::repeatUnended, 0, 0, 0, dump_.repeatLine);
            }
            stage_ = Stage::formatHexHeader;
            break;
        case DumpLineKind::other:
            dumpDamaged(Problem::notDumpLine);
            break;
    }
}

// The line held so far is no dump's: its characters go to the words, after
// the column numbers held before it.
void HexText::readHeldAsWords(RecordBuffer& out) {
    if (columnNumbersHeld_) {
        giveColumnNumbers(out);
        stage_ = Stage::words;
    }
    wordsOfLine_ = true;
    for (std::size_t i = 0; i < heldCount_ && !stopped_; ++i) {
        insideLine(held_[i], out);
    }
}

void HexText::giveColumnNumbers(RecordBuffer& out) {
    for (std::uint8_t value = 0; value < dumpLineBytes; ++value) {
        out.push(value);
    }
    columnNumbersHeld_ = false;
}

void HexText::startDump(const DumpLayout& layout, const DumpLine& line) {
    dump_ = Dump{};
    dump_.layout = &layout;
    dump_.next = line.offset;
    stage_ = Stage::dump;
    takeData(line);
}

// A line's offset continues the line before, or the repeat before it. Shown
// despite damage, a line whose offset does not continue is taken as it is.
void HexText::takeData(const DumpLine& line) {
    if (dump_.repeatMarked) {
        endRepeat(line.offset);
    }
    if (line.offset != dump_.next) {
        dumpDamaged(Problem::offsetBreak, line.offset, dump_.next);
        if (stopped_) {
            return;
        }
    }
    std::copy_n(line.bytes, line.count, owed_.line);
    owed_.lineCount = line.count;
    owed_.lineGiven = 0;
    std::copy_n(line.bytes, line.count, dump_.last);
    dump_.lastCount = line.count;
    dump_.next = line.offset + line.count;
}

void HexText::takeRepeatMark() {
    if (dump_.repeatMarked || dump_.lastCount != dumpLineBytes) {
        dumpDamaged(Problem::repeatWithoutLine);
        return;
    }
    dump_.repeatMarked = true;
    dump_.repeatLine = line_;
}

// The line before the repeat mark stands for the whole lines up to `offset`,
// but for no more than one read of the driver holds.
void HexText::endRepeat(std::uint64_t offset) {
    dump_.repeatMarked = false;
    const std::uint64_t bytes = offset - dump_.next;
    if (offset <= dump_.next || bytes % dumpLineBytes != 0) {
        dumpDamaged(Problem::repeatUnfit, offset, 0, 0, dump_.repeatLine);
    } else if (bytes > driverTraceBufferSize) {
        dumpDamaged(Problem::repeatTooLong, bytes, driverTraceBufferSize, 0, dump_.repeatLine);
    } else {
        std::copy_n(dump_.last, dumpLineBytes, owed_.repeatedLine);
        owed_.repeated = bytes;
        owed_.repeatedAt = 0;
    }
    dump_.next = offset;
}

void HexText::endDump(const DumpLine& length) {
    if (dump_.repeatMarked) {
        endRepeat(length.offset);
    }
    if (length.offset != dump_.next) {
        dumpDamaged(Problem::lengthDiffers, length.offset, dump_.next);
    }
    stage_ = Stage::start;
}

bool HexText::owing() const {
    return owed_.repeated > 0 || owed_.lineGiven < owed_.lineCount;
}

void HexText::giveOwed(RecordBuffer& out) {
    while (owed_.repeated > 0 && out.free() > 0) {
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(
            {owed_.repeated, out.free(), dumpLineBytes - owed_.repeatedAt}));
        std::copy_n(owed_.repeatedLine + owed_.repeatedAt, count, out.data + out.used);
        out.used += count;
        owed_.repeated -= count;
        owed_.repeatedAt = (owed_.repeatedAt + count) % dumpLineBytes;
    }
    while (owed_.repeated == 0 && owed_.lineGiven < owed_.lineCount && out.free() > 0) {
        out.push(owed_.line[owed_.lineGiven++]);
    }
}

// Damage to a dump's line, at `line` (0: the line being read); the line is
// left out.
void HexText::dumpDamaged(Problem problem, std::uint64_t count, std::uint64_t limit,
                          std::uint8_t value, std::uint64_t line) {
    InputFinding finding;
    finding.problem = problem;
    finding.line = line != 0 ? line : line_;
    finding.count = count;
    finding.limit = limit;
    finding.byteValue = value;
    finding.layout = dump_.layout != nullptr ? dump_.layout->name : nullptr;
    recordDamage(finding);
}

// Damage found after the damage that stopped the reading is not counted.
void HexText::recordDamage(const InputFinding& finding) {
    if (stopped_) {
        return;
    }
    if (damageCount_++ == 0) {
        damage_ = finding;
    }
    stopped_ = policy_ == DamagePolicy::refuse;
}

// Words.

void HexText::insideLine(std::uint8_t c, RecordBuffer& out) {
    if (inComment_) {
        if (isControl(c)) {
            damaged(Problem::notText, c, out);
        }
        return;
    }
    if (c == ' ' || c == '\t' || c == '#') {
        endWord(out);
        inComment_ = c == '#';
        return;
    }
    if (inQuoting_ && c == '>') {
        return;
    }
    inQuoting_ = false;
    lineHeldData_ = true;
    if (skippingWord_) {
        return;
    }
    if (const std::uint8_t value = hexValue(c); value != noHexDigit) {
        hexDigit(value, out);
    } else if (c == ':') {
        colon(out);
    } else {
        damaged(isControl(c) ? Problem::notText : Problem::notHexDigit, c, out);
    }
}

void HexText::hexDigit(std::uint8_t value, RecordBuffer& out) {
    if (!inWord_) {
        inWord_ = true;
        wordDigits_ = 0;
        dataDigits_ = 0;
        wordStart_ = out.used;
    }
    ++wordDigits_;
    if (firstWord_ && wordDigits_ <= longestOffset) {
        heldDigits_[heldDigitCount_++] = value;
        return;
    }
    releaseHeldDigits(out);
    dataDigit(value, out);
}

void HexText::dataDigit(std::uint8_t value, RecordBuffer& out) {
    if (dataDigits_ % 2 == 0) {
        highDigit_ = value;
    } else {
        out.push(static_cast<std::uint8_t>(highDigit_ << 4 | value));
    }
    ++dataDigits_;
}

void HexText::releaseHeldDigits(RecordBuffer& out) {
    for (std::size_t i = 0; i < heldDigitCount_; ++i) {
        dataDigit(heldDigits_[i], out);
    }
    heldDigitCount_ = 0;
}

// "hexdigits:" as a line's first word is an offset; a word may follow it
// without a blank.
void HexText::colon(RecordBuffer& out) {
    if (!inWord_ || !firstWord_) {
        damaged(Problem::notHexDigit, ':', out);
    } else if (wordDigits_ > longestOffset) {
        damaged(Problem::offsetTooLong, ':', out);
    } else {
        heldDigitCount_ = 0;
        inWord_ = false;
        firstWord_ = false;
    }
}

void HexText::endWord(RecordBuffer& out) {
    if (inWord_) {
        releaseHeldDigits(out);
        if (dataDigits_ % 2 != 0) {
            damaged(Problem::oddDigitCount, 0, out);
        }
        inWord_ = false;
    }
    if (!inQuoting_) {
        firstWord_ = false;
    }
    skippingWord_ = false;
}

void HexText::endWordLine(RecordBuffer& out) {
    endWord(out);
    ++line_;
    inQuoting_ = true;
    inComment_ = false;
    firstWord_ = true;
    lineHeldData_ = false;
}

void HexText::damaged(Problem problem, std::uint8_t value, RecordBuffer& out) {
    InputFinding finding;
    finding.problem = problem;
    finding.byteValue = value;
    finding.line = line_;
    recordDamage(finding);
    if (stopped_) {
        return;
    }
    if (inWord_) {
        out.used = wordStart_;
        inWord_ = false;
    }
    heldDigitCount_ = 0;
    firstWord_ = false;
    skippingWord_ = !inComment_;
}

}  // namespace ambertap
