#include "diagram.h"

#include <algorithm>

#include "capi_vocabulary.h"
#include "shown_text.h"

namespace ambertap::ladder {

namespace {

std::string hex4(std::uint16_t value) {
    constexpr char digits[] = "0123456789abcdef";
    return {digits[value >> 12], digits[(value >> 8) & 0xf], digits[(value >> 4) & 0xf],
            digits[value & 0xf]};
}

std::string counted(std::uint64_t count, const char* one, const char* many) {
    return decimal(count) + ' ' + (count == 1 ? one : many);
}

std::string trafficText(const char* way, const Traffic& traffic) {
    return std::string(way) + ' ' + counted(traffic.blocks, "block", "blocks") + " (" +
           counted(traffic.bytes, "byte", "bytes") + ')';
}

void addTraffic(DataBand& band, Arrow&& arrow) {
    band.lastRecord = arrow.record;
    ++band.messages;
    if (arrow.fold == Fold::dataBlock) {
        Traffic& traffic = arrow.put ? band.sent : band.received;
        ++traffic.blocks;
        traffic.bytes += arrow.dataBytes;
    }
    if (band.arrows.size() < foldRules.keptBandArrows) {
        band.arrows.push_back(std::move(arrow));
    }
}

void addKind(NoCallRun& run, const Arrow& arrow) {
    run.lastRecord = arrow.record;
    ++run.messages;
    const auto kind = std::find_if(run.kinds.begin(), run.kinds.end(),
                                   [&](const NameCount& each) { return each.name == arrow.name; });
    if (kind != run.kinds.end()) {
        ++kind->count;
    } else {
        run.kinds.push_back({arrow.name, 1});
    }
}

}  // namespace

void Diagram::note(const Arrow& arrow) {
    if (messages_ == 0 || arrow.record < firstRecord_) {
        firstRecord_ = arrow.record;
    }
    lastRecord_ = std::max(lastRecord_, arrow.record);
    ++messages_;
    const auto at = std::lower_bound(applications_.begin(), applications_.end(), arrow.applId);
    if (at == applications_.end() || *at != arrow.applId) {
        applications_.insert(at, arrow.applId);
    }
}

void Diagram::add(Arrow arrow) {
    note(arrow);
    RunKind kind = RunKind::none;
    if (arrow.marks.empty()) {
        if (arrow.fold == Fold::dataBlock || arrow.fold == Fold::dataAnswer) {
            kind = RunKind::data;
        } else if (arrow.fold == Fold::noCall) {
            kind = RunKind::noCall;
        }
    }
    if (kind == RunKind::none) {
        run_ = {};
        rows_.emplace_back(std::move(arrow));
        return;
    }
    addToRun(kind, std::move(arrow));
}

void Diagram::add(Gap gap) {
    run_ = {};
    rows_.emplace_back(std::move(gap));
}

void Diagram::addToRun(RunKind kind, Arrow arrow) {
    if (run_.kind != kind || run_.applId != arrow.applId) {
        run_ = {kind, arrow.applId, rows_.size(), false};
    }
    if (run_.folded) {
        addToFolded(std::move(arrow));
        return;
    }
    rows_.emplace_back(std::move(arrow));
    const std::size_t length = rows_.size() - run_.firstRow;
    if (length >= (kind == RunKind::data ? foldRules.dataRunFolded : foldRules.noCallRunCounted)) {
        foldRun();
    }
}

// The run's arrows, the last rows, become one band or one count.
void Diagram::foldRun() {
    std::vector<Arrow> arrows;
    for (std::size_t row = run_.firstRow; row < rows_.size(); ++row) {
        arrows.push_back(std::move(std::get<Arrow>(rows_[row])));
    }
    rows_.resize(run_.firstRow);
    if (run_.kind == RunKind::data) {
        DataBand band;
        band.applId = run_.applId;
        band.firstRecord = arrows.front().record;
        for (Arrow& arrow : arrows) {
            addTraffic(band, std::move(arrow));
        }
        rows_.emplace_back(std::move(band));
    } else {
        NoCallRun run;
        run.applId = run_.applId;
        run.firstRecord = arrows.front().record;
        for (const Arrow& arrow : arrows) {
            addKind(run, arrow);
        }
        rows_.emplace_back(std::move(run));
    }
    run_.folded = true;
}

void Diagram::addToFolded(Arrow arrow) {
    if (auto* band = std::get_if<DataBand>(&rows_.back())) {
        addTraffic(*band, std::move(arrow));
    } else {
        addKind(std::get<NoCallRun>(rows_.back()), arrow);
    }
}

std::size_t lifelineCount(const Diagram& diagram) {
    return diagram.applications().size() + 1;
}

std::size_t lifelineOf(const Diagram& diagram, std::uint16_t applId) {
    const auto& applications = diagram.applications();
    const auto at = std::lower_bound(applications.begin(), applications.end(), applId);
    return static_cast<std::size_t>(at - applications.begin()) + 1;
}

std::string lifelineName(const Diagram& diagram, std::size_t lifeline, std::size_t room) {
    if (lifeline == 0) {
        return fitted("CAPI", room);
    }
    const std::string number = decimal(diagram.applications()[lifeline - 1]);
    for (const char* form : {"application ", "app "}) {
        if (std::string name = form + number; name.size() <= room) {
            return name;
        }
    }
    return fitted(number, room);
}

std::string recordsText(std::uint64_t first, std::uint64_t last) {
    return first == last ? decimal(first) : decimal(first) + '-' + decimal(last);
}

std::string recordsPhrase(std::uint64_t first, std::uint64_t last) {
    return (first == last ? "record " : "records ") + recordsText(first, last);
}

std::string headerOf(const Diagram& diagram) {
    const DiagramFacts& facts = diagram.facts();
    std::vector<std::uint64_t> applications(diagram.applications().begin(),
                                            diagram.applications().end());
    const std::string applicationsText =
        (applications.size() == 1 ? "application " : "applications ") + listed(applications);
    std::string controller = "controller " + decimal(CapiAddress::controllerOf(facts.plci));
    if (CapiAddress::isExternal(facts.plci)) {
        controller += " (external)";
    }
    const std::string records =
        diagram.messages() == 0
            ? std::string()
            : " (" + recordsPhrase(diagram.firstRecord(), diagram.lastRecord()) + ')';
    if (facts.calls.empty()) {
        return applicationsText + ", " + controller + ": messages of no call" + records;
    }
    std::string header = (facts.calls.size() == 1 ? "call " : "calls ") + listed(facts.calls) +
                         ": PLCI " + hex4(facts.plci) + " on " + controller + ", " +
                         applicationsText;
    if (!facts.direction.empty()) {
        header += ", " + facts.direction;
    }
    return header + records;
}

std::string bandText(const DataBand& band) {
    std::string text = "DATA_B3: " + counted(band.messages, "message", "messages");
    if (band.sent.blocks > 0) {
        text += ", " + trafficText("sent", band.sent);
    }
    if (band.received.blocks > 0) {
        text += ", " + trafficText("received", band.received);
    }
    return text;
}

std::string runText(const NoCallRun& run) {
    std::string text = counted(run.messages, "message", "messages") + " of no call:";
    for (std::size_t kind = 0; kind < run.kinds.size(); ++kind) {
        text +=
            (kind == 0 ? " " : ", ") + run.kinds[kind].name + ' ' + decimal(run.kinds[kind].count);
    }
    return text;
}

std::string gapText(const Gap& gap) {
    return "no trace from " + gap.from + " to " + gap.to;
}

}  // namespace ambertap::ladder
