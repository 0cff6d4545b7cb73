// Every sample trace in the cases folder is printed and compared with the
// text beside it: name.bin holds the trace bytes, name.out the exact output.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "captured_stream.h"
#include "case_files.h"
#include "case_names.h"
#include "trace_walker.h"

namespace ambertap {
namespace {

namespace fs = std::filesystem;

// The trace buffer that the driver fills.
constexpr std::size_t traceBufferSize = 10000;

std::vector<fs::path> traceFiles() {
    return testing::caseFiles(AMBERTAP_GOLDEN_CASES, ".bin");
}

std::string printed(const std::string& trace) {
    ambertap::testing::CapturedStream captured;
    EXPECT_EQ(printTraceRecords(reinterpret_cast<const std::uint8_t*>(trace.data()), trace.size(),
                                captured.file()),
              0);
    return captured.text();
}

class GoldenTrace : public ::testing::TestWithParam<fs::path> {};

TEST_P(GoldenTrace, PrintsTheExpectedLines) {
    const fs::path& tracePath = GetParam();
    const fs::path expectedPath = fs::path(tracePath).replace_extension(".out");
    ASSERT_TRUE(fs::exists(expectedPath)) << expectedPath << " is missing";

    const std::string trace = testing::contentsOf(tracePath);
    ASSERT_GE(trace.size(), 1u) << "the walker is never called without data";
    ASSERT_LE(trace.size(), traceBufferSize) << "more than the trace buffer holds";

    EXPECT_EQ(printed(trace), testing::contentsOf(expectedPath)) << "for " << tracePath;
}

std::string testName(const ::testing::TestParamInfo<fs::path>& info) {
    return testing::identifierFrom(info.param.stem().string());
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenTrace, ::testing::ValuesIn(traceFiles()), testName);

}  // namespace
}  // namespace ambertap
