// Every sample trace through `calls`, `calls --json` and `check`, compared
// with one golden file that holds all their outputs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "calls_test_support.h"

namespace ambertap {
namespace {

namespace fs = std::filesystem;

constexpr const char* samples[] = {
    "outgoing_data_call.hex",
    "incoming_voice_call.hex",
    "busy_callee.hex",
    "fax_breaks_off.hex",
};

std::string readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string allViews() {
    std::string text;
    for (const char* sample : samples) {
        const std::string file = std::string("samples/") + sample;
        const testing::Capture capture{testing::listingBytes(testing::samplePath(sample)), {}};
        text += "### calls " + file + "\n" + testing::callsText(capture, false);
        text += "### calls --json " + file + "\n" + testing::callsText(capture, true);
        text += "### check " + file + "\n" + testing::checkOf(capture, file.c_str()).text;
    }
    return text;
}

TEST(CallsGolden, EverySampleInEveryView) {
    const std::string actual = allViews();
    const std::string expected = readFile(AMBERTAP_CALLS_GOLDEN);
    if (actual != expected) {
        // Beside the build, for a look at the difference.
        std::ofstream(fs::path(AMBERTAP_CALLS_ACTUAL), std::ios::binary) << actual;
    }
    EXPECT_TRUE(actual == expected) << "the views differ from " << AMBERTAP_CALLS_GOLDEN
                                    << "; as written now they are in " << AMBERTAP_CALLS_ACTUAL;
}

}  // namespace
}  // namespace ambertap
