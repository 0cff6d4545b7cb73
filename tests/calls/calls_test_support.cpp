#include "calls_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "captured_stream.h"
#include "record_pipeline.h"
#include "trace_walker.h"

namespace ambertap::testing {

namespace {

// Every record into the model through the record pipeline, as the calls and
// check commands give them; `settle` after each record.
template <typename AfterRecord>
class ModelSink final : public RecordSink {
  public:
    ModelSink(CallModel& model, AfterRecord settle) : model_(model), settle_(settle) {}

    RecordNeeds needs() const override { return {false, true}; }
    int record(const TracedRecord& record) override {
        model_.add(record);
        settle_();
        return 0;
    }
    int gap(const CaptureGap& gap) override {
        model_.addGap(gap);
        return 0;
    }

  private:
    CallModel& model_;
    AfterRecord settle_;
};

// Gives the model every record of the capture, and its gaps where they come.
template <typename AfterRecord>
void feed(CallModel& model, const Capture& capture, AfterRecord settle) {
    ModelSink<AfterRecord> sink(model, settle);
    RecordPipeline pipeline({&sink});
    EXPECT_EQ(pipeline.beginTrace(TraceSource{"trace", false, nullptr, true}), 0);
    std::uint64_t index = 0;
    std::uint64_t offset = 0;
    const auto gapsAfter = [&](std::uint64_t record) {
        for (const std::size_t after : capture.gapsAfter) {
            if (after == record) {
                EXPECT_EQ(pipeline.gap(CaptureGap{static_cast<std::uint32_t>(GapKind::possible)}),
                          0);
            }
        }
    };
    gapsAfter(0);
    for (const Bytes& record : recordsOf(capture.trace)) {
        EXPECT_EQ(pipeline.records(record, offset), 0);
        offset += record.size();
        gapsAfter(++index);
    }
    EXPECT_EQ(pipeline.endTrace(), 0);
    model.finish();
}

}  // namespace

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

int writeCalls(const Capture& capture, CallsFormat format, std::FILE* out,
               std::size_t memoryBound) {
    CallsWriter writer(format, format == CallsFormat::json ? "trace" : nullptr, out, memoryBound);
    CallModel model(writer);
    feed(model, capture, [] {});
    return writer.finish(model);
}

int writeFindings(const Capture& capture, const char* file, std::FILE* out, CheckCounts& counts,
                  CheckFormat format, std::size_t memoryBound) {
    FindingsWriter writer(file, out, format, false, memoryBound);
    CallModel model(writer);
    feed(model, capture, [&] { writer.settle(model.settledBefore()); });
    const int error = writer.finish();
    counts = writer.counts();
    return error;
}

std::string callsText(const Capture& capture, bool json, std::size_t memoryBound) {
    CapturedStream captured;
    EXPECT_EQ(writeCalls(capture, json ? CallsFormat::json : CallsFormat::text, captured.file(),
                         memoryBound),
              0);
    return captured.text();
}

Checked checkOf(const Capture& capture, const char* file, CheckFormat format,
                std::size_t memoryBound) {
    CapturedStream captured;
    Checked checked;
    EXPECT_EQ(writeFindings(capture, file, captured.file(), checked.counts, format, memoryBound),
              0);
    checked.text = captured.text();
    return checked;
}

std::vector<RecordPlace> placesOf(const Capture& capture) {
    struct Places final : CallModelListener {
        void takeCall(const Call&) override {}
        void takeFinding(const Finding&) override {}
        void takePlace(const RecordPlace& place) override { places.push_back(place); }
        std::vector<RecordPlace> places;
    } listener;
    CallModel model(listener);
    feed(model, capture, [] {});
    return listener.places;
}

std::string samplePath(const std::string& name) {
    return std::string(AMBERTAP_SAMPLES) + "/" + name;
}

}  // namespace ambertap::testing
