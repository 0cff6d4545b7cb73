// Every trace in the cases folder is shown in the full view and as JSON Lines
// and compared with the texts beside it: name.bin holds the trace bytes,
// name.full and name.jsonl the exact output.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "captured_stream.h"
#include "case_files.h"
#include "case_names.h"
#include "message_views.h"
#include "trace_walker.h"

namespace ambertap {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> traceFiles() {
    return testing::caseFiles(AMBERTAP_MESSAGE_CASES, ".bin");
}

enum class View { full, json };

// The trace's records in one view, as ambertrace shows them.
std::string shown(const std::string& trace, View view) {
    testing::CapturedStream captured;
    ProtocolTracker protocols;
    const auto* data = reinterpret_cast<const std::uint8_t*>(trace.data());
    const std::uint8_t* const end = data + trace.size();
    std::uint64_t index = 1;
    for (const std::uint8_t* at = data; at < end; ++index) {
        const ByteView record{at, end};
        char line[traceLineRoom];
        const std::size_t length = formatTraceRecord(record, line, traceLineRoom);
        const std::string_view text(line, length);
        const int error =
            view == View::full
                ? writeFullRecord(record, text, protocols, captured.file())
                : writeJsonRecord(record, index, static_cast<std::uint64_t>(at - data), text,
                                  nullptr, protocols, captured.file());
        EXPECT_EQ(error, 0);
        at += recordSize(record);
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
