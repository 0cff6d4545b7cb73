#include "calls_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "call_views.h"
#include "captured_stream.h"
#include "record_cursor.h"
#include "record_pipeline.h"

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
    for (RecordCursor cursor(trace); !cursor.atEnd(); cursor.next()) {
        records.emplace_back(cursor.record().begin, cursor.record().end);
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

namespace {

// Every record into the model, as the calls and check commands give them.
class ModelSink final : public RecordSink {
  public:
    explicit ModelSink(CallModel& model) : model_(model) {}

    RecordNeeds needs() const override { return {false, true}; }
    int record(const TracedRecord& record) override {
        model_.add(record);
        return 0;
    }

  private:
    CallModel& model_;
};

}  // namespace

CallModel modelOf(const Bytes& trace) {
    CallModel model;
    ModelSink sink(model);
    RecordPipeline pipeline({&sink});
    EXPECT_EQ(pipeline.beginTrace(TraceSource{"trace", false, nullptr}), 0);
    EXPECT_EQ(pipeline.records(trace, 0), 0);
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
