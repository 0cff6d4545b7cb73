// What waits to be written in order stays bounded in memory however long the
// trace: the spool gives its pieces back in key order whatever order they
// come in and wherever they waited, the views write the same bytes whether
// what waits stays in memory or goes to the scratch file, and the model
// forgets a call once it is handed out.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "call_model.h"
#include "call_views.h"
#include "calls_test_support.h"
#include "ordered_spool.h"
#include "record_pipeline.h"

namespace ambertap {
namespace {

using testing::Bytes;
using Keys = std::vector<std::uint64_t>;

Keys ascending(std::uint64_t count) {
    Keys keys(count);
    std::iota(keys.begin(), keys.end(), 1);
    return keys;
}

// The orders that calls and findings come in: in order, reversed, the first
// held back until the end (a call open from the start), neighbours swapped
// (calls that overlap), every key many times (findings of one record), and
// runs that each begin below the last (what the spool cannot join).
struct SpoolRow {
    const char* name;
    Keys keys;
};

std::vector<SpoolRow> spoolRows() {
    Keys firstLast = ascending(800);
    std::rotate(firstLast.begin(), firstLast.begin() + 1, firstLast.end());
    Keys swapped = ascending(800);
    for (std::size_t at = 0; at + 1 < swapped.size(); at += 2) {
        std::swap(swapped[at], swapped[at + 1]);
    }
    Keys repeated;
    for (std::uint64_t key = 1; key <= 300; ++key) {
        repeated.insert(repeated.end(), 10, key % 7 == 0 ? 300 - key : key);
    }
    Keys sawtooth;
    for (std::uint64_t tooth = 0; tooth < 40; ++tooth) {
        for (std::uint64_t key = 0; key < 30; ++key) {
            sawtooth.push_back(key * 100 + 99 - tooth);
        }
    }
    Keys reversed = ascending(800);
    std::reverse(reversed.begin(), reversed.end());
    return {{"InOrder", ascending(800)},    {"Reversed", reversed},
            {"FirstComesLast", firstLast},  {"NeighboursSwapped", swapped},
            {"EachKeyManyTimes", repeated}, {"RunsThatBeginLower", sawtooth}};
}

// Each piece names its key and when it came, so the order shows both.
std::string pieceOf(std::uint64_t key, std::size_t came) {
    return std::to_string(key) + "@" + std::to_string(came) + std::string(came % 50, '.');
}

// A stable sort: equal keys in the order they came.
std::vector<std::string> expectedOrder(const Keys& keys) {
    std::vector<std::size_t> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::vector<std::string> pieces;
    for (const std::size_t came : order) {
        pieces.push_back(pieceOf(keys[came], came));
    }
    return pieces;
}

constexpr std::size_t spoolBounds[] = {0, 2000, OrderedSpool::defaultMemoryBound};

TEST(OrderedSpool, GivesEveryPieceBackInKeyOrderWhereverItWaited) {
    for (const SpoolRow& row : spoolRows()) {
        for (const std::size_t bound : spoolBounds) {
            OrderedSpool spool(bound);
            std::size_t mostRuns = 0;
            for (std::size_t came = 0; came < row.keys.size(); ++came) {
                ASSERT_EQ(spool.add(row.keys[came], pieceOf(row.keys[came], came)), 0)
                    << spool.failure();
                mostRuns = std::max(mostRuns, spool.runsWaiting());
            }
            std::vector<std::string> taken;
            for (std::string piece; !spool.empty(); taken.push_back(piece)) {
                const std::uint64_t key = spool.firstKey();
                ASSERT_EQ(spool.takeFirst(piece), 0) << spool.failure();
                EXPECT_EQ(piece.substr(0, piece.find('@')), std::to_string(key));
            }
            EXPECT_EQ(taken, expectedOrder(row.keys)) << row.name << ", bound " << bound;
            EXPECT_LE(mostRuns, OrderedSpool::mostRuns + 1) << row.name << ", bound " << bound;
            if (std::is_sorted(row.keys.begin(), row.keys.end())) {
                EXPECT_LE(mostRuns, 1u) << row.name << ": pieces in order make one run";
            }
        }
    }
}

// The calls view takes each piece as soon as every smaller key is taken.
TEST(OrderedSpool, TakesInTurnWhileMoreCome) {
    for (const SpoolRow& row : spoolRows()) {
        Keys keys = row.keys;
        std::sort(keys.begin(), keys.end());
        if (std::adjacent_find(keys.begin(), keys.end()) != keys.end() || keys.front() != 1 ||
            keys.back() != keys.size()) {
            continue;  // not the numbers of calls
        }
        OrderedSpool spool(0);
        std::uint64_t next = 1;
        for (std::size_t came = 0; came < row.keys.size(); ++came) {
            ASSERT_EQ(spool.add(row.keys[came], pieceOf(row.keys[came], came)), 0);
            for (std::string piece; !spool.empty() && spool.firstKey() == next; ++next) {
                ASSERT_EQ(spool.takeFirst(piece), 0);
                EXPECT_EQ(piece.substr(0, piece.find('@')), std::to_string(next)) << row.name;
            }
        }
        EXPECT_EQ(next, row.keys.size() + 1) << row.name;
        EXPECT_TRUE(spool.empty()) << row.name;
    }
}

// ---- The views, with what waits in memory and in the scratch file ----

Bytes sampleTrace(const char* name) {
    return testing::listingBytes(testing::samplePath(name));
}

// A CONNECT_IND that nobody answers and no message follows up, on a PLCI of
// its own, then the four sample calls over and over: the call stays open from
// the first record to the end, and so does its indication, so that every
// other call and every finding waits behind it.
Bytes callOpenFromTheStart(int repeats) {
    std::vector<Bytes> records = testing::recordsOf(sampleTrace("incoming_voice_call.hex"));
    Bytes open = records.at(4);
    EXPECT_EQ(open.at(7), 0x82);  // CONNECT_IND
    open.at(11) = 0x7f;           // PLCI 7f01
    open.at(8) = 0x77;            // a number that no later CONNECT_RESP answers
    Bytes trace = open;
    for (int repeat = 0; repeat < repeats; ++repeat) {
        for (const char* name : {"outgoing_data_call.hex", "incoming_voice_call.hex",
                                 "busy_callee.hex", "fax_breaks_off.hex"}) {
            const Bytes sample = sampleTrace(name);
            trace.insert(trace.end(), sample.begin(), sample.end());
        }
    }
    return trace;
}

struct ViewRow {
    const char* name;
    testing::Capture capture;
};

std::vector<ViewRow> viewRows() {
    return {{"OutgoingDataCall", {sampleTrace("outgoing_data_call.hex"), {}}},
            {"IncomingVoiceCall", {sampleTrace("incoming_voice_call.hex"), {5, 20}}},
            {"FaxBreaksOff", {sampleTrace("fax_breaks_off.hex"), {}}},
            {"CallOpenFromTheStart", {callOpenFromTheStart(40), {}}}};
}

TEST(BoundedViews, WriteTheSameWhetherWhatWaitsStaysInMemoryOrNot) {
    for (const ViewRow& row : viewRows()) {
        for (const bool json : {false, true}) {
            const std::string inMemory = testing::callsText(row.capture, json);
            for (const std::size_t bound : {std::size_t{0}, std::size_t{3000}}) {
                EXPECT_EQ(testing::callsText(row.capture, json, bound), inMemory)
                    << row.name << (json ? ", calls --json" : ", calls") << ", bound " << bound;
            }
            const CheckFormat format = json ? CheckFormat::json : CheckFormat::text;
            const testing::Checked checked = testing::checkOf(row.capture, "trace", format);
            for (const std::size_t bound : {std::size_t{0}, std::size_t{3000}}) {
                const testing::Checked spooled =
                    testing::checkOf(row.capture, "trace", format, bound);
                EXPECT_EQ(spooled.text, checked.text)
                    << row.name << (json ? ", check --json" : ", check") << ", bound " << bound;
                EXPECT_EQ(spooled.counts.notes, checked.counts.notes) << row.name;
            }
        }
    }
}

// The call open from the start is the first block, and the others follow in
// the order they began, though all of them ended before it.
TEST(BoundedViews, ACallOpenFromTheStartComesFirst) {
    const testing::Capture capture{callOpenFromTheStart(40), {}};
    const std::string text = testing::callsText(capture, false, 0);
    EXPECT_EQ(text.rfind("call 1: PLCI 7f01 on controller 1, application 1, incoming", 0), 0u)
        << text.substr(0, 200);
    std::size_t at = 0;
    for (int number = 2; number <= 160; ++number) {
        const std::size_t found = text.find("\ncall " + std::to_string(number) + ":", at);
        ASSERT_NE(found, std::string::npos) << "call " << number;
        at = found + 1;
    }
    const testing::Checked checked = testing::checkOf(capture, "trace", CheckFormat::text, 0);
    EXPECT_EQ(checked.text.rfind("trace:1: note: CONNECT_IND #", 0), 0u)
        << checked.text.substr(0, 200);
}

// ---- The model ----

// Calls one after another, each on a PLCI of its own: the model holds the
// call going and a bounded number of the ends before it, however many there
// were.
TEST(CallModelMemory, ForgetsEachCallOnceItIsHandedOut) {
    const std::vector<Bytes> call = testing::recordsOf(sampleTrace("busy_callee.hex"));
    struct Counting final : CallModelListener {
        void takeCall(const Call&) override { ++calls; }
        void takeFinding(const Finding&) override {}
        std::uint64_t calls = 0;
    } listener;
    CallModel model(listener);
    struct ModelSink final : RecordSink {
        explicit ModelSink(CallModel& fed) : model(fed) {}
        RecordNeeds needs() const override { return {false, true}; }
        int record(const TracedRecord& record) override {
            model.add(record);
            return 0;
        }
        CallModel& model;
    } sink(model);
    RecordPipeline fed({&sink});
    ASSERT_EQ(fed.beginTrace(TraceSource{"trace", false, nullptr}), 0);
    std::size_t mostHeld = 0;
    constexpr int callCount = 3 * static_cast<int>(CallModel::endsRemembered);
    for (int number = 0; number < callCount; ++number) {
        for (Bytes record : call) {
            if (record.size() >= 12 && record[11] != 0) {                  // a message on the PLCI
                record[10] = static_cast<std::uint8_t>(1 + number % 127);  // controller
                record[11] = static_cast<std::uint8_t>(1 + number / 127);  // PLCI
            }
            ASSERT_EQ(fed.records(record, 0), 0);
        }
        mostHeld = std::max(mostHeld, model.callsHeld());
    }
    EXPECT_EQ(listener.calls, static_cast<std::uint64_t>(callCount));
    EXPECT_LE(mostHeld, 1u);
    EXPECT_LE(model.endsHeld(), CallModel::endsRemembered);
    ASSERT_EQ(fed.endTrace(), 0);
    model.finish();
}

}  // namespace
}  // namespace ambertap
