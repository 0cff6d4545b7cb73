#include "trace_input.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "byte_reader.h"
#include "file_fields.h"
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

// A trace file holds one read, saved at the time its header gives, to the second.
void savedTimeOf(const TraceFileFacts& facts, RecordBlock& block) {
    constexpr std::int64_t mostSeconds = INT64_MAX / 1000;
    if (facts.savedAt >= -mostSeconds && facts.savedAt <= mostSeconds) {
        block.seenAt = facts.savedAt * 1000;
        block.precision = TimePrecision::seconds;
    }
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
    if (form_ == InputForm::capture) {
        return captureDamage_;
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

// A trace file's first bytes tell its major version, which decides the rest;
// what they do not tell (a changed signature, too few bytes) the reader of
// version 1 refuses as it always has.
InputStatus TraceInput::startTraceFile() {
    form_ = InputForm::traceFile;
    const TraceFileStart start = readTraceFileStart({input_.data(), inputEnd_});
    if (start.finding.problem != Problem::none || start.version.major < captureFileVersion.major) {
        return startVersion1File();
    }
    if (start.version.major == captureFileVersion.major) {
        return startCapture();
    }
    InputFinding finding;
    finding.problem = Problem::otherMajorVersion;
    finding.version = start.version;
    finding.limit = captureFileVersion.major;
    return fail(InputStatus::refused, finding);
}

// A file of version 1 is read whole, and one byte more than the largest file
// holds tells that it goes on too long.
InputStatus TraceInput::startVersion1File() {
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

// The header of a capture lies inside the form window, which is larger than
// the largest header; its blocks are read one at a time.
InputStatus TraceInput::startCapture() {
    form_ = InputForm::capture;
    const CaptureHeaderRead header = readCaptureHeader({input_.data(), inputEnd_});
    const bool damagedOnly = header.finding.problem == Problem::headerDamaged;
    if (header.finding.problem != Problem::none &&
        (policy_ == DamagePolicy::refuse || !damagedOnly)) {
        return fail(InputStatus::refused, header.finding);
    }
    if (damagedOnly) {
        noteDamage(header.finding);
    }
    captureFacts_ = header.facts;
    inputBegin_ = header.facts.headerSize;
    blockAt_ = header.facts.headerSize;
    stage_ = Stage::captureBlocks;
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
            savedTimeOf(facts_, block);
            return fileRecords_.empty() ? InputStatus::end : InputStatus::ready;
        case Stage::streaming:
            return nextOfStream(block);
        case Stage::captureBlocks:
            return nextOfCapture(block);
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
        if (!hexText_.finished()) {  // a dump's repeated lines fill the buffer
            return handOut(wholeRecordsEnd({buffer_.data, buffer_.used}), block);
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

// Hands out the records of capture blocks, reading blocks until one holds
// records or is a gap.
InputStatus TraceInput::nextOfCapture(RecordBlock& block) {
    while (captureRecords_.empty()) {
        if (captureEnded_) {
            stage_ = Stage::finished;
            return InputStatus::end;
        }
        if (const InputStatus status = readCaptureBlock(); status != InputStatus::ready) {
            return status;
        }
    }
    return handOutCaptureRecords(block);
}

// Reads the next block whole. Returns ready once it is read (its records, if
// any, in captureRecords_), gap for a gap block, or the failure.
InputStatus TraceInput::readCaptureBlock() {
    captureBlock_.clear();
    if (!takeBytes(captureBlock_, CaptureBlockLayout::body)) {
        return failToRead(errno);
    }
    if (captureBlock_.empty()) {
        captureEnded_ = true;
        return InputStatus::ready;
    }
    if (captureBlock_.size() < CaptureBlockLayout::body) {
        return cutCaptureBlock(0);
    }
    const BlockStart start = readBlockStart(captureBlock_, blockAt_);
    if (start.finding.problem != Problem::none) {
        return stopAtDamage(start.finding);
    }
    if (!takeBytes(captureBlock_, start.length - CaptureBlockLayout::body)) {
        return failToRead(errno);
    }
    if (captureBlock_.size() < start.length) {
        return cutCaptureBlock(start.length);
    }
    return takeCaptureBlock(start.length);
}

InputStatus TraceInput::takeCaptureBlock(std::uint32_t length) {
    const CaptureBlockRead read =
        ambertap::readCaptureBlock(captureBlock_, blockAt_, captureFacts_.version, policy_);
    if (!read.readable) {
        return stopAtDamage(read.finding);
    }
    blockAt_ += length;
    if (read.finding.problem != Problem::none) {
        noteDamage(read.finding);
    }
    if (!read.known) {
        return InputStatus::ready;
    }
    if (read.type == CaptureBlockType::gap) {
        gap_ = read.gap;
        return InputStatus::gap;
    }
    captureRecords_ = read.records;
    seenAt_ = read.seenAt;
    return InputStatus::ready;
}

// The input ends inside a block, whose length is 0 when not even that was
// there: every whole block is handed out, and asked to show damage, the
// record bytes that the cut block holds too.
InputStatus TraceInput::cutCaptureBlock(std::uint32_t length) {
    InputFinding finding;
    finding.problem = Problem::blockCut;
    finding.at = blockAt_;
    finding.count = captureBlock_.size();
    finding.limit = length;
    captureEnded_ = true;
    lastBlockCut_ = true;
    if (policy_ == DamagePolicy::refuse) {
        finding_ = finding;
        return InputStatus::ready;
    }
    noteDamage(finding);
    FileFields fields(captureBlock_);
    const bool records = length >= RecordsBlockLayout::frameSize &&
                         fields.u32(CaptureBlockLayout::type) ==
                             static_cast<std::uint32_t>(CaptureBlockType::records);
    const std::size_t recordsEnd =
        std::min<std::size_t>(captureBlock_.size(), length - CaptureBlockLayout::trailerSize);
    if (records && recordsEnd > RecordsBlockLayout::records) {
        captureRecords_ =
            std::span<const std::uint8_t>(captureBlock_)
                .subspan(RecordsBlockLayout::records, recordsEnd - RecordsBlockLayout::records);
        seenAt_ = fields.s64(RecordsBlockLayout::seenAt);
    }
    return InputStatus::ready;
}

// A block that cannot be read stops the capture there: the failure, or asked
// to show damage, the end after the blocks before it.
InputStatus TraceInput::stopAtDamage(const InputFinding& finding) {
    if (policy_ == DamagePolicy::refuse) {
        return fail(InputStatus::refused, finding);
    }
    noteDamage(finding);
    captureEnded_ = true;
    return InputStatus::ready;
}

void TraceInput::noteDamage(const InputFinding& finding) {
    if (!shownDespiteDamage_) {
        finding_ = finding;
        shownDespiteDamage_ = true;
    }
    ++captureDamage_;
}

// Appends up to `count` bytes of the input to `into`, those read ahead first;
// fewer at the input's end. The buffer grows with the bytes that come, not
// with what a block declares.
bool TraceInput::takeBytes(std::vector<std::uint8_t>& into, std::size_t count) {
    const std::size_t ahead = std::min(count, inputEnd_ - inputBegin_);
    const auto first = input_.begin() + static_cast<std::ptrdiff_t>(inputBegin_);
    into.insert(into.end(), first, first + static_cast<std::ptrdiff_t>(ahead));
    inputBegin_ += ahead;
    count -= ahead;
    while (count > 0 && !sourceEnded_) {
        const std::size_t at = into.size();
        const std::size_t step = std::min(count, inputRoom);
        into.resize(at + step);
        std::size_t got = 0;
        const bool read = readOnce(into.data() + at, step, got);
        into.resize(at + got);
        if (!read) {
            return false;
        }
        count -= got;
    }
    return true;
}

// A block's records go out in pieces of whole records that fit the room.
InputStatus TraceInput::handOutCaptureRecords(RecordBlock& block) {
    std::size_t size = captureRecords_.size();
    if (size > blockRoom_) {
        size = wholeRecordsEnd(captureRecords_.first(blockRoom_));
    }
    block = {captureRecords_.data(), size, offset_, seenAt_, TimePrecision::milliseconds};
    offset_ += size;
    captureRecords_ = captureRecords_.subspan(size);
    return InputStatus::ready;
}

}  // namespace ambertap
