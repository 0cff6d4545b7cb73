// The follower from read to read: each record kept once, a record cut by the
// read's end kept once it is whole, and a break wherever the trace no longer
// begins with what was kept, with the kept records found again where a
// driver dropped its oldest.
#include "trace_follower.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_names.h"
#include "named_records.h"

namespace ambertap {
namespace {

using testing::namesOf;
using testing::records;

struct Step {
    std::string read;  // the trace, as names of records; "-": a cut record
    std::string kept;  // the new records the follower gives
    bool broken = false;
    bool clearedBefore = false;  // the capture cleared the trace before this read
};

struct FollowerCase {
    std::string name;
    std::vector<Step> steps;
};

class TraceFollowerTest : public ::testing::TestWithParam<FollowerCase> {};

TEST_P(TraceFollowerTest, KeepsEachRecordOnce) {
    TraceFollower follower;
    int index = 0;
    for (const Step& step : GetParam().steps) {
        if (step.clearedBefore) {
            follower.cleared();
        }
        const std::vector<std::uint8_t> read = records(step.read);
        const FollowStep taken = follower.take(read);
        EXPECT_EQ(namesOf(taken.records), step.kept) << "read " << index;
        EXPECT_EQ(taken.broken, step.broken) << "read " << index;
        ++index;
    }
}

const std::string longTrace(200, 'z');

INSTANTIATE_TEST_SUITE_P(
    Reads, TraceFollowerTest,
    ::testing::Values(FollowerCase{"grows", {{"a", "a"}, {"ab", "b"}, {"abcd", "cd"}}},
                      FollowerCase{"unchanged", {{"ab", "ab"}, {"ab", ""}, {"ab", ""}}},
                      FollowerCase{"empty_at_first", {{"", ""}, {"a", "a"}}},
                      FollowerCase{"cut_record_waits", {{"a-", "a"}, {"ab-", "b"}, {"abc", "c"}}},
                      FollowerCase{"cleared", {{"abc", "abc"}, {"", "", true}, {"d", "d"}}},
                      FollowerCase{"cleared_and_refilled", {{"abc", "abc"}, {"de", "de", true}}},
                      FollowerCase{"started_again_with_the_first_records",
                                   {{"abc", "abc"}, {"ab", "ab", true}, {"abd", "d"}}},
                      FollowerCase{"dropped_its_oldest", {{"abcd", "abcd"}, {"cdef", "ef", true}}},
                      FollowerCase{"dropped_all_it_had",
                                   {{"abcd", "abcd"}, {"efgh", "efgh", true}}},
                      // A trace much shorter than the kept records was emptied: a record
                      // like the last kept one is new.
                      FollowerCase{"cleared_then_a_record_like_the_last",
                                   {{longTrace, longTrace}, {"z", "z", true}}},
                      // After its own clear the capture begins anew, with no break.
                      FollowerCase{"cleared_by_the_capture",
                                   {{"abc", "abc"}, {"ab", "ab", false, true}, {"abd", "d"}}}),
    testing::NamedByRow());

}  // namespace
}  // namespace ambertap
