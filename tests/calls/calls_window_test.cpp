// A trace is a window onto the exchange: a correct trace that begins or ends
// anywhere, even inside a record, or that lost any run of its records in a gap
// of a capture, must give no error and no warning.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "call_views.h"
#include "calls_test_support.h"
#include "case_names.h"

namespace ambertap {
namespace {

using testing::Bytes;

const char* const correctSamples[] = {
    "outgoing_data_call.hex",
    "incoming_voice_call.hex",
    "busy_callee.hex",
    "fax_breaks_off.hex",
};

class CorrectSample : public ::testing::TestWithParam<const char*> {
  protected:
    Bytes trace() const { return testing::listingBytes(testing::samplePath(GetParam())); }
};

void expectNoErrorOrWarning(const testing::Capture& capture, const std::string& window) {
    const testing::Checked checked = testing::checkOf(capture, "trace");
    EXPECT_EQ(checked.counts.errors + checked.counts.warnings, 0u) << window << "\n"
                                                                   << checked.text;
}

TEST_P(CorrectSample, CutAfterAnyByteGivesNoErrorOrWarning) {
    const Bytes whole = trace();
    for (std::size_t size = 1; size <= whole.size(); ++size) {
        expectNoErrorOrWarning({Bytes(whole.begin(), whole.begin() + static_cast<long>(size)), {}},
                               "the first " + std::to_string(size) + " bytes");
    }
}

TEST_P(CorrectSample, AnyRunOfWholeRecordsGivesNoErrorOrWarning) {
    const std::vector<Bytes> records = testing::recordsOf(trace());
    for (std::size_t first = 0; first < records.size(); ++first) {
        for (std::size_t last = first + 1; last <= records.size(); ++last) {
            const std::vector<Bytes> window(records.begin() + static_cast<long>(first),
                                            records.begin() + static_cast<long>(last));
            expectNoErrorOrWarning(
                {testing::traceOf(window), {}},
                "records " + std::to_string(first + 1) + " to " + std::to_string(last));
        }
    }
}

// Whatever a gap lost, the records after it are told apart from a fault.
TEST_P(CorrectSample, AnyRunLostInAGapGivesNoErrorOrWarning) {
    const std::vector<Bytes> records = testing::recordsOf(trace());
    for (std::size_t first = 0; first < records.size(); ++first) {
        for (std::size_t last = first + 1; last <= records.size(); ++last) {
            std::vector<Bytes> kept(records.begin(), records.begin() + static_cast<long>(first));
            kept.insert(kept.end(), records.begin() + static_cast<long>(last), records.end());
            expectNoErrorOrWarning(
                {testing::traceOf(kept), {first}},
                "records " + std::to_string(first + 1) + " to " + std::to_string(last) + " lost");
        }
    }
}

// Both views stop at the first write that fails and report its error number.
TEST_P(CorrectSample, AFailedWriteIsReported) {
    std::FILE* full = std::fopen("/dev/full", "w");
    if (full == nullptr) {
        GTEST_SKIP() << "no /dev/full";
    }
    const testing::Capture capture{trace(), {}};
    EXPECT_EQ(testing::writeCalls(capture, CallsFormat::json, full), ENOSPC);
    CheckCounts counts;
    const int error = testing::writeFindings(capture, "trace", full, counts);
    EXPECT_EQ(error, counts.errors + counts.warnings + counts.notes == 0 ? 0 : ENOSPC);
    std::fclose(full);
}

std::string sampleName(const ::testing::TestParamInfo<const char*>& info) {
    return testing::identifierFrom(info.param);
}

INSTANTIATE_TEST_SUITE_P(Samples, CorrectSample, ::testing::ValuesIn(correctSamples), sampleName);

}  // namespace
}  // namespace ambertap
