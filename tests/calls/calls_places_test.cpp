// Where the model places each record, and which record it pairs it with: the
// call (or the application and controller of no call) and the request or
// indication that a confirmation or response answers. Every record that holds
// a message is placed once.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "calls_test_support.h"
#include "case_names.h"

namespace ambertap {
namespace {

struct PlaceRow {
    std::string name;
    const char* sample;
    std::size_t removed;   // a record left out of the sample; 0: none
    std::uint64_t record;  // of the trace as edited
    std::uint64_t call;
    std::uint16_t applId;
    std::uint8_t controller;
    std::uint64_t answers;
};

using testing::busy;
using testing::fax;
using testing::incoming;
using testing::outgoing;

const PlaceRow placeRows[] = {
    {"ListenOfNoCall", outgoing, 0, 1, 0, 1, 1, 0},
    {"ListenConfirmationAnswersIt", outgoing, 0, 2, 0, 1, 1, 1},
    {"ConnectRequestInTheCallItsConfirmationBegins", outgoing, 0, 3, 1, 1, 1, 0},
    {"ConnectConfirmationAnswersItsRequest", outgoing, 0, 4, 1, 1, 1, 3},
    {"ActiveResponseAnswersItsIndication", outgoing, 0, 6, 1, 1, 1, 5},
    {"DataResponseAnswersItsIndication", outgoing, 0, 16, 1, 1, 1, 15},
    {"EndAnswersTheClearing", outgoing, 0, 28, 1, 1, 1, 27},
    {"ConnectRequestNeverConfirmedIsOfNoCall", outgoing, 4, 3, 0, 1, 1, 0},
    {"ResponseWithoutItsIndicationAnswersNothing", outgoing, 5, 5, 1, 1, 1, 0},
    {"SecondApplicationsCallOfTheSamePlci", incoming, 0, 6, 2, 2, 1, 0},
    {"IncomingCallsResponse", incoming, 0, 11, 1, 1, 1, 5},
    {"BusyCallsEnd", busy, 0, 10, 1, 3, 1, 9},
    {"ConfirmationAfterACrossingIndication", fax, 0, 35, 1, 4, 1, 33},
};

testing::Capture captureOfPlace(const PlaceRow& row) {
    std::vector<testing::Bytes> records =
        testing::recordsOf(testing::listingBytes(testing::samplePath(row.sample)));
    if (row.removed != 0) {
        records.erase(records.begin() + static_cast<long>(row.removed - 1));
    }
    return {testing::traceOf(records), {}};
}

class Places : public ::testing::TestWithParam<PlaceRow> {};

TEST_P(Places, PlaceEachRecordOnceWithItsCallAndItsPair) {
    const PlaceRow& row = GetParam();
    const testing::Capture capture = captureOfPlace(row);
    const std::vector<RecordPlace> places = testing::placesOf(capture);
    std::map<std::uint64_t, RecordPlace> byRecord;
    for (const RecordPlace& place : places) {
        EXPECT_TRUE(byRecord.emplace(place.record, place).second)
            << "placed twice: " << place.record;
    }
    EXPECT_EQ(byRecord.size(), testing::recordsOf(capture.trace).size());
    ASSERT_EQ(byRecord.count(row.record), 1u);
    const RecordPlace& place = byRecord.at(row.record);
    EXPECT_EQ(place.call, row.call);
    EXPECT_EQ(place.applId, row.applId);
    EXPECT_EQ(place.controller, row.controller);
    EXPECT_EQ(place.answers, row.answers);
}

INSTANTIATE_TEST_SUITE_P(Rows, Places, ::testing::ValuesIn(placeRows), testing::NamedByRow());

}  // namespace
}  // namespace ambertap
