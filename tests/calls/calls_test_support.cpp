#include "calls_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "call_views.h"
#include "captured_stream.h"
#include "trace_walker.h"

namespace ambertap::testing {

Bytes listingBytes(const std::string& path) {
    std::ifstream listing(path);
    EXPECT_TRUE(listing.good()) << path;
    Bytes bytes;
    for (std::string line; std::getline(listing, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        for (std::string word; words >> word;) {
            bytes.push_back(static_cast<std::uint8_t>(std::stoul(word, nullptr, 16)));
        }
    }
    return bytes;
}

std::vector<Bytes> recordsOf(const Bytes& trace) {
    std::vector<Bytes> records;
    const std::uint8_t* const end = trace.data() + trace.size();
    for (const std::uint8_t* at = trace.data(); at < end;) {
        const std::size_t size = recordSize(ByteView{at, end});
        records.emplace_back(at, at + size);
        at += size;
    }
    return records;
}

Bytes traceOf(const std::vector<Bytes>& records) {
    Bytes trace;
    for (const Bytes& record : records) {
        trace.insert(trace.end(), record.begin(), record.end());
    }
    return trace;
}

CallModel modelOf(const Bytes& trace) {
    CallModel model;
    const std::uint8_t* const end = trace.data() + trace.size();
    std::uint64_t index = 1;
    for (const std::uint8_t* at = trace.data(); at < end; ++index) {
        const ByteView record{at, end};
        model.add(record, index);
        at += recordSize(record);
    }
    model.finish();
    return model;
}

std::string callsText(const CallModel& model, bool json) {
    CapturedStream captured;
    EXPECT_EQ(writeCalls(model, json ? CallsFormat::json : CallsFormat::text,
                         json ? "trace" : nullptr, captured.file()),
              0);
    return captured.text();
}

std::string checkText(const CallModel& model, const char* file, CheckCounts* counts) {
    CapturedStream captured;
    int error = -1;
    const CheckCounts written = writeFindings(model, file, captured.file(), error);
    EXPECT_EQ(error, 0);
    if (counts != nullptr) {
        *counts = written;
    }
    return captured.text();
}

std::string samplePath(const std::string& name) {
    return std::string(AMBERTAP_SAMPLES) + "/" + name;
}

}  // namespace ambertap::testing
