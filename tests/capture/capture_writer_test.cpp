// The capture file as it grows: when it goes to the disk, and that what the
// writer appends the input reader gives back, records with their times and
// gaps, block by block.
#include "capture_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "case_names.h"
#include "trace_input.h"

namespace ambertap {
namespace {

struct RhythmCase {
    std::string name;
    std::int64_t interval;
    std::vector<bool> writes;  // whether each read writes a block
    std::vector<int> syncs;    // the reads after which the file goes to the disk
};

class SyncRhythmTest : public ::testing::TestWithParam<RhythmCase> {};

TEST_P(SyncRhythmTest, NoBlockWaitsLongerThanASecond) {
    const RhythmCase& c = GetParam();
    SyncRhythm rhythm;
    std::vector<int> syncs;
    for (std::size_t read = 0; read < c.writes.size(); ++read) {
        const std::int64_t now = static_cast<std::int64_t>(read) * c.interval;
        if (c.writes[read]) {
            rhythm.written(now);
        }
        if (rhythm.due(now + c.interval)) {
            rhythm.synced();
            syncs.push_back(static_cast<int>(read));
        }
    }
    EXPECT_EQ(syncs, c.syncs);
}

std::vector<bool> reads(std::size_t count, bool writing = true) {
    return std::vector<bool>(count, writing);
}

std::vector<bool> oneWriteThenIdle(std::size_t count) {
    std::vector<bool> writes(count, false);
    writes[0] = true;
    return writes;
}

INSTANTIATE_TEST_SUITE_P(
    Rhythms, SyncRhythmTest,
    ::testing::Values(RhythmCase{"once_a_second_while_blocks_come", 100, reads(25), {9, 19}},
                      RhythmCase{"a_block_then_idle", 100, oneWriteThenIdle(25), {9}},
                      RhythmCase{"quarter_second_reads", 250, reads(12), {3, 7, 11}},
                      RhythmCase{"reads_further_apart_than_a_second", 2000, reads(3), {0, 1, 2}},
                      RhythmCase{"idle", 100, reads(30, false), {}}),
    testing::NamedByRow());

class StillClock final : public SessionClock {
  public:
    std::int64_t utcMilliseconds() override { return 0; }
    std::int64_t steadyMilliseconds() override { return 0; }
    void waitUntil(std::int64_t) override {}
    bool stopAsked() override { return false; }
};

TEST(CaptureWriter, WritesWhatTheReaderGivesBack) {
    const std::filesystem::path path =
        std::filesystem::path(::testing::TempDir()) / "capture_writer_test.atr";
    std::filesystem::remove(path);
    GrowingFile file;
    ASSERT_TRUE(file.create(path.string().c_str(), false).succeeded());
    StillClock clock;
    CaptureWriter writer(file, clock);
    CaptureFacts facts;
    facts.startedAt = 1765375387215;
    facts.interval = 100;
    const std::vector<std::uint8_t> first{0x01, 0x01, 0x0a, 0x02, 0x00};
    const std::vector<std::uint8_t> second{0x01, 0x02, 0x0b, 0x0c};
    const CaptureGap gap{2, 1765375387300, 1765375387304, 2, 3};
    ASSERT_TRUE(writer.begin(facts));
    ASSERT_TRUE(writer.records(first, 1765375387215, 1));
    ASSERT_TRUE(writer.gap(gap));
    ASSERT_TRUE(writer.records(second, 1765375387400, 3));
    ASSERT_TRUE(writer.finish());

    SystemError error;
    std::FILE* stream = openForReading(path.string().c_str(), error);
    ASSERT_NE(stream, nullptr);
    FileByteSource source(stream);
    TraceInput input(source, DamagePolicy::refuse);
    std::vector<std::string> events;
    RecordBlock block;
    InputStatus status;
    while ((status = input.next(block)) == InputStatus::ready || status == InputStatus::gap) {
        if (status == InputStatus::gap) {
            events.push_back("gap " + std::to_string(input.gap().kind) + " " +
                             std::to_string(input.gap().to - input.gap().from));
        } else {
            events.push_back(std::to_string(block.size) + " bytes at " +
                             std::to_string(block.offset) + " seen " +
                             std::to_string(block.seenAt));
        }
    }
    std::fclose(stream);
    std::filesystem::remove(path);
    EXPECT_EQ(status, InputStatus::end);
    EXPECT_EQ(input.form(), InputForm::capture);
    EXPECT_EQ(input.captureFacts().startedAt, facts.startedAt);
    EXPECT_EQ(input.captureFacts().interval, 100u);
    EXPECT_EQ(events, (std::vector<std::string>{"5 bytes at 0 seen 1765375387215", "gap 2 4",
                                                "4 bytes at 5 seen 1765375387400"}));
}

}  // namespace
}  // namespace ambertap
