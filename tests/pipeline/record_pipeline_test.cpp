#include "record_pipeline.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <string>
#include <vector>

#include "case_names.h"
#include "memory_source.h"

namespace ambertap {
namespace {

using testing::bytesOf;

// What a sink was handed, noted as it came.
class CountingSink final : public RecordSink {
  public:
    explicit CountingSink(RecordNeeds needs = {}, std::uint64_t failAt = 0)
        : needs_(needs), failAt_(failAt) {}

    RecordNeeds needs() const override { return needs_; }
    int beginTrace(const TraceSource&) override {
        ++traces;
        return 0;
    }
    int record(const TracedRecord& record) override {
        if (record.index == failAt_) {
            return ENOSPC;
        }
        records.push_back(record);
        gapsBefore.push_back(gaps.size());
        lines += record.line.empty() ? 0u : 1u;
        messages += record.message != nullptr ? 1u : 0u;
        return 0;
    }
    int gap(const CaptureGap& gap) override {
        gaps.push_back(gap);
        return 0;
    }
    int flush() override {
        ++flushes;
        return 0;
    }
    int endTrace() override {
        ++ends;
        return 0;
    }

    std::vector<TracedRecord> records;    // their views of bytes last as long as the block
    std::vector<std::size_t> gapsBefore;  // of each record, the gaps handed before it
    std::vector<CaptureGap> gaps;
    std::size_t lines = 0;
    std::size_t messages = 0;
    std::size_t traces = 0;
    std::size_t flushes = 0;
    std::size_t ends = 0;

  private:
    RecordNeeds needs_;
    std::uint64_t failAt_;
};

// Put DATA_B3_REQ, a record of another direction, Get CONNECT_CONF: 24, 16
// and 16 bytes.
const std::string threeRecords = bytesOf(
    "01 16 16 00 01 00 86 80 05 00 01 01 01 00 00 00 00 00 00 00 01 00 00 00 "
    "07 0e 0e 00 01 00 02 81 05 00 01 01 00 00 00 00 "
    "02 0e 0e 00 01 00 02 81 05 00 01 01 00 00 00 00");

std::string repeated(const std::string& bytes, std::size_t times) {
    std::string made;
    for (std::size_t i = 0; i < times; ++i) {
        made += bytes;
    }
    return made;
}

std::string hexTextOf(const std::string& bytes) {
    std::string text = "# a listing\n";
    for (const char byte : bytes) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x ", static_cast<unsigned char>(byte));
        text += pair;
    }
    return text + "\n";
}

std::string traceFileOf(const std::string& bytes) {
    std::vector<std::uint8_t> image(traceFileSize(bytes.size()));
    const auto* records = reinterpret_cast<const std::uint8_t*>(bytes.data());
    EXPECT_EQ(writeTraceFile({records, bytes.size()}, SaveFacts{}, image), image.size());
    return {image.begin(), image.end()};
}

template <std::size_t size>
std::string textOf(const std::array<std::uint8_t, size>& bytes) {
    return {bytes.begin(), bytes.end()};
}

constexpr std::int64_t startedAt = 1765375387215;  // 2025-12-10 14:03:07.215 UTC
const CaptureGap clearWindow{2, startedAt + 85, startedAt + 89, 1, 2};

std::string recordsBlockOf(const std::string& records, std::int64_t seenAt, std::uint32_t read) {
    RecordsBlockFrame frame{};
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(records.data());
    EXPECT_TRUE(frameRecordsBlock(seenAt, read, {bytes, records.size()}, frame));
    return textOf(frame.head) + records + textOf(frame.trailer);
}

// The first record seen at the first read, the other two at the second,
// after a clear's window.
std::string captureOf(const std::string& records) {
    CaptureFacts facts;
    facts.startedAt = startedAt;
    facts.interval = 100;
    return textOf(captureHeader(facts)) + recordsBlockOf(records.substr(0, 24), startedAt + 80, 1) +
           textOf(gapBlock(clearWindow)) + recordsBlockOf(records.substr(24), startedAt + 180, 2);
}

enum class Feed { input, driverRead };

struct InputRow {
    const char* name;
    Feed feed;
    std::string bytes;     // as the input holds them
    std::size_t piece;     // the size of each read of the input
    std::size_t records;   // handed to the sinks
    std::size_t messages;  // of those, records whose message was decoded
    std::size_t lastSize;  // bytes of the last record
};

const InputRow inputRows[] = {
    {"BareRecords", Feed::input, threeRecords, SIZE_MAX, 3, 2, 16},
    {"HexText", Feed::input, hexTextOf(threeRecords), SIZE_MAX, 3, 2, 16},
    {"TraceFile", Feed::input, traceFileOf(threeRecords), SIZE_MAX, 3, 2, 16},
    {"OneReadOfTheDriver", Feed::driverRead, threeRecords, SIZE_MAX, 3, 2, 16},
    // A record cut by the end of the input still carries its message, cut.
    {"LastRecordCut", Feed::input, threeRecords + bytesOf("02 0e 0e 00"), SIZE_MAX, 4, 3, 4},
    // 5600 bytes come in blocks of whole records of at most 1024 bytes each.
    {"ManyBlocksReadInPieces", Feed::input, repeated(threeRecords, 100), 7, 300, 200, 16},
    {"ManyBlocksOfHexText", Feed::input, hexTextOf(repeated(threeRecords, 100)), 100, 300, 200, 16},
    {"EmptyInput", Feed::input, "", SIZE_MAX, 0, 0, 0},
    {"Capture", Feed::input, captureOf(threeRecords), SIZE_MAX, 3, 2, 16},
    {"CaptureReadInPieces", Feed::input, captureOf(threeRecords), 5, 3, 2, 16},
};

// The row's input, through the pipeline as a command feeds it.
void feed(const InputRow& row, RecordPipeline& pipeline) {
    ASSERT_EQ(pipeline.beginTrace(TraceSource{"trace", false, nullptr}), 0);
    if (row.feed == Feed::driverRead) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(row.bytes.data());
        ASSERT_EQ(pipeline.records({bytes, row.bytes.size()}, 0), 0);
    } else {
        testing::MemorySource source(row.bytes, row.piece);
        TraceInput input(source, DamagePolicy::refuse, TraceInput::minimumBlockRoom);
        const FeedOutcome outcome = feedInput(input, pipeline);
        ASSERT_EQ(outcome.writeError, 0);
        ASSERT_EQ(outcome.status, InputStatus::end);
    }
    ASSERT_EQ(pipeline.endTrace(), 0);
}

// The blocks that the input reader cuts the row's input into, or the one
// read of the driver.
std::size_t blocksOf(const InputRow& row) {
    if (row.feed == Feed::driverRead) {
        return 1;
    }
    testing::MemorySource source(row.bytes, row.piece);
    TraceInput input(source, DamagePolicy::refuse, TraceInput::minimumBlockRoom);
    RecordBlock block;
    std::size_t blocks = 0;
    for (InputStatus status = input.next(block);
         status == InputStatus::ready || status == InputStatus::gap; status = input.next(block)) {
        blocks += status == InputStatus::ready ? 1u : 0u;
    }
    return blocks;
}

class EachInput : public ::testing::TestWithParam<InputRow> {};

TEST(RecordPipeline, CarriesACapturesTimesAndGapsInTheirPlace) {
    CountingSink sink({true, false});
    RecordPipeline pipeline({&sink});
    feed(InputRow{"", Feed::input, captureOf(threeRecords), SIZE_MAX, 3, 2, 16}, pipeline);
    ASSERT_EQ(sink.records.size(), 3u);
    ASSERT_EQ(sink.gaps.size(), 1u);
    EXPECT_EQ(sink.gaps[0].from, clearWindow.from);
    EXPECT_EQ(sink.gaps[0].to, clearWindow.to);
    EXPECT_EQ(sink.gapsBefore, (std::vector<std::size_t>{0, 1, 1}));
    const std::int64_t seen[] = {startedAt + 80, startedAt + 180, startedAt + 180};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(sink.records[i].seenAt, seen[i]) << "record " << i + 1;
        EXPECT_EQ(sink.records[i].precision, TimePrecision::milliseconds);
    }
}

TEST_P(EachInput, HandsEveryRecordOnceInOrder) {
    const InputRow& row = GetParam();
    CountingSink sink({true, true});
    RecordPipeline pipeline({&sink});
    feed(row, pipeline);
    EXPECT_EQ(sink.traces, 1u);
    EXPECT_EQ(sink.ends, 1u);
    // Each block of records goes out when it is handed, not at the end.
    EXPECT_EQ(sink.flushes, blocksOf(row));
    ASSERT_EQ(sink.records.size(), row.records);
    EXPECT_EQ(sink.lines, row.records);
    EXPECT_EQ(sink.messages, row.messages);
    std::uint64_t offset = 0;
    for (std::size_t i = 0; i < sink.records.size(); ++i) {
        EXPECT_EQ(sink.records[i].index, i + 1);
        EXPECT_EQ(sink.records[i].offset, offset) << "record " << i + 1;
        offset += sink.records[i].bytes.size();
    }
    if (!sink.records.empty()) {
        EXPECT_EQ(sink.records.back().bytes.size(), row.lastSize);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, EachInput, ::testing::ValuesIn(inputRows), testing::NamedByRow());

// What the pipeline works out follows what its sinks ask for, and is worked
// out once for all of them.
struct NeedsRow {
    const char* name;
    std::vector<RecordNeeds> sinks;
    std::size_t lines;     // records with their line, as each sink sees them
    std::size_t messages;  // and with their message
};

const NeedsRow needsRows[] = {
    {"NothingAsked", {RecordNeeds{}}, 0, 0},
    {"LinesAloneCostNoDecode", {RecordNeeds{true, false}}, 3, 0},
    {"MessagesAlone", {RecordNeeds{false, true}}, 0, 2},
    {"EachSinkSeesWhatAnyAsked", {RecordNeeds{true, false}, RecordNeeds{false, true}}, 3, 2},
};

class EachNeed : public ::testing::TestWithParam<NeedsRow> {};

TEST_P(EachNeed, WorksOutOnlyWhatIsAsked) {
    std::vector<CountingSink> sinks;
    for (const RecordNeeds needs : GetParam().sinks) {
        sinks.emplace_back(needs);
    }
    std::vector<RecordSink*> pointers;
    for (CountingSink& sink : sinks) {
        pointers.push_back(&sink);
    }
    RecordPipeline pipeline(pointers);
    feed(InputRow{"", Feed::driverRead, threeRecords, SIZE_MAX, 3, 2, 16}, pipeline);
    for (const CountingSink& sink : sinks) {
        EXPECT_EQ(sink.lines, GetParam().lines);
        EXPECT_EQ(sink.messages, GetParam().messages);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, EachNeed, ::testing::ValuesIn(needsRows), testing::NamedByRow());

TEST(RecordPipeline, StopsAtTheFirstFailedWrite) {
    CountingSink failing({}, 2);
    CountingSink after;
    RecordPipeline pipeline({&failing, &after});
    ASSERT_EQ(pipeline.beginTrace(TraceSource{"trace", false, nullptr}), 0);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(threeRecords.data());
    EXPECT_EQ(pipeline.records({bytes, threeRecords.size()}, 0), ENOSPC);
    EXPECT_EQ(failing.records.size(), 1u);
    EXPECT_EQ(after.records.size(), 1u);
    EXPECT_EQ(after.flushes, 0u);
}

// Whether the message's NCPI was laid out by a B3 protocol in force.
bool ncpiLaidOut(const TracedRecord& record) {
    const Field* ncpi = record.message->find("ncpi");
    return ncpi != nullptr && ncpi->end > (ncpi - record.message->fields().data()) + 1;
}

// The fax protocols selected on PLCI 0101, then a CONNECT_B3_IND on it.
const std::string selectFax = bytesOf(
    "01 2f 2f 00 01 00 41 80 08 00 01 01 00 00 22 04 00 04 00 04 00 08 00 00 fd ff 00 00 00 00 "
    "00 11 01 00 00 00 0b 2b 34 39 20 33 30 20 31 32 33 34 00");
const std::string connectB3Ind = bytesOf(
    "02 1f 1f 00 01 00 82 82 06 01 01 01 01 00 12 40 38 00 00 00 00 00 00 09 2b 34 39 20 33 30 "
    "20 39 39");

TEST(RecordPipeline, EachTraceBeginsWithNoProtocolsAndCountsFromOne) {
    CountingSink sink({false, true});
    RecordPipeline pipeline({&sink});
    for (const std::string& trace : {selectFax + connectB3Ind, connectB3Ind}) {
        ASSERT_EQ(pipeline.beginTrace(TraceSource{"trace", true, nullptr}), 0);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(trace.data());
        ASSERT_EQ(pipeline.records({bytes, trace.size()}, 0), 0);
        ASSERT_FALSE(sink.records.empty());
        EXPECT_TRUE(ncpiLaidOut(sink.records.back()) == (trace.size() > connectB3Ind.size()));
        ASSERT_EQ(pipeline.endTrace(), 0);
        sink.records.clear();
    }
}

TEST(RecordPipeline, TellsWhatAMessagePutInForce) {
    CountingSink sink({false, true});
    RecordPipeline pipeline({&sink});
    ASSERT_EQ(pipeline.beginTrace(TraceSource{"trace", false, nullptr}), 0);
    const std::string trace = selectFax + connectB3Ind;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(trace.data());
    ASSERT_EQ(pipeline.records({bytes, selectFax.size()}, 0), 0);
    ASSERT_NE(sink.records[0].putInForce, nullptr);
    EXPECT_EQ(sink.records[0].putInForce->b3, 4);
    ASSERT_EQ(pipeline.records({bytes + selectFax.size(), connectB3Ind.size()}, selectFax.size()),
              0);
    EXPECT_EQ(sink.records[1].putInForce, nullptr);
    EXPECT_EQ(sink.records[1].index, 2u);
}

// Get LISTEN_CONF of application 1 and 2 on controller 1, of application 1
// on the external controller 127, a record of another direction, and a
// LISTEN_CONF of application 1 cut before its address.
const std::string mixedTrace = bytesOf(
    "02 0e 0e 00 01 00 05 81 01 00 01 00 00 00 00 00 "
    "02 0e 0e 00 02 00 05 81 01 00 01 00 00 00 00 00 "
    "02 0e 0e 00 01 00 05 81 01 00 ff 00 00 00 00 00 "
    "07 0e 0e 00 01 00 05 81 01 00 01 00 00 00 00 00 "
    "02 0e 0e 00 01 00 05 81 01 00");

struct FilterRow {
    const char* name;
    RecordFilter filter;
    std::vector<std::uint64_t> kept;  // the indexes of the records handed
};

const FilterRow filterRows[] = {
    {"NoneKeepsEveryRecord", {}, {1, 2, 3, 4, 5}},      {"OneApplication", {2, 0}, {2}},
    {"AnApplicationOfACutMessage", {1, 0}, {1, 3, 5}},  {"OneController", {0, 1}, {1, 2}},
    {"AnExternalControllerByItsNumber", {0, 127}, {3}}, {"BothAtOnce", {1, 1}, {1}},
    {"NothingOfAnotherApplication", {9, 0}, {}},
};

class EachFilter : public ::testing::TestWithParam<FilterRow> {};

TEST_P(EachFilter, HandsWhatItKeepsWithTheirNumbersInTheTrace) {
    CountingSink sink({true, true});
    RecordPipeline pipeline({&sink}, GetParam().filter);
    feed(InputRow{"", Feed::driverRead, mixedTrace, SIZE_MAX, 0, 0, 0}, pipeline);
    std::vector<std::uint64_t> kept;
    for (const TracedRecord& record : sink.records) {
        kept.push_back(record.index);
        EXPECT_EQ(record.offset, 16 * (record.index - 1));
    }
    EXPECT_EQ(kept, GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(Rows, EachFilter, ::testing::ValuesIn(filterRows), testing::NamedByRow());

}  // namespace
}  // namespace ambertap
