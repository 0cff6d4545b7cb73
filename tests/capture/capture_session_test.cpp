// A capture's loop against a scripted driver and clock: what it hands on at
// each read, the gaps it marks, when it clears, what it tells, and how each
// kind of stop ends it.
#include "capture_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_names.h"
#include "fake_device_system.h"
#include "named_records.h"

namespace ambertap {
namespace {

using testing::FakeDeviceSystem;

using testing::namesOf;
using testing::records;

// The driver before each read: its trace, and how it answers.
struct DriverState {
    std::string trace;
    RequestState answer = RequestState::done;
};

// Time passes only while the capture waits; the driver takes its next state
// then. UTC is the steady clock's milliseconds.
class ScriptedClock final : public SessionClock {
  public:
    ScriptedClock(FakeDeviceSystem& driver, const std::vector<DriverState>& script,
                  int stopAfterWaits)
        : driver_(driver), script_(script), stopAfterWaits_(stopAfterWaits) {
        apply();
    }

    std::int64_t utcMilliseconds() override { return now_; }
    std::int64_t steadyMilliseconds() override { return now_; }
    void waitUntil(std::int64_t until) override {
        now_ = until;
        ++waits_;
        apply();
    }
    bool stopAsked() override { return waits_ >= stopAfterWaits_; }

  private:
    void apply() {
        if (static_cast<std::size_t>(waits_) < script_.size()) {
            driver_.trace = records(script_[static_cast<std::size_t>(waits_)].trace);
            driver_.requestState = script_[static_cast<std::size_t>(waits_)].answer;
        }
    }

    FakeDeviceSystem& driver_;
    const std::vector<DriverState>& script_;
    int stopAfterWaits_;
    std::int64_t now_ = 0;
    int waits_ = 0;
};

class RecordingSink final : public CaptureSink {
  public:
    explicit RecordingSink(int failsAt) : failsAt_(failsAt) {}

    bool records(std::span<const std::uint8_t> records, std::int64_t seenAt,
                 std::uint32_t read) override {
        return take("R" + std::to_string(read) + "@" + std::to_string(seenAt) + " " +
                    namesOf(records));
    }
    bool gap(const CaptureGap& gap) override {
        return take(std::string("G ") + (gap.kind == 1 ? "certain " : "possible ") +
                    std::to_string(gap.from) + "-" + std::to_string(gap.to) + " reads " +
                    std::to_string(gap.readBefore) + "-" + std::to_string(gap.readAfter));
    }
    bool between(std::int64_t, std::int64_t) override { return true; }

    std::vector<std::string> events;

  private:
    bool take(const std::string& event) {
        if (static_cast<int>(events.size()) == failsAt_) {
            return false;
        }
        events.push_back(event);
        return true;
    }

    int failsAt_;
};

class TellingObserver final : public CaptureObserver {
  public:
    void readFailed(const DeviceFailure&, std::size_t size) override {
        told.push_back("read failed " + std::to_string(size));
    }
    void readsWorkAgain(std::uint32_t failed) override {
        told.push_back("work again after " + std::to_string(failed));
    }
    void clearFailed(const DeviceFailure&) override { told.emplace_back("clear failed"); }
    void pastBound() override { told.emplace_back("past bound"); }
    void dropping() override { told.emplace_back("dropping"); }
    void progress(const CaptureCounts&) override {}

    std::vector<std::string> told;
};

struct SessionCase {
    std::string name;
    CaptureSettings settings;
    std::vector<DriverState> script;
    std::vector<std::string> events;
    CaptureEnd end;
    std::uint32_t reads;
    std::vector<std::string> told = {};
    int stopAfterWaits = 1000;
    int sinkFailsAt = -1;
    bool noDriver = false;
};

class CaptureSessionTest : public ::testing::TestWithParam<SessionCase> {};

TEST_P(CaptureSessionTest, HandsOnEachRecordOnceWithItsGaps) {
    const SessionCase& c = GetParam();
    FakeDeviceSystem driver;
    if (c.noDriver) {
        driver.openError = 2;
    }
    ScriptedClock clock(driver, c.script, c.stopAfterWaits);
    RecordingSink sink(c.sinkFailsAt);
    TellingObserver observer;
    CaptureSession session(driver, "\\\\.\\OV7100D", c.settings, clock, sink, observer);
    EXPECT_EQ(session.run(), c.end);
    EXPECT_EQ(sink.events, c.events);
    EXPECT_EQ(observer.told, c.told);
    EXPECT_EQ(session.counts().reads, c.reads);
}

CaptureSettings every100(std::int64_t duration = 0, std::uint64_t records = 0,
                         std::size_t clearAt = 0) {
    CaptureSettings settings;
    settings.interval = 100;
    settings.duration = duration;
    settings.records = records;
    settings.clearAt = clearAt;
    return settings;
}

constexpr auto failedRead = RequestState::failed;
constexpr auto moreData = RequestState::moreData;

INSTANTIATE_TEST_SUITE_P(
    Scripts, CaptureSessionTest,
    ::testing::Values(SessionCase{"duration_reads_once_more_at_its_end",
                                  every100(300),
                                  {{"a"}, {"ab"}, {"abc"}, {"abcd"}},
                                  {"R1@0 a", "R2@100 b", "R3@200 c", "R4@300 d"},
                                  CaptureEnd::durationOver,
                                  4},
                      SessionCase{"records_stop_at_their_count",
                                  every100(0, 3),
                                  {{"ab"}, {"abcd"}},
                                  {"R1@0 ab", "R2@100 c"},
                                  CaptureEnd::recordsKept,
                                  2},
                      SessionCase{"stop_reads_once_more",
                                  every100(),
                                  {{"a"}, {"ab"}, {"abc"}},
                                  {"R1@0 a", "R2@100 b", "R3@200 c"},
                                  CaptureEnd::stopAsked,
                                  3,
                                  {},
                                  2},
                      SessionCase{"cleared_by_another_is_a_certain_gap",
                                  every100(),
                                  {{"ab"}, {""}, {"c"}},
                                  {"R1@0 ab", "G certain 0-100 reads 1-2", "R3@200 c"},
                                  CaptureEnd::stopAsked,
                                  3,
                                  {},
                                  2},
                      // Past the threshold the capture clears at once after the read, and
                      // marks the window as a possible gap; never on its last read.
                      SessionCase{"clear_marks_a_possible_gap",
                                  every100(0, 0, 6),
                                  {{"a"}, {"ab"}, {"c"}, {"cd"}},
                                  {"R1@0 a", "R2@100 b", "G possible 100-100 reads 2-3", "R3@200 c",
                                   "R4@300 d"},
                                  CaptureEnd::stopAsked,
                                  4,
                                  {},
                                  3},
                      SessionCase{"no_clear_past_the_count",
                                  every100(0, 1, 3),
                                  {{"ab"}, {""}},
                                  {"R1@0 a"},
                                  CaptureEnd::recordsKept,
                                  1},
                      SessionCase{"failed_reads_are_told_and_read_past",
                                  every100(),
                                  {{"a"}, {"a", failedRead}, {"a", failedRead}, {"ab"}},
                                  {"R1@0 a", "R4@300 b"},
                                  CaptureEnd::stopAsked,
                                  4,
                                  {"read failed 10000", "work again after 2"},
                                  3},
                      SessionCase{"read_failed_across_a_restart_is_a_gap",
                                  every100(),
                                  {{"ab"}, {"ab", failedRead}, {"c"}},
                                  {"R1@0 ab", "G certain 0-200 reads 1-3", "R3@200 c"},
                                  CaptureEnd::stopAsked,
                                  3,
                                  {"read failed 10000", "work again after 1"},
                                  2},
                      SessionCase{"first_read_failed",
                                  every100(),
                                  {{"a"}},
                                  {},
                                  CaptureEnd::firstReadFailed,
                                  1,
                                  {"read failed 10000"},
                                  1000,
                                  -1,
                                  true},
                      SessionCase{"sink_failure_ends_the_capture",
                                  every100(),
                                  {{"a"}, {"ab"}},
                                  {"R1@0 a"},
                                  CaptureEnd::sinkFailed,
                                  2,
                                  {},
                                  1000,
                                  1},
                      SessionCase{"dropping_is_told_once",
                                  every100(),
                                  {{"a", moreData}, {"ab", moreData}, {"ab", moreData}},
                                  {"R1@0 a", "R2@100 b"},
                                  CaptureEnd::stopAsked,
                                  3,
                                  {"dropping"},
                                  2}),
    testing::NamedByRow());

}  // namespace
}  // namespace ambertap
