#include "code_names.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>

#include "capi_vocabulary.h"

namespace ambertap {

namespace {

// ---- Message names, composed from the vocabulary's rows ----

constexpr std::size_t messageNameCount = std::size(capiCommands) + capiMessageCount();

// Hands each message name to `take` as its code, the command's name and the
// subcommand's suffix: every command's bare name first, then its messages,
// both in the rows' order.
template <typename Take>
constexpr void forEachMessageName(Take take) {
    for (const CapiCommandRow& row : capiCommands) {
        take(static_cast<std::uint16_t>(row.command), std::string_view(row.name),
             std::string_view());
    }
    for (const CapiCommandRow& row : capiCommands) {
        for (const SubcommandName& subcommand : subcommandNames) {
            if (row.subcommands.has(subcommand.subcommand)) {
                take(commandWordOf(row.command, subcommand.subcommand), std::string_view(row.name),
                     std::string_view(subcommand.suffix));
            }
        }
    }
}

constexpr std::size_t messageNameTextSize = [] {
    std::size_t size = 0;
    forEachMessageName([&](std::uint16_t, std::string_view name, std::string_view suffix) {
        size += name.size() + suffix.size() + 1;
    });
    return size;
}();

// Every name and its terminator, one after the other.
constexpr auto messageNameText = [] {
    std::array<char, messageNameTextSize> text{};
    std::size_t at = 0;
    forEachMessageName([&](std::uint16_t, std::string_view name, std::string_view suffix) {
        for (const char c : name) {
            text[at++] = c;
        }
        for (const char c : suffix) {
            text[at++] = c;
        }
        text[at++] = '\0';
    });
    return text;
}();

constexpr auto messageNameEntries = [] {
    std::array<CodeNameEntry, messageNameCount + 1> entries{};
    std::size_t at = 0;
    std::size_t entry = 0;
    forEachMessageName([&](std::uint16_t code, std::string_view name, std::string_view suffix) {
        entries[entry++] = CodeNameEntry{code, &messageNameText[at]};
        at += name.size() + suffix.size() + 1;
    });
    entries[entry] = CodeNameEntry{0, nullptr};
    return entries;
}();

// Every command word that a message name can have, in one slot each: the
// command byte under no subcommand, or under one of the four.
constexpr std::size_t commandCount = 256;
constexpr std::size_t slotsPerCommand = 1 + std::size(subcommandNames);

// 0 for a bare command, 1 to 4 for the subcommands, slotsPerCommand for a
// high byte that is neither.
constexpr std::size_t subcommandSlot(std::uint32_t code) {
    if (code > std::numeric_limits<std::uint16_t>::max()) {
        return slotsPerCommand;
    }
    const Subcommand subcommand = subcommandOf(static_cast<std::uint16_t>(code));
    if (subcommand == Subcommand{}) {
        return 0;
    }
    for (std::size_t slot = 0; slot < std::size(subcommandNames); ++slot) {
        if (subcommandNames[slot].subcommand == subcommand) {
            return slot + 1;
        }
    }
    return slotsPerCommand;
}

constexpr bool hasMessageSlot(std::uint32_t code) {
    return subcommandSlot(code) < slotsPerCommand;
}

constexpr std::size_t messageSlot(std::uint32_t code) {
    const CapiCommand command = commandOf(static_cast<std::uint16_t>(code));
    return subcommandSlot(code) * commandCount + static_cast<std::uint8_t>(command);
}

// Where each slot's name is among the message names: 0 for none, entry k as
// k + 1. Made from the same entries that the table scans, so that the line
// finds a name in one step and finds the same one.
constexpr auto messageNameIndex = [] {
    std::array<std::uint8_t, slotsPerCommand * commandCount> index{};
    std::uint8_t number = 0;
    for (const CodeNameEntry* entry = messageNameEntries.data(); entry->name != nullptr; ++entry) {
        if (!hasMessageSlot(entry->code)) {
            throw "a message name's code is not a command word";
        }
        if (index[messageSlot(entry->code)] != 0) {
            throw "two message names for one command word";
        }
        index[messageSlot(entry->code)] = ++number;
    }
    return index;
}();

// The names in entry order after an empty one, with their lengths.
constexpr auto messageNameTexts = [] {
    std::array<std::string_view, messageNameEntries.size()> texts{};
    for (std::size_t entry = 0; messageNameEntries[entry].name != nullptr; ++entry) {
        texts[entry + 1] = messageNameEntries[entry].name;
    }
    return texts;
}();

// ---- B protocol names ----

struct ProtocolName {
    std::uint16_t number;
    const char* line;  // null where the line shows the number
    const char* full;
};

constexpr ProtocolName b1Protocols[] = {
    {B1Protocol::hdlc, "HDLC Frm", "64 kbit/s with HDLC framing"},
    {B1Protocol::transparent, "Transp", "64 kbit/s bit-transparent"},
    {B1Protocol::v110Asynchronous, "V.110 asyn", "V.110 asynchronous with start/stop"},
    {B1Protocol::v110Synchronous, "V.110 syn", "V.110 synchronous with HDLC"},
    {B1Protocol::t30, "T.30", "T.30 fax group 3"},
    {B1Protocol::hdlcInverted, "HDLC Frm I", "64 kbit/s inverted HDLC"},
    {B1Protocol::transparent56k, "56 kBit/s", "56 kbit/s bit-transparent"},
    {B1Protocol::modemNegotiated, nullptr, "modem with full negotiation"},
    {B1Protocol::modemAsynchronous, nullptr, "modem asynchronous"},
    {B1Protocol::modemSynchronous, nullptr, "modem synchronous"},
};

constexpr ProtocolName b2Protocols[] = {
    {B2Protocol::iso7776, "ISO 7776", "ISO 7776 (X.75 SLP)"},
    {B2Protocol::transparent, "Transp", "transparent"},
    {B2Protocol::sdlc, "SDLC", "SDLC"},
    {B2Protocol::lapdX25, "LAPD", "LAPD for X.25 D channel"},
    {B2Protocol::t30, "T.30", "T.30 fax group 3"},
    {B2Protocol::ppp, "PPP", "point-to-point protocol"},
    {B2Protocol::transparentIgnoringFraming, "Transp (No frm)",
     "transparent ignoring framing errors"},
    {B2Protocol::modemWithCorrection, nullptr, "modem with error correction and compression"},
    {B2Protocol::iso7776V42bis, nullptr, "ISO 7776 with V.42 bis"},
    {B2Protocol::v120Asynchronous, nullptr, "V.120 asynchronous"},
    {B2Protocol::v120AsynchronousV42bis, nullptr, "V.120 asynchronous with V.42 bis"},
    {B2Protocol::v120Transparent, nullptr, "V.120 bit-transparent"},
    {B2Protocol::lapdFreeSapi, nullptr, "LAPD with free SAPI"},
};

constexpr ProtocolName b3Protocols[] = {
    {B3Protocol::transparent, "Transp", "transparent"},
    {B3Protocol::t90, "T.90NL", "T.90NL with T.70NL compatibility"},
    {B3Protocol::iso8208, "ISO 8208", "ISO 8208 (X.25 DTE-DTE)"},
    {B3Protocol::x25Dce, "X.25 DCE", "X.25 DCE"},
    {B3Protocol::t30, "T.30", "T.30 fax group 3"},
    {B3Protocol::t30Extended, nullptr, "T.30 fax group 3 extended"},
    {B3Protocol::modem, nullptr, "modem"},
};

// One column of a protocol table as a table of names, without the rows that
// have no name in it.
template <const auto& rows, const char* ProtocolName::*column>
constexpr auto namesIn() {
    constexpr std::size_t count = [] {
        std::size_t named = 0;
        for (const ProtocolName& row : rows) {
            named += row.*column != nullptr ? 1 : 0;
        }
        return named;
    }();
    std::array<ValueName, count> names{};
    std::size_t at = 0;
    for (const ProtocolName& row : rows) {
        if (row.*column != nullptr) {
            names[at++] = ValueName{row.number, row.*column};
        }
    }
    return names;
}

constexpr auto lineB1 = namesIn<b1Protocols, &ProtocolName::line>();
constexpr auto lineB2 = namesIn<b2Protocols, &ProtocolName::line>();
constexpr auto lineB3 = namesIn<b3Protocols, &ProtocolName::line>();
constexpr auto fullB1 = namesIn<b1Protocols, &ProtocolName::full>();
constexpr auto fullB2 = namesIn<b2Protocols, &ProtocolName::full>();
constexpr auto fullB3 = namesIn<b3Protocols, &ProtocolName::full>();

// The text that CodeNameTable::nameOf gives for a code without a name.
char unnamedCodeBuffer[sizeof UnnamedCodeText::text];

}  // namespace

const char* nameOf(ValueNames names, std::uint32_t value) {
    for (const ValueName& entry : names) {
        if (entry.value == value) {
            return entry.name;
        }
    }
    return nullptr;
}

const char* nameOf(const ValueNames* names, std::uint32_t value) {
    return names != nullptr ? nameOf(*names, value) : nullptr;
}

UnnamedCodeText unnamedCodeText(std::uint32_t code) {
    UnnamedCodeText unnamed{};
    const int length =
        std::snprintf(unnamed.text, sizeof unnamed.text, "0x%x", static_cast<unsigned>(code));
    unnamed.length = static_cast<std::size_t>(length);
    return unnamed;
}

constinit const CodeNameTable messageNames(messageNameEntries.data());

const ValueNames lineB1ProtocolNames{lineB1};
const ValueNames lineB2ProtocolNames{lineB2};
const ValueNames lineB3ProtocolNames{lineB3};
const ValueNames fullB1ProtocolNames{fullB1};
const ValueNames fullB2ProtocolNames{fullB2};
const ValueNames fullB3ProtocolNames{fullB3};

std::string_view messageName(std::uint16_t commandWord) {
    return hasMessageSlot(commandWord)
               ? messageNameTexts[messageNameIndex[messageSlot(commandWord)]]
               : std::string_view();
}

const char* CodeNameTable::find(std::uint32_t code) const {
    for (const CodeNameEntry* entry = entries_; entry->name != nullptr; ++entry) {
        if (entry->code == code) {
            return entry->name;
        }
    }
    return nullptr;
}

void CodeNameTable::copyName(std::uint32_t code, char* out, std::size_t count) const {
    if (const char* name = find(code)) {
        std::strncpy(out, name, count);
        return;
    }
    const UnnamedCodeText unnamed = unnamedCodeText(code);
    const std::size_t withTerminator = unnamed.length + 1;
    std::memcpy(out, unnamed.text, withTerminator < count ? withTerminator : count);
}

const char* CodeNameTable::nameOf(std::uint32_t code) const {
    if (const char* name = find(code)) {
        return name;
    }
    const UnnamedCodeText unnamed = unnamedCodeText(code);
    std::memcpy(unnamedCodeBuffer, unnamed.text, unnamed.length + 1);
    return unnamedCodeBuffer;
}

}  // namespace ambertap
