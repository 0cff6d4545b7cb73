// The growing read against a scripted driver: which requests one read makes,
// and what it takes for the whole trace, from drivers that cut their copy
// without a word, say that they had more, or refuse a large request.
#include "growing_read.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture_file.h"
#include "case_names.h"
#include "fake_device_system.h"
#include "trace_file.h"

namespace ambertap {
namespace {

using testing::FakeDeviceSystem;

enum class Driver { cutsSilently, saysWhenCut, alwaysSaysMore, refusesAbove20000 };

struct ReadStep {
    std::size_t traceSize;
    std::vector<std::size_t> requests;  // the sizes asked, in order
    WholeRead::Status status;
    std::size_t taken;  // bytes the read gives
    bool moreThanReturned = false;
    std::optional<std::size_t> claimed = {};  // the byte count the driver claims
};

struct GrowingReadCase {
    std::string name;
    Driver driver;
    std::vector<ReadStep> reads;
};

constexpr auto whole = WholeRead::Status::whole;
constexpr auto pastBound = WholeRead::Status::pastBound;
constexpr auto failed = WholeRead::Status::failed;
constexpr std::size_t mib = largestTraceRead;

const std::vector<std::size_t> upTo40000{10000, 20000, 40000};

class GrowingReadTest : public ::testing::TestWithParam<GrowingReadCase> {};

TEST_P(GrowingReadTest, AsksUntilTheTraceFits) {
    const GrowingReadCase& c = GetParam();
    FakeDeviceSystem driver;
    driver.moreDataWhenCut = c.driver == Driver::saysWhenCut;
    if (c.driver == Driver::alwaysSaysMore) {
        driver.requestState = RequestState::moreData;
    }
    if (c.driver == Driver::refusesAbove20000) {
        driver.failsAbove = 20000;
        driver.requestError = 1450;
    }
    GrowingRead reader(driverTraceBufferSize, largestTraceRead);
    for (std::size_t index = 0; index < c.reads.size(); ++index) {
        const ReadStep& step = c.reads[index];
        driver.trace.assign(step.traceSize, 0x5a);
        driver.reportedBytes = step.claimed;
        driver.calls.clear();
        const WholeRead read = reader.read(driver, "\\\\.\\OV7100D");
        std::vector<std::size_t> requests;
        for (const std::string& call : driver.calls) {
            if (call.starts_with("control 100 ")) {
                requests.push_back(std::stoul(call.substr(12)));
            }
        }
        EXPECT_EQ(requests, step.requests) << "read " << index;
        EXPECT_EQ(read.status, step.status) << "read " << index;
        EXPECT_EQ(read.bytes.size(), step.taken) << "read " << index;
        EXPECT_EQ(read.moreThanReturned, step.moreThanReturned) << "read " << index;
        if (step.status == failed) {
            EXPECT_EQ(read.failure.error, 1450);
            EXPECT_EQ(read.requestSize, step.requests.back());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, GrowingReadTest,
    ::testing::Values(
        GrowingReadCase{
            "short_trace_one_request", Driver::cutsSilently, {{97, {10000}, whole, 97}}},
        GrowingReadCase{"exactly_full_is_asked_again",
                        Driver::cutsSilently,
                        {{10000, {10000, 20000}, whole, 10000}}},
        GrowingReadCase{"cut_silently", Driver::cutsSilently, {{30000, upTo40000, whole, 30000}}},
        GrowingReadCase{"cut_and_said", Driver::saysWhenCut, {{30000, upTo40000, whole, 30000}}},
        // More data into a buffer with room for any record: the driver
        // drops messages, and no larger buffer helps.
        GrowingReadCase{"more_with_room_to_spare",
                        Driver::alwaysSaysMore,
                        {{97, {10000}, whole, 97, true}, {30000, upTo40000, whole, 30000, true}}},
        // A driver that cuts at the last record that fits leaves less than
        // one record's room.
        GrowingReadCase{"cut_at_a_record_and_said",
                        Driver::alwaysSaysMore,
                        {{10100, {10000, 20000}, whole, 9950, true, 9950}}},
        GrowingReadCase{
            "past_the_bound",
            Driver::cutsSilently,
            {{2 * mib, {10000, 20000, 40000, 80000, 160000, 320000, 640000, mib}, pastBound, mib}}},
        GrowingReadCase{
            "large_request_refused", Driver::refusesAbove20000, {{30000, upTo40000, failed, 0}}},
        // A later read starts at the size the last one needed, and comes
        // down again once the trace is short.
        GrowingReadCase{"later_reads_start_where_the_last_fitted",
                        Driver::cutsSilently,
                        {{30000, upTo40000, whole, 30000},
                         {39000, {40000}, whole, 39000},
                         {40000, {40000, 80000}, whole, 40000},
                         {0, {80000}, whole, 0},
                         {5, {10000}, whole, 5}}}),
    testing::NamedByRow());

}  // namespace
}  // namespace ambertap
