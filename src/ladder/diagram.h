// A ladder diagram of one PLCI's life on its controller, or of an
// application's messages of no call: one lifeline for CAPI and one for each
// application, and rows read top to bottom. It knows nothing of messages'
// bytes: whoever fills it gives each message's texts, already shown as they
// should be (numbers masked where asked), and its pair partner. Runs of
// DATA_B3 messages fold into one band and long runs of messages of no call
// into one counted row as they are added, so that a long trace keeps a
// diagram of bounded size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace ambertap::ladder {

enum class Severity : std::uint8_t { error, warning, note };

// A finding about a message, drawn at its arrow.
struct Mark {
    Severity severity = Severity::note;
    std::string text;
};

// How a message folds into a run of its kind.
enum class Fold : std::uint8_t {
    never,       // always its own arrow
    dataBlock,   // DATA_B3_REQ or DATA_B3_IND: carries `dataBytes` bytes
    dataAnswer,  // DATA_B3_CONF or DATA_B3_RESP
    noCall,      // a message of no call
};

// One message: an arrow between its application's lifeline and CAPI's.
struct Arrow {
    std::uint64_t record = 0;  // in its trace, 1 for the first
    std::uint16_t applId = 0;
    bool put = false;           // the application put it to CAPI (else got it)
    std::string name;           // "CONNECT_REQ"
    std::string parameters;     // its chief parameters, as its line gives them
    std::string time;           // of a capture; empty when the trace has none
    std::uint64_t partner = 0;  // the record of its confirmation or response,
                                // or of its request or indication; 0: none
    std::vector<Mark> marks;
    // Its full decode, one line a string: the message's line, then its
    // parameters.
    std::vector<std::string> decode;
    Fold fold = Fold::never;
    std::uint32_t dataBytes = 0;
};

struct Traffic {
    std::uint64_t blocks = 0;
    std::uint64_t bytes = 0;
};

// A run of DATA_B3 messages of one application, folded into one band.
struct DataBand {
    std::uint16_t applId = 0;
    std::uint64_t firstRecord = 0;
    std::uint64_t lastRecord = 0;
    std::uint64_t messages = 0;
    Traffic sent;      // DATA_B3_REQ
    Traffic received;  // DATA_B3_IND
    // The first messages it folds, in order, up to keptBandArrows; the rest
    // are counted only.
    std::vector<Arrow> arrows;
};

// A break in the trace: no message was seen between the two times.
struct Gap {
    std::string from;
    std::string to;
};

struct NameCount {
    std::string name;
    std::uint64_t count = 0;
};

// A long run of messages of no call of one application, counted.
struct NoCallRun {
    std::uint16_t applId = 0;
    std::uint64_t firstRecord = 0;
    std::uint64_t lastRecord = 0;
    std::uint64_t messages = 0;
    std::vector<NameCount> kinds;  // in the order each kind first came
};

using Row = std::variant<Arrow, DataBand, Gap, NoCallRun>;

// How much a diagram holds, whatever the trace.
struct FoldRules {
    std::size_t dataRunFolded = 2;     // DATA_B3 messages in a row that make a band
    std::size_t noCallRunCounted = 9;  // messages of no call in a row that are counted
    std::size_t keptBandArrows = 256;  // arrows a band keeps to unfold
};
inline constexpr FoldRules foldRules{};

struct DiagramFacts {
    std::size_t input = 1;  // which of the report's inputs, from 1
    // The numbers of its calls as `calls` counts them; none for a diagram of
    // messages of no call.
    std::vector<std::uint64_t> calls;
    // The controller and PLCI parts of the address (the controller alone for
    // messages of no call).
    std::uint16_t plci = 0;
    std::string direction;  // "outgoing", "incoming", ...; empty for no call
};

class Diagram {
  public:
    explicit Diagram(DiagramFacts facts) : facts_(std::move(facts)) {}

    // A message, in trace order. A marked message never folds: its mark must
    // show. A DATA_B3 message or a message of no call may end up inside a
    // band or a counted run.
    void add(Arrow arrow);
    void add(Gap gap);

    const DiagramFacts& facts() const { return facts_; }
    const std::vector<Row>& rows() const { return rows_; }
    // The applications with a lifeline, in increasing order.
    const std::vector<std::uint16_t>& applications() const { return applications_; }
    std::uint64_t firstRecord() const { return firstRecord_; }
    std::uint64_t lastRecord() const { return lastRecord_; }
    std::uint64_t messages() const { return messages_; }

  private:
    enum class RunKind : std::uint8_t { none, data, noCall };
    struct Run {
        RunKind kind = RunKind::none;
        std::uint16_t applId = 0;
        std::size_t firstRow = 0;  // of its arrows, while not folded yet
        bool folded = false;       // the last row is the run's band or count
    };

    void note(const Arrow& arrow);
    void addToRun(RunKind kind, Arrow arrow);
    void foldRun();
    void addToFolded(Arrow arrow);

    DiagramFacts facts_;
    std::vector<Row> rows_;
    std::vector<std::uint16_t> applications_;
    std::uint64_t firstRecord_ = 0;
    std::uint64_t lastRecord_ = 0;
    std::uint64_t messages_ = 0;
    Run run_;
};

// "call 1: PLCI 0101 on controller 1, application 1, outgoing (records 3-28)",
// or "application 1, controller 1: messages of no call (records 1-2)".
std::string headerOf(const Diagram& diagram);

// "CAPI" for lifeline 0, "application N" for the others, or where that is
// wider than `room` characters the shorter "app N", then "N"; the shortest
// is cut to the room.
std::string lifelineName(const Diagram& diagram, std::size_t lifeline, std::size_t room);
// Lifeline 0 is CAPI's; applications follow in increasing order.
std::size_t lifelineCount(const Diagram& diagram);
std::size_t lifelineOf(const Diagram& diagram, std::uint16_t applId);

// What a band says: "DATA_B3: 6 messages, sent 2 blocks (192 bytes), received
// 1 block (42 bytes)", and a counted run: "12 messages of no call: LISTEN_REQ 6,
// LISTEN_CONF 6".
std::string bandText(const DataBand& band);
std::string runText(const NoCallRun& run);
// "3" or "9-20": the records a row spans.
std::string recordsText(std::uint64_t first, std::uint64_t last);
// "record 3" or "records 9-20".
std::string recordsPhrase(std::uint64_t first, std::uint64_t last);
// "no trace from 12:00:01.5 to 12:00:07.2"
std::string gapText(const Gap& gap);

}  // namespace ambertap::ladder
