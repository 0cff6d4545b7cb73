#include "trace_input.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "record_cursor.h"

namespace ambertap {

namespace {

constexpr std::uint8_t byteOrderMark[] = {0xef, 0xbb, 0xbf};
constexpr std::size_t inputRoom = 16 * 1024;

// Text holds no control characters but tab and the line ends, and no DEL.
// Bytes from 0x80 on pass, so that a comment may hold letters of UTF-8 or
// of a code page; a hex word holding one is damage. Bare records never pass:
// the first holds its direction, 1 or 2, and the zero high byte of its
// message's length.
bool looksLikeText(std::span<const std::uint8_t> bytes) {
    return std::none_of(bytes.begin(), bytes.end(), [](std::uint8_t c) {
        return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7f;
    });
}

bool startsWithByteOrderMark(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= sizeof byteOrderMark &&
           std::equal(std::begin(byteOrderMark), std::end(byteOrderMark), bytes.begin());
}

}  // namespace

std::ptrdiff_t FileByteSource::read(std::uint8_t* into, std::size_t room) {
    errno = 0;
    const std::size_t count = std::fread(into, 1, std::min<std::size_t>(room, PTRDIFF_MAX), file_);
    if (count == 0 && std::ferror(file_)) {
        return -1;
    }
    return static_cast<std::ptrdiff_t>(count);
}

TraceInput::TraceInput(ByteSource& source, DamagePolicy policy, std::size_t blockRoom)
    : source_(source),
      policy_(policy),
      blockRoom_(std::max(blockRoom, minimumBlockRoom)),
      input_(inputRoom),
      records_(std::max(blockRoom_, largestTraceFile + 1)),
      buffer_{records_.data(), blockRoom_, 0},
      hexText_(policy) {}

std::uint64_t TraceInput::damageCount() const {
    if (form_ == InputForm::hexText) {
        return hexText_.damageCount();
    }
    return shownDespiteDamage_ ? 1 : 0;
}

// One read of the source; a source that claims more than the room fails.
bool TraceInput::readOnce(std::uint8_t* into, std::size_t room, std::size_t& count) {
    const std::ptrdiff_t got = source_.read(into, room);
    if (got < 0 || static_cast<std::size_t>(got) > room) {
        return false;
    }
    count = static_cast<std::size_t>(got);
    sourceEnded_ = got == 0;
    return true;
}

// Reads until `filled` bytes of `into` are `room`, or the source ends.
bool TraceInput::readUpTo(std::uint8_t* into, std::size_t room, std::size_t& filled) {
    while (filled < room && !sourceEnded_) {
        std::size_t count = 0;
        if (!readOnce(into + filled, room - filled, count)) {
            return false;
        }
        filled += count;
    }
    return true;
}

InputStatus TraceInput::fail(InputStatus status, const InputFinding& finding) {
    stage_ = Stage::failed;
    failure_ = status;
    finding_ = finding;
    return status;
}

InputStatus TraceInput::failToRead(int error) {
    InputFinding finding;
    finding.problem = Problem::readError;
    finding.error = error != 0 ? error : EIO;
    return fail(InputStatus::readError, finding);
}

InputStatus TraceInput::start() {
    if (stage_ != Stage::notStarted) {
        return stage_ == Stage::failed ? failure_ : InputStatus::ready;
    }
    if (!readUpTo(input_.data(), formWindow, inputEnd_)) {
        return failToRead(errno);
    }
    const std::span<const std::uint8_t> first(input_.data(), inputEnd_);
    if (startsLikeTraceFile(first)) {
        return startTraceFile();
    }
    stage_ = Stage::streaming;
    if (!first.empty() && looksLikeText(first)) {
        form_ = InputForm::hexText;
        if (startsWithByteOrderMark(first)) {
            inputBegin_ = sizeof byteOrderMark;
        }
    }
    return InputStatus::ready;
}

// A trace file is read whole, and one byte more than the largest file holds
// tells that it goes on too long.
InputStatus TraceInput::startTraceFile() {
    form_ = InputForm::traceFile;
    std::size_t filled = inputEnd_;
    std::copy_n(input_.begin(), filled, records_.begin());
    if (!readUpTo(records_.data(), largestTraceFile + 1, filled)) {
        return failToRead(errno);
    }
    const TraceFileRead read = readTraceFile({records_.data(), filled}, policy_);
    if (read.finding.problem != Problem::none &&
        (policy_ == DamagePolicy::refuse || !read.headerRead)) {
        return fail(InputStatus::refused, read.finding);
    }
    facts_ = read.facts;
    fileRecords_ = read.records;
    if (read.finding.problem != Problem::none) {
        finding_ = read.finding;
        shownDespiteDamage_ = true;
    }
    stage_ = Stage::fileRecords;
    return InputStatus::ready;
}

InputStatus TraceInput::next(RecordBlock& block) {
    if (stage_ == Stage::notStarted) {
        if (const InputStatus status = start(); status != InputStatus::ready) {
            return status;
        }
    }
    switch (stage_) {
        case Stage::fileRecords:
            stage_ = Stage::finished;
            block = {fileRecords_.data(), fileRecords_.size(), 0};
            return fileRecords_.empty() ? InputStatus::end : InputStatus::ready;
        case Stage::streaming:
            return nextOfStream(block);
        case Stage::failed:
            return failure_;
        case Stage::notStarted:
        case Stage::finished:
            break;
    }
    return InputStatus::end;
}

InputStatus TraceInput::nextOfStream(RecordBlock& block) {
    dropHandedOut();
    if (!fillRecords()) {
        return failure_;
    }
    const bool inputRead = sourceEnded_ && inputBegin_ == inputEnd_;
    if (!inputRead || buffer_.free() < HexText::mostBytesOfOneCharacter) {
        return handOut(wholeRecordsEnd({buffer_.data, buffer_.used}), block);
    }
    if (form_ == InputForm::hexText) {
        hexText_.finish(buffer_);
        if (hexText_.stopped()) {
            return fail(InputStatus::damagedText, hexText_.damage());
        }
        if (hexText_.damageCount() > 0) {
            finding_ = hexText_.damage();
            shownDespiteDamage_ = true;
        }
    }
    stage_ = Stage::finished;
    return buffer_.used == 0 ? InputStatus::end : handOut(buffer_.used, block);
}

// The block handed out last leaves the buffer; the start of a record cut by
// its end moves to the front.
void TraceInput::dropHandedOut() {
    std::copy(records_.begin() + static_cast<std::ptrdiff_t>(handedOut_),
              records_.begin() + static_cast<std::ptrdiff_t>(buffer_.used), records_.begin());
    buffer_.used -= handedOut_;
    offset_ += handedOut_;
    hexText_.handedOut(handedOut_);
    handedOut_ = 0;
}

// Fills the buffer until it is full or the input is read; false on failure.
bool TraceInput::fillRecords() {
    while (buffer_.free() >= HexText::mostBytesOfOneCharacter) {
        if (inputBegin_ == inputEnd_) {
            if (sourceEnded_) {
                return true;
            }
            inputBegin_ = inputEnd_ = 0;
            if (!readOnce(input_.data(), input_.size(), inputEnd_)) {
                failToRead(errno);
                return false;
            }
            continue;
        }
        std::size_t used = 0;
        if (!readCharacters({input_.data() + inputBegin_, inputEnd_ - inputBegin_}, used)) {
            return false;
        }
        inputBegin_ += used;
    }
    return true;
}

// Turns input bytes into record bytes: hex text is read, bare records copied.
bool TraceInput::readCharacters(std::span<const std::uint8_t> bytes, std::size_t& used) {
    if (form_ == InputForm::hexText) {
        used = hexText_.read(bytes, buffer_);
        if (hexText_.stopped()) {
            fail(InputStatus::damagedText, hexText_.damage());
            return false;
        }
        return true;
    }
    used = std::min(bytes.size(), buffer_.free());
    std::copy_n(bytes.begin(), used, buffer_.data + buffer_.used);
    buffer_.used += used;
    return true;
}

InputStatus TraceInput::handOut(std::size_t size, RecordBlock& block) {
    block = {buffer_.data, size, offset_};
    handedOut_ = size;
    return InputStatus::ready;
}

}  // namespace ambertap
