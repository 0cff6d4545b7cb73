#include "trace_follower.h"

#include <algorithm>
#include <cstring>

#include "growing_read.h"
#include "record_cursor.h"

namespace ambertap {

namespace {

bool startsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> start) {
    return bytes.size() >= start.size() &&
           (start.empty() || std::memcmp(bytes.data(), start.data(), start.size()) == 0);
}

}  // namespace

// A driver that drops its oldest records does so to make room, so its trace
// stays about as long as it was: a trace much shorter than the kept records
// was emptied, and records in it that match the kept ones are new all the
// same. The longest run of kept records, from one of their starts to their
// end, that the read begins with is where the kept records continue.
std::size_t TraceFollower::continuation(std::span<const std::uint8_t> read) const {
    if (read.size() + 2 * roomForAnyRecord < kept_.size()) {
        return 0;
    }
    RecordCursor records(kept_);
    for (records.next(); !records.atEnd(); records.next()) {
        const std::span<const std::uint8_t> rest = std::span(kept_).subspan(records.offset());
        if (startsWith(read, rest)) {
            return rest.size();
        }
    }
    return 0;
}

FollowStep TraceFollower::take(std::span<const std::uint8_t> read) {
    const std::span<const std::uint8_t> whole = read.first(wholeRecordsEnd(read));
    FollowStep step;
    std::size_t known = kept_.size();
    if (!startsWith(whole, kept_)) {
        step.broken = true;
        known = continuation(whole);
    }
    step.records = whole.subspan(known);
    if (step.broken || !step.records.empty()) {
        kept_.assign(whole.begin(), whole.end());
    }
    return step;
}

}  // namespace ambertap
