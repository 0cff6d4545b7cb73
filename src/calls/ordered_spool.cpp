#include "ordered_spool.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>

#include "file_system.h"

namespace ambertap {

namespace {

// A piece in the scratch file: its key (8 bytes) and its length (4 bytes),
// least significant byte first, then its bytes.
constexpr std::size_t pieceHeadSize = 12;
// What a piece waiting in memory costs besides its bytes: its node and key.
constexpr std::size_t pieceBookkeeping = 64;

void putNumber(unsigned char* at, std::uint64_t value, std::size_t width) {
    for (std::size_t place = 0; place < width; ++place) {
        at[place] = static_cast<unsigned char>(value >> (8 * place));
    }
}

std::uint64_t numberAt(const unsigned char* at, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t place = width; place-- > 0;) {
        value = value << 8 | at[place];
    }
    return value;
}

int errorOr(int error, int fallback) {
    return error != 0 ? error : fallback;
}

}  // namespace

OrderedSpool::OrderedSpool(std::size_t memoryBound) : memoryBound_(memoryBound) {}

OrderedSpool::~OrderedSpool() {
    if (scratch_ != nullptr) {
        std::fclose(scratch_);
    }
}

int OrderedSpool::add(std::uint64_t key, std::string piece) {
    if (!failure_.empty()) {
        return EIO;
    }
    memoryBytes_ += piece.size() + pieceBookkeeping;
    memory_.emplace(key, std::move(piece));
    return memoryBytes_ > memoryBound_ ? spillLowerHalf() : 0;
}

std::uint64_t OrderedSpool::firstKey() const {
    if (heads_.empty()) {
        return memory_.begin()->first;
    }
    if (memory_.empty()) {
        return heads_.begin()->first;
    }
    return std::min(memory_.begin()->first, heads_.begin()->first);
}

int OrderedSpool::takeFirst(std::string& piece) {
    // Of equal keys, a run's piece came first: what is spilled is always the
    // earliest of its key in memory.
    if (!heads_.empty() && (memory_.empty() || heads_.begin()->first <= memory_.begin()->first)) {
        const std::size_t run = heads_.begin()->second;
        heads_.erase(heads_.begin());
        runs_[run].waiting = false;
        piece = std::move(runs_[run].head);
        if (runs_[run].unread > 0) {
            return readHead(run);
        }
        if (heads_.empty()) {
            // Nothing waits in the file: it goes, and its room on the disk.
            std::fclose(scratch_);
            scratch_ = nullptr;
            runs_.clear();
            endIsLastRun_ = false;
        }
        return 0;
    }
    const auto first = memory_.begin();
    memoryBytes_ -= first->second.size() + pieceBookkeeping;
    piece = std::move(first->second);
    memory_.erase(first);
    return 0;
}

// The pieces of the smallest keys, about half of what waits in memory, go to
// the file: the later ones, more likely to be taken late, stay. A spill that
// begins at or after the last run's end joins it, so pieces that come nearly
// in order make one run.
int OrderedSpool::spillLowerHalf() {
    if (const int error = openScratch(); error != 0) {
        return error;
    }
    auto last = memory_.begin();
    std::size_t spilled = 0;
    do {
        spilled += last->second.size() + pieceBookkeeping;
        ++last;
    } while (last != memory_.end() && spilled < memoryBytes_ / 2);
    const bool joins =
        endIsLastRun_ && !runs_.empty() && memory_.begin()->first >= runs_.back().lastKey;
    if (!joins) {
        runs_.push_back(Run{end_, 0, 0, {}, 0, false});
        endIsLastRun_ = true;
    }
    const std::size_t run = runs_.size() - 1;
    const bool waiting = runs_[run].waiting;
    std::uint64_t count = 0;
    for (auto piece = memory_.begin(); piece != last; ++piece, ++count) {
        if (const int error = write(piece->first, piece->second); error != 0) {
            return error;
        }
        runs_[run].lastKey = piece->first;
    }
    memory_.erase(memory_.begin(), last);
    memoryBytes_ -= spilled;
    runs_[run].unread += count;
    if (!waiting) {
        if (const int error = readHead(run); error != 0) {
            return error;
        }
    }
    return heads_.size() > mostRuns ? mergeRuns() : 0;
}

// Every run into one, in the order they are taken, at the end of the file.
int OrderedSpool::mergeRuns() {
    Run merged{end_, 0, 0, {}, 0, false};
    while (!heads_.empty()) {
        const auto [key, run] = *heads_.begin();
        heads_.erase(heads_.begin());
        runs_[run].waiting = false;
        if (const int error = write(key, runs_[run].head); error != 0) {
            return error;
        }
        ++merged.unread;
        merged.lastKey = key;
        if (runs_[run].unread > 0) {
            if (const int error = readHead(run); error != 0) {
                return error;
            }
        }
    }
    runs_.assign(1, merged);
    endIsLastRun_ = true;
    return readHead(0);
}

int OrderedSpool::openScratch() {
    if (scratch_ != nullptr) {
        return 0;
    }
    SystemError error;
    scratch_ = openScratchFile(error);
    if (scratch_ == nullptr) {
        failure_ = "cannot make a temporary file: " + describe(error);
        return EIO;
    }
    if (std::fgetpos(scratch_, &end_) != 0) {
        return fail(errno, "cannot write a temporary file");
    }
    return 0;
}

int OrderedSpool::write(std::uint64_t key, const std::string& piece) {
    unsigned char head[pieceHeadSize];
    putNumber(head, key, 8);
    putNumber(head + 8, piece.size(), 4);
    if (std::fsetpos(scratch_, &end_) != 0 ||
        std::fwrite(head, 1, sizeof head, scratch_) != sizeof head ||
        std::fwrite(piece.data(), 1, piece.size(), scratch_) != piece.size() ||
        std::fgetpos(scratch_, &end_) != 0) {
        return fail(errno, "cannot write a temporary file");
    }
    return 0;
}

int OrderedSpool::readHead(std::size_t run) {
    Run& from = runs_[run];
    unsigned char head[pieceHeadSize];
    if (std::fsetpos(scratch_, &from.readAt) != 0 ||
        std::fread(head, 1, sizeof head, scratch_) != sizeof head) {
        return fail(errno, "cannot read a temporary file");
    }
    from.headKey = numberAt(head, 8);
    from.head.resize(static_cast<std::size_t>(numberAt(head + 8, 4)));
    if (std::fread(from.head.data(), 1, from.head.size(), scratch_) != from.head.size() ||
        std::fgetpos(scratch_, &from.readAt) != 0) {
        return fail(errno, "cannot read a temporary file");
    }
    --from.unread;
    from.waiting = true;
    heads_.emplace(from.headKey, run);
    return 0;
}

int OrderedSpool::fail(int error, const char* what) {
    const int number = errorOr(error, EIO);
    failure_ = std::string(what) + ": " + std::strerror(number);
    return number;
}

}  // namespace ambertap
