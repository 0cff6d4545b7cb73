#include "hex_text.h"

namespace ambertap {

namespace {

constexpr std::uint8_t noDigit = 0xff;

std::uint8_t hexValue(std::uint8_t c) {
    if (c >= '0' && c <= '9') {
        return static_cast<std::uint8_t>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<std::uint8_t>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<std::uint8_t>(c - 'A' + 10);
    }
    return noDigit;
}

// Control characters other than the tab (lines end before this is asked), and DEL.
bool isControl(std::uint8_t c) {
    return (c < 0x20 && c != '\t') || c == 0x7f;
}

}  // namespace

std::size_t HexText::read(std::span<const std::uint8_t> text, RecordBuffer& out) {
    std::size_t count = 0;
    while (count < text.size() && !stopped_ && out.free() >= mostBytesOfOneCharacter) {
        character(text[count], out);
        ++count;
    }
    return count;
}

void HexText::finish(RecordBuffer& out) {
    if (!stopped_) {
        endWord(out);
    }
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
        return;
    }
    insideLine(c, out);
}

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
    if (skippingWord_) {
        return;
    }
    if (const std::uint8_t value = hexValue(c); value != noDigit) {
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
        heldDigits_[heldCount_++] = value;
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
    for (std::size_t i = 0; i < heldCount_; ++i) {
        dataDigit(heldDigits_[i], out);
    }
    heldCount_ = 0;
}

// "hexdigits:" as a line's first word is an offset; a word may follow it
// without a blank.
void HexText::colon(RecordBuffer& out) {
    if (!inWord_ || !firstWord_) {
        damaged(Problem::notHexDigit, ':', out);
    } else if (wordDigits_ > longestOffset) {
        damaged(Problem::offsetTooLong, ':', out);
    } else {
        heldCount_ = 0;
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

void HexText::endLine(RecordBuffer& out) {
    endWord(out);
    ++line_;
    inQuoting_ = true;
    inComment_ = false;
    firstWord_ = true;
}

void HexText::damaged(Problem problem, std::uint8_t value, RecordBuffer& out) {
    if (damageCount_++ == 0) {
        damage_.problem = problem;
        damage_.byteValue = value;
        damage_.line = line_;
    }
    if (policy_ == DamagePolicy::refuse) {
        stopped_ = true;
        return;
    }
    if (inWord_) {
        out.used = wordStart_;
        inWord_ = false;
    }
    heldCount_ = 0;
    firstWord_ = false;
    skippingWord_ = !inComment_;
}

}  // namespace ambertap
