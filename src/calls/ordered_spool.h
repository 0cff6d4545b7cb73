// Pieces of output that must come out in another order than the one they are
// made in: `calls` writes each call in the order calls begin, though the model
// hands it out when it ends, and `check` each finding in record order, though
// a finding about an old record may be proven much later. One call left open
// from the start would hold back everything after it: so pieces wait in
// memory up to a bound, and past it go to a scratch file in sorted runs, from
// which they are merged back as the writer takes them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace ambertap {

class OrderedSpool {
  public:
    // What waits in memory before the lower half of it goes to the scratch
    // file, counting each piece's bytes and a share for its bookkeeping.
    static constexpr std::size_t defaultMemoryBound = 1024 * 1024;
    // Runs that may wait in the scratch file before they are merged into one:
    // each holds its first piece in memory.
    static constexpr std::size_t mostRuns = 32;

    explicit OrderedSpool(std::size_t memoryBound = defaultMemoryBound);
    OrderedSpool(const OrderedSpool&) = delete;
    OrderedSpool& operator=(const OrderedSpool&) = delete;
    ~OrderedSpool();

    // Keeps a piece until it is taken; pieces of equal keys come out in the
    // order they were added. Returns 0, or the error of a scratch file that
    // could not be made or written (then failure() says which).
    [[nodiscard]] int add(std::uint64_t key, std::string piece);

    bool empty() const { return memory_.empty() && heads_.empty(); }
    // The smallest key waiting; only when not empty.
    std::uint64_t firstKey() const;
    // Takes out the piece of the smallest key. Returns 0, or the error of a
    // failed read of the scratch file.
    [[nodiscard]] int takeFirst(std::string& piece);

    // What went wrong with the scratch file, for the message that tells it.
    const std::string& failure() const { return failure_; }
    // The runs that still hold pieces in the scratch file.
    std::size_t runsWaiting() const { return heads_.size(); }

  private:
    // Pieces in the scratch file, sorted by key, read from `readAt` on.
    struct Run {
        std::fpos_t readAt{};
        std::uint64_t unread = 0;  // pieces after the head, not yet read
        std::uint64_t lastKey = 0;
        std::string head;  // the first piece not yet taken
        std::uint64_t headKey = 0;
        bool waiting = false;  // its head waits to be taken
    };

    int spillLowerHalf();
    int mergeRuns();
    int openScratch();
    int write(std::uint64_t key, const std::string& piece);
    int readHead(std::size_t run);
    int fail(int error, const char* what);

    std::size_t memoryBound_;
    std::multimap<std::uint64_t, std::string> memory_;
    std::size_t memoryBytes_ = 0;
    std::FILE* scratch_ = nullptr;
    std::fpos_t end_{};          // where the next piece is written
    bool endIsLastRun_ = false;  // the last run ends at end_, so a sorted spill may join it
    std::vector<Run> runs_;
    std::set<std::pair<std::uint64_t, std::size_t>> heads_;  // key and run of each run's head
    std::string failure_;
};

}  // namespace ambertap
