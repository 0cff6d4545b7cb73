// The ladders of the samples do not depend on how many passes draw them or
// how long a message waits for its place and partner: with one diagram held
// at a time (a pass for each diagram) and a window of one record (every
// partner from the first pass's late facts), each sample gives its golden
// ladders, the ones `calls --ladder` writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "calls_test_support.h"
#include "ladder_builder.h"
#include "record_pipeline.h"
#include "text_ladder.h"

namespace ambertap {
namespace {

using testing::Bytes;

std::string goldenSection(const std::string& heading) {
    std::ifstream in(AMBERTAP_SAMPLE_LADDERS);
    std::stringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    const std::string start = "== " + heading + "\n";
    const std::size_t from = text.find(start);
    if (from == std::string::npos) {
        return "no section " + heading;
    }
    const std::size_t body = from + start.size();
    const std::size_t to = text.find("\n== ", body);
    return text.substr(body, to == std::string::npos ? std::string::npos : to + 1 - body);
}

class TextOut final : public DiagramOutput {
  public:
    explicit TextOut(std::FILE* out) : ladder_(out, 100) {}
    void diagram(const ladder::Diagram& diagram) override { ladder_.write(diagram); }
    int finish() { return ladder_.finish(); }

  private:
    ladder::TextLadder ladder_;
};

struct PassCase {
    const char* sample;
    bool mask;
    LadderBounds bounds;
    std::size_t passes;  // the survey's and the drawing ones
};

// Hands each pass's records to the builder, as `calls --ladder` does.
class PassSink final : public RecordSink {
  public:
    PassSink(LadderBuilder& builder, DiagramOutput& out) : builder_(builder), out_(out) {}

    RecordNeeds needs() const override { return {true, true}; }
    int beginTrace(const TraceSource& trace) override {
        builder_.beginPass(out_, trace.capture);
        return 0;
    }
    int record(const TracedRecord& record) override {
        builder_.record(record);
        return 0;
    }
    int endTrace() override {
        again = builder_.endPass();
        return 0;
    }

    bool again = false;

  private:
    LadderBuilder& builder_;
    DiagramOutput& out_;
};

std::string ladders(const PassCase& c, std::size_t& passes) {
    const Bytes trace = testing::listingBytes(testing::samplePath(std::string(c.sample) + ".hex"));
    std::FILE* out = std::tmpfile();
    TextOut text(out);
    LadderBuilder builder(1, c.bounds);
    PassSink sink(builder, text);
    RecordPipeline pipeline({&sink}, {}, c.mask);
    passes = 0;
    do {
        const TraceSource source{"t", false, nullptr};
        EXPECT_EQ(pipeline.beginTrace(source), 0);
        EXPECT_EQ(pipeline.records(trace, 0), 0);
        EXPECT_EQ(pipeline.endTrace(), 0);
        ++passes;
    } while (sink.again);
    EXPECT_EQ(text.finish(), 0);
    std::rewind(out);
    std::string written;
    for (int byte = 0; (byte = std::fgetc(out)) != EOF;) {
        written.push_back(static_cast<char>(byte));
    }
    std::fclose(out);
    return written;
}

class LadderPassesTest : public ::testing::TestWithParam<PassCase> {};

TEST_P(LadderPassesTest, DrawsTheGoldenLadders) {
    const PassCase& c = GetParam();
    std::size_t passes = 0;
    const std::string written = ladders(c, passes);
    const std::string heading = std::string(c.sample) + (c.mask ? " --mask-numbers" : "");
    EXPECT_EQ(written, goldenSection(heading));
    EXPECT_EQ(passes, c.passes);
}

constexpr LadderBounds oneAtATime{1, 1};
constexpr LadderBounds twoHeld{2, 3};

const PassCase passCases[] = {
    {"busy_callee", false, ladderBounds, 2},
    {"busy_callee", false, oneAtATime, 3},
    {"fax_breaks_off", false, ladderBounds, 2},
    {"fax_breaks_off", false, oneAtATime, 3},
    {"incoming_voice_call", false, ladderBounds, 2},
    // Its call diagram, then the first application's diagram of no call,
    // which ends before the second's begins: both in the third pass.
    {"incoming_voice_call", false, oneAtATime, 3},
    {"incoming_voice_call", false, twoHeld, 3},
    {"outgoing_data_call", false, ladderBounds, 2},
    {"outgoing_data_call", false, oneAtATime, 3},
    {"outgoing_data_call", true, ladderBounds, 2},
    {"outgoing_data_call", true, oneAtATime, 3},
};

INSTANTIATE_TEST_SUITE_P(Samples, LadderPassesTest, ::testing::ValuesIn(passCases));

}  // namespace
}  // namespace ambertap
