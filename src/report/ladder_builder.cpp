#include "ladder_builder.h"

#include <algorithm>

#include "arrow_texts.h"
#include "call_views.h"
#include "capi_vocabulary.h"
#include "decoded_message.h"
#include "text_output.h"

namespace ambertap {

namespace {}  // namespace

ladder::Severity ladderSeverity(Severity severity) {
    switch (severity) {
        case Severity::error:
            return ladder::Severity::error;
        case Severity::warning:
            return ladder::Severity::warning;
        case Severity::note:
            return ladder::Severity::note;
    }
    return ladder::Severity::note;
}

namespace {

std::string wordsOf(const Finding& finding) {
    TextOutput words(nullptr);
    appendFindingText(words, finding);
    return std::string(words.held());
}

// A request or an indication waits for its confirmation or response.
bool waitsForAnswer(std::uint16_t commandWord) {
    const Subcommand subcommand = subcommandOf(commandWord);
    return subcommand == Subcommand::request || subcommand == Subcommand::indication;
}

ladder::Fold foldOf(std::uint16_t commandWord, bool ofNoCall) {
    if (ofNoCall) {
        return ladder::Fold::noCall;
    }
    if (commandOf(commandWord) != CapiCommand::dataB3) {
        return ladder::Fold::never;
    }
    const Subcommand subcommand = subcommandOf(commandWord);
    return subcommand == Subcommand::request || subcommand == Subcommand::indication
               ? ladder::Fold::dataBlock
               : ladder::Fold::dataAnswer;
}

std::uint32_t noCallKey(std::uint16_t applId, std::uint8_t controller) {
    return std::uint32_t{applId} << 8 | controller;
}

}  // namespace

// ---- The first pass ----

class LadderBuilder::Survey final : public CallModelListener {
  public:
    explicit Survey(LadderBuilder& builder) : builder_(builder), model_(*this) {}

    void record(const TracedRecord& record) {
        current_ = record.index;
        model_.add(record);
    }
    void gap(const CaptureGap& gap) { model_.addGap(gap); }

    void finish() {
        ++current_;
        model_.finish();
        for (auto& [number, call] : calls_) {
            builder_.calls_.push_back({std::move(call), 0});
        }
        builder_.noCalls_ = model_.noCallMessages();
        builder_.planDiagrams(model_);
        countMessages();
        placeFindings();
    }

    void takeCall(const Call& call) override { calls_.emplace(call.number, call); }

    void takeFinding(const Finding& finding) override {
        std::string text = wordsOf(finding);
        builder_.marks_.emplace(finding.subject.record,
                                ladder::Mark{ladderSeverity(finding.severity()), text});
        const std::uint64_t subject = finding.subject.record;
        if (const auto recent = recentPlaces_.find(subject); recent != recentPlaces_.end()) {
            findingPlaces_.emplace(builder_.findings_.size(), diagramOf(recent->second));
        } else if (subject > lastPlaced_) {
            unplacedFindings_.emplace(subject, builder_.findings_.size());
        }
        builder_.findings_.push_back({finding, std::move(text)});
    }

    // What a drawing pass no longer waits for when it comes.
    void takePlace(const RecordPlace& place) override {
        notePlace(place);
        if (place.call != 0) {
            ++messagesOfCall_[place.call];
        } else {
            ++messagesOfNoCall_[noCallKey(place.applId, place.controller)];
        }
        const std::uint64_t window = builder_.bounds_.partnerWindow;
        if (current_ - place.record > window) {
            builder_.latePlaces_.emplace(place.record, place);
        }
        if (place.answers != 0 && current_ - place.answers > window) {
            builder_.lateAnswers_.emplace(place.answers, place.record);
        }
    }

  private:
    // The diagrams are planned once the pass ends: until then a place is
    // kept as the key of its call or of its application's messages of no call.
    struct PlaceKey {
        std::uint64_t call = 0;
        std::uint32_t noCall = 0;
    };

    static PlaceKey diagramOf(const RecordPlace& place) {
        return {place.call, noCallKey(place.applId, place.controller)};
    }

    // The places of the last records, for the findings about them proven
    // since, and the findings waiting for their message's place.
    void notePlace(const RecordPlace& place) {
        lastPlaced_ = place.record;
        const auto [first, last] = unplacedFindings_.equal_range(place.record);
        for (auto waiting = first; waiting != last; ++waiting) {
            findingPlaces_.emplace(waiting->second, diagramOf(place));
        }
        unplacedFindings_.erase(first, last);
        recentPlaces_.emplace(place.record, place);
        recentOrder_.push_back(place.record);
        if (recentOrder_.size() > builder_.bounds_.partnerWindow) {
            recentPlaces_.erase(recentOrder_.front());
            recentOrder_.pop_front();
        }
    }

    void placeFindings() {
        for (const auto& [index, key] : findingPlaces_) {
            builder_.findings_[index].diagram = diagramIndex(key);
        }
    }

    std::size_t diagramIndex(const PlaceKey& key) const {
        if (key.call != 0) {
            return builder_.calls_.at(static_cast<std::size_t>(key.call - 1)).diagram;
        }
        const auto found = builder_.noCallDiagram_.find(key.noCall);
        return found != builder_.noCallDiagram_.end() ? found->second
                                                      : SurveyedFinding::unknownDiagram;
    }

    void countMessages() {
        for (const SurveyedCall& surveyed : builder_.calls_) {
            builder_.plans_[surveyed.diagram].messages += messagesOfCall_[surveyed.call.number];
        }
        for (const auto& [key, index] : builder_.noCallDiagram_) {
            builder_.plans_[index].messages = messagesOfNoCall_[key];
        }
    }

    LadderBuilder& builder_;
    CallModel model_;
    std::uint64_t current_ = 0;
    std::map<std::uint64_t, Call> calls_;
    std::unordered_map<std::uint64_t, std::uint64_t> messagesOfCall_;
    std::unordered_map<std::uint32_t, std::uint64_t> messagesOfNoCall_;
    std::unordered_map<std::uint64_t, RecordPlace> recentPlaces_;
    std::deque<std::uint64_t> recentOrder_;
    std::uint64_t lastPlaced_ = 0;
    std::multimap<std::uint64_t, std::size_t> unplacedFindings_;  // record -> finding
    std::unordered_map<std::size_t, PlaceKey> findingPlaces_;     // finding -> its place
};

// ---- The passes that draw ----

class LadderBuilder::Drawing final : public CallModelListener {
  public:
    Drawing(LadderBuilder& builder, DiagramOutput* out)
        : builder_(builder), out_(out), model_(*this) {}

    void record(const TracedRecord& record) {
        Entry& entry = queue_.emplace_back();
        entry.record = record.index;
        entry.texts = arrowTextsOf(record);
        if (builder_.capture_) {
            entry.time = timeText(record.seenAt, record.precision);
        }
        byRecord_.emplace(record.index, &entry);
        model_.add(record);
        releaseUpTo(record.index);
    }

    void gap(const CaptureGap& gap, const ladder::Gap& drawn) {
        model_.addGap(gap);
        Entry& entry = queue_.emplace_back();
        entry.isGap = true;
        entry.gap = drawn;
    }

    void finish() {
        model_.finish();
        while (!queue_.empty()) {
            release();
        }
        handOutInOrder();
    }

    void takeCall(const Call&) override {}
    void takeFinding(const Finding&) override {}

    void takePlace(const RecordPlace& place) override {
        if (const auto found = byRecord_.find(place.record); found != byRecord_.end()) {
            found->second->placed = true;
            found->second->place = place;
        }
        if (place.answers == 0) {
            return;
        }
        if (const auto found = byRecord_.find(place.answers); found != byRecord_.end()) {
            found->second->answeredBy = place.record;
        }
    }

  private:
    struct Entry {
        bool isGap = false;
        ladder::Gap gap;
        std::uint64_t record = 0;
        ArrowTexts texts;
        std::string time;
        bool placed = false;
        RecordPlace place;
        std::uint64_t answeredBy = 0;

        bool settled() const {
            return isGap || (placed && (answeredBy != 0 || !waitsForAnswer(texts.commandWord)));
        }
    };

    void releaseUpTo(std::uint64_t index) {
        while (!queue_.empty() &&
               (queue_.front().settled() ||
                index - queue_.front().record >= builder_.bounds_.partnerWindow)) {
            release();
        }
        handOutInOrder();
    }

    void release() {
        Entry& entry = queue_.front();
        if (entry.isGap) {
            drawGap(entry.gap);
        } else {
            byRecord_.erase(entry.record);
            draw(entry);
            lastReleased_ = entry.record;
        }
        queue_.pop_front();
    }

    void drawGap(const ladder::Gap& gap) {
        for (auto& [index, diagram] : held_) {
            const DiagramPlan& plan = builder_.plans_[index];
            if (plan.firstRecord <= lastReleased_ && lastReleased_ < plan.lastRecord) {
                diagram->add(gap);
            }
        }
    }

    const RecordPlace* placeOf(const Entry& entry) const {
        if (entry.placed) {
            return &entry.place;
        }
        const auto late = builder_.latePlaces_.find(entry.record);
        return late != builder_.latePlaces_.end() ? &late->second : nullptr;
    }

    std::uint64_t partnerOf(const Entry& entry, const RecordPlace& place) const {
        if (place.answers != 0) {
            return place.answers;
        }
        if (entry.answeredBy != 0) {
            return entry.answeredBy;
        }
        const auto late = builder_.lateAnswers_.find(entry.record);
        return late != builder_.lateAnswers_.end() ? late->second : 0;
    }

    // SIZE_MAX for a message that the model counts neither in a call nor
    // among the messages of no call, as a message cut by the trace's end.
    std::size_t diagramOf(const RecordPlace& place) const {
        if (place.call != 0) {
            return builder_.calls_.at(static_cast<std::size_t>(place.call - 1)).diagram;
        }
        const auto found = builder_.noCallDiagram_.find(noCallKey(place.applId, place.controller));
        return found != builder_.noCallDiagram_.end() ? found->second : SIZE_MAX;
    }

    // The diagram a message goes into, made when it is the diagram's first;
    // null when an earlier pass drew it or a later one will.
    ladder::Diagram* heldDiagram(std::size_t index) {
        if (index < builder_.nextDiagram_ || index >= builder_.drawn_ ||
            index >= builder_.plans_.size()) {
            return nullptr;
        }
        if (const auto found = held_.find(index); found != held_.end()) {
            return found->second.get();
        }
        // Only the diagrams next in order are held, so that each pass hands out
        // at least the first it holds; one refused here waits for the next
        // pass whole, since its first messages are not drawn.
        if (index >= firstDeferred_ ||
            index >= builder_.nextDiagram_ + builder_.bounds_.heldDiagrams) {
            firstDeferred_ = std::min(firstDeferred_, index);
            return nullptr;
        }
        auto made = std::make_unique<ladder::Diagram>(builder_.plans_[index].facts);
        return held_.emplace(index, std::move(made)).first->second.get();
    }

    void draw(Entry& entry) {
        const RecordPlace* place = placeOf(entry);
        if (place == nullptr || !entry.texts.message) {
            return;  // no message of a call or of no call
        }
        ladder::Diagram* diagram = heldDiagram(diagramOf(*place));
        if (diagram == nullptr) {
            return;
        }
        ladder::Arrow arrow;
        arrow.record = entry.record;
        arrow.applId = entry.texts.applId;
        arrow.put = entry.texts.put;
        arrow.name = std::move(entry.texts.name);
        arrow.parameters = std::move(entry.texts.parameters);
        arrow.time = std::move(entry.time);
        arrow.partner = partnerOf(entry, *place);
        const auto [first, last] = builder_.marks_.equal_range(entry.record);
        for (auto mark = first; mark != last; ++mark) {
            arrow.marks.push_back(mark->second);
        }
        arrow.decode = std::move(entry.texts.decode);
        arrow.fold = foldOf(entry.texts.commandWord, place->call == 0);
        arrow.dataBytes = entry.texts.dataBytes;
        diagram->add(std::move(arrow));
    }

    // Every diagram before it handed out, and every record of it drawn.
    bool complete(std::size_t index, bool traceEnded) const {
        return traceEnded || builder_.plans_[index].lastRecord <= lastReleased_;
    }

    void handOutInOrder() {
        const bool traceEnded = queue_.empty() && ended_;
        while (true) {
            // A diagram that no message is drawn in (the model's listing of
            // an application's messages of no call may hold none) is never
            // held: it is passed over, so that the passes end.
            if (builder_.nextDiagram_ < builder_.plans_.size() &&
                builder_.plans_[builder_.nextDiagram_].messages == 0) {
                ++builder_.nextDiagram_;
                continue;
            }
            const auto found = held_.find(builder_.nextDiagram_);
            if (found == held_.end() || !complete(found->first, traceEnded)) {
                return;
            }
            if (out_ != nullptr) {
                out_->diagram(*found->second);
            }
            held_.erase(found);
            ++builder_.nextDiagram_;
        }
    }

  public:
    void end() {
        ended_ = true;
        finish();
    }

  private:
    LadderBuilder& builder_;
    DiagramOutput* out_;
    CallModel model_;
    std::deque<Entry> queue_;
    std::unordered_map<std::uint64_t, Entry*> byRecord_;
    std::map<std::size_t, std::unique_ptr<ladder::Diagram>> held_;
    std::size_t firstDeferred_ = SIZE_MAX;
    std::uint64_t lastReleased_ = 0;
    bool ended_ = false;
};

// ---- The builder ----

LadderBuilder::LadderBuilder(std::size_t input, LadderBounds bounds)
    : input_(input), bounds_(bounds) {}

LadderBuilder::~LadderBuilder() = default;

void LadderBuilder::beginPass(DiagramOutput& out, bool capture) {
    ++pass_;
    out_ = &out;
    capture_ = capture;
    gapsThisPass_ = 0;
    if (pass_ == 1) {
        survey_ = std::make_unique<Survey>(*this);
    } else {
        drawing_ = std::make_unique<Drawing>(*this, out_);
    }
}

void LadderBuilder::record(const TracedRecord& record) {
    if (pass_ > 1 && record.index > surveyedRecords_) {
        return;  // the trace grew since the first pass
    }
    if (pass_ == 1) {
        surveyedRecords_ = record.index;
        survey_->record(record);
        return;
    }
    drawing_->record(record);
}

void LadderBuilder::gap(const CaptureGap& gap) {
    if (pass_ == 1) {
        ++surveyedGaps_;
        survey_->gap(gap);
        return;
    }
    if (gapsThisPass_ >= surveyedGaps_) {
        return;
    }
    ++gapsThisPass_;
    drawing_->gap(gap, {timeText(gap.from, TimePrecision::milliseconds),
                        timeText(gap.to, TimePrecision::milliseconds)});
}

bool LadderBuilder::endPass() {
    if (pass_ == 1) {
        survey_->finish();
        survey_.reset();
        return !plans_.empty();
    }
    drawing_->end();
    drawing_.reset();
    return diagramsLeft();
}

void LadderBuilder::planDiagrams(const CallModel& model) {
    // A PLCI's calls that overlap, as an incoming call offered to several
    // applications does, are one diagram.
    std::unordered_map<std::uint16_t, std::size_t> openOnPlci;
    for (SurveyedCall& surveyed : calls_) {
        const Call& call = surveyed.call;
        const auto open = openOnPlci.find(call.plci);
        if (open != openOnPlci.end() && call.firstRecord <= plans_[open->second].lastRecord) {
            DiagramPlan& plan = plans_[open->second];
            plan.facts.calls.push_back(call.number);
            plan.lastRecord = std::max(plan.lastRecord, call.lastRecord);
            surveyed.diagram = open->second;
            continue;
        }
        DiagramPlan plan;
        plan.facts.input = input_;
        plan.facts.calls = {call.number};
        plan.facts.plci = call.plci;
        plan.facts.direction = directionText(call.direction);
        plan.firstRecord = call.firstRecord;
        plan.lastRecord = call.lastRecord;
        surveyed.diagram = plans_.size();
        openOnPlci[call.plci] = plans_.size();
        plans_.push_back(std::move(plan));
    }
    for (const NoCallMessages& group : model.noCallMessages()) {
        DiagramPlan plan;
        plan.facts.input = input_;
        plan.facts.plci = group.controller;
        plan.applId = group.applId;
        plan.controller = group.controller;
        plan.firstRecord = group.firstRecord;
        plan.lastRecord = group.lastRecord;
        noCallDiagram_[noCallKey(group.applId, group.controller)] = plans_.size();
        plans_.push_back(std::move(plan));
    }
}

}  // namespace ambertap
