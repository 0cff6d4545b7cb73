#include "code_names.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace ambertap {

namespace {

constexpr CodeNameEntry messageNameEntries[] = {
    {0x0001, "ALERT"},
    {0x0002, "CONNECT"},
    {0x0003, "CONNECT_ACTIVE"},
    {0x0083, "CONNECT_B3_ACTIVE"},
    {0x0082, "CONNECT_B3"},
    {0x0088, "CONNECT_B3_T90_ACTIVE"},
    {0x0086, "DATA_B3"},
    {0x0084, "DISCONNECT_B3"},
    {0x0004, "DISCONNECT"},
    {0x0080, "FACILITY"},
    {0x0008, "INFO"},
    {0x0005, "LISTEN"},
    {0x00ff, "MANUFACTURER"},
    {0x0087, "RESET_B3"},
    {0x0041, "SELECT_B_PROTOCOL"},
    {0x8001, "ALERT_REQ"},
    {0x8101, "ALERT_CONF"},
    {0x8002, "CONNECT_REQ"},
    {0x8102, "CONNECT_CONF"},
    {0x8202, "CONNECT_IND"},
    {0x8302, "CONNECT_RESP"},
    {0x8203, "CONNECT_ACTIVE_IND"},
    {0x8303, "CONNECT_ACTIVE_RESP"},
    {0x8283, "CONNECT_B3_ACTIVE_IND"},
    {0x8383, "CONNECT_B3_ACTIVE_RESP"},
    {0x8082, "CONNECT_B3_REQ"},
    {0x8182, "CONNECT_B3_CONF"},
    {0x8282, "CONNECT_B3_IND"},
    {0x8382, "CONNECT_B3_RESP"},
    {0x8288, "CONNECT_B3_T90_ACTIVE_IND"},
    {0x8388, "CONNECT_B3_T90_ACTIVE_RESP"},
    {0x8086, "DATA_B3_REQ"},
    {0x8186, "DATA_B3_CONF"},
    {0x8286, "DATA_B3_IND"},
    {0x8386, "DATA_B3_RESP"},
    {0x8084, "DISCONNECT_B3_REQ"},
    {0x8184, "DISCONNECT_B3_CONF"},
    {0x8284, "DISCONNECT_B3_IND"},
    {0x8384, "DISCONNECT_B3_RESP"},
    {0x8004, "DISCONNECT_REQ"},
    {0x8104, "DISCONNECT_CONF"},
    {0x8204, "DISCONNECT_IND"},
    {0x8304, "DISCONNECT_RESP"},
    {0x8080, "FACILITY_REQ"},
    {0x8180, "FACILITY_CONF"},
    {0x8280, "FACILITY_IND"},
    {0x8380, "FACILITY_RESP"},
    {0x8008, "INFO_REQ"},
    {0x8108, "INFO_CONF"},
    {0x8208, "INFO_IND"},
    {0x8308, "INFO_RESP"},
    {0x8005, "LISTEN_REQ"},
    {0x8105, "LISTEN_CONF"},
    {0x80ff, "MANUFACTURER_REQ"},
    {0x81ff, "MANUFACTURER_CONF"},
    {0x82ff, "MANUFACTURER_IND"},
    {0x83ff, "MANUFACTURER_RESP"},
    {0x8087, "RESET_B3_REQ"},
    {0x8187, "RESET_B3_CONF"},
    {0x8287, "RESET_B3_IND"},
    {0x8387, "RESET_B3_RESP"},
    {0x8041, "SELECT_B_PROTOCOL_REQ"},
    {0x8141, "SELECT_B_PROTOCOL_CONF"},
    {0, nullptr},
};

constexpr CodeNameEntry b1ProtocolEntries[] = {
    {0, "HDLC Frm"}, {1, "Transp"},     {2, "V.110 asyn"}, {3, "V.110 syn"},
    {4, "T.30"},     {5, "HDLC Frm I"}, {6, "56 kBit/s"},  {0, nullptr},
};

constexpr CodeNameEntry b2ProtocolEntries[] = {
    {0, "ISO 7776"}, {1, "Transp"},          {2, "SDLC"},  {3, "LAPD"}, {4, "T.30"},
    {5, "PPP"},      {6, "Transp (No frm)"}, {0, nullptr},
};

constexpr CodeNameEntry b3ProtocolEntries[] = {
    {0, "Transp"}, {1, "T.90NL"}, {2, "ISO 8208"}, {3, "X.25 DCE"}, {4, "T.30"}, {0, nullptr},
};

// "0x" and up to eight digits of a 32-bit code, and the terminator.
char unnamedCodeText[12];

// Every command word that a message name can have, in one slot each: the
// command byte under no subcommand, REQ, CONF, IND or RESP.
constexpr std::size_t commandCount = 256;
constexpr std::size_t subcommandCount = 5;

constexpr bool hasMessageSlot(std::uint32_t word) {
    const std::uint32_t subcommand = word >> 8;
    return subcommand == 0 || (subcommand >= 0x80 && subcommand <= 0x83);
}

constexpr std::size_t messageSlot(std::uint32_t word) {
    const std::uint32_t subcommand = word >> 8;
    const std::uint32_t subcommandSlot = subcommand == 0 ? 0 : subcommand - 0x7f;
    return subcommandSlot * commandCount + (word & 0xff);
}

// Where each slot's name is among the message names: 0 for none, entry k as
// k + 1. Made from the same entries that the table scans, so that the line
// finds a name in one step and finds the same one.
constexpr auto messageNameIndex = [] {
    std::array<std::uint8_t, subcommandCount * commandCount> index{};
    std::uint8_t number = 0;
    for (const CodeNameEntry* entry = messageNameEntries; entry->name != nullptr; ++entry) {
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
    std::array<std::string_view, std::size(messageNameEntries)> texts{};
    for (std::size_t entry = 0; messageNameEntries[entry].name != nullptr; ++entry) {
        texts[entry + 1] = messageNameEntries[entry].name;
    }
    return texts;
}();

}  // namespace

constinit const CodeNameTable messageNames(messageNameEntries);
constinit const CodeNameTable b1ProtocolNames(b1ProtocolEntries);
constinit const CodeNameTable b2ProtocolNames(b2ProtocolEntries);
constinit const CodeNameTable b3ProtocolNames(b3ProtocolEntries);

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
    char text[sizeof unnamedCodeText];
    const int length = std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(code));
    const std::size_t withTerminator = static_cast<std::size_t>(length) + 1;
    std::memcpy(out, text, withTerminator < count ? withTerminator : count);
}

const char* CodeNameTable::nameOf(std::uint32_t code) const {
    if (const char* name = find(code)) {
        return name;
    }
    std::snprintf(unnamedCodeText, sizeof unnamedCodeText, "0x%x", static_cast<unsigned>(code));
    return unnamedCodeText;
}

}  // namespace ambertap
