// Every trace in the cases folder is shown in the full view and as JSON Lines
// and compared with the texts beside it: name.bin holds the trace bytes,
// name.full and name.jsonl the exact output.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "captured_stream.h"
#include "case_files.h"
#include "case_names.h"
#include "message_views.h"
#include "record_pipeline.h"

namespace ambertap {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> traceFiles() {
    return testing::caseFiles(AMBERTAP_MESSAGE_CASES, ".bin");
}

enum class View { full, json };

// Each record in one view, into one block of output.
class ViewSink final : public RecordSink {
  public:
    ViewSink(View view, std::FILE* out) : view_(view), output_(out) {}

    RecordNeeds needs() const override { return {true, true}; }
    int record(const TracedRecord& record) override {
        if (view_ == View::full) {
            writeFullRecord(record, record.line, output_);
        } else {
            writeJsonRecord(record, JsonRecordPlace{}, output_);
        }
        return 0;
    }
    int endTrace() override { return output_.finish(); }

  private:
    View view_;
    RecordOutput output_;
};

// The trace's records in one view, as ambertrace shows them.
std::string shown(const std::string& trace, View view) {
    testing::CapturedStream captured;
    {
        const auto sink = std::make_unique<ViewSink>(view, captured.file());
        RecordPipeline pipeline({sink.get()});
        EXPECT_EQ(pipeline.beginTrace(TraceSource{"trace", false, nullptr}), 0);
        EXPECT_EQ(pipeline.records(
                      {reinterpret_cast<const std::uint8_t*>(trace.data()), trace.size()}, 0),
                  0);
        EXPECT_EQ(pipeline.endTrace(), 0);
    }
    return captured.text();
}

class MessageViewsGolden : public ::testing::TestWithParam<fs::path> {};

TEST_P(MessageViewsGolden, FullViewShowsTheExpectedLines) {
    const fs::path expected = fs::path(GetParam()).replace_extension(".full");
    ASSERT_TRUE(fs::exists(expected)) << expected << " is missing";
    EXPECT_EQ(shown(testing::contentsOf(GetParam()), View::full), testing::contentsOf(expected));
}

TEST_P(MessageViewsGolden, JsonViewShowsTheExpectedLines) {
    const fs::path expected = fs::path(GetParam()).replace_extension(".jsonl");
    ASSERT_TRUE(fs::exists(expected)) << expected << " is missing";
    EXPECT_EQ(shown(testing::contentsOf(GetParam()), View::json), testing::contentsOf(expected));
}

std::string testName(const ::testing::TestParamInfo<fs::path>& info) {
    return testing::identifierFrom(info.param.stem().string());
}

INSTANTIATE_TEST_SUITE_P(Cases, MessageViewsGolden, ::testing::ValuesIn(traceFiles()), testName);

}  // namespace
}  // namespace ambertap
