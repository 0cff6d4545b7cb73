// Names of CAPI 2.0 message codes and B protocol numbers, made from the
// vocabulary, and the one lookup that every table of names offers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace ambertap {

// ---- Values and their names ----

struct ValueName {
    std::uint32_t value;
    const char* name;
};

// A constant table of values, or of bit numbers for a bit mask.
using ValueNames = std::span<const ValueName>;

// The name of `value`, or null: the one lookup of every table of names.
const char* nameOf(ValueNames names, std::uint32_t value);
// The same in a table that may be absent.
const char* nameOf(const ValueNames* names, std::uint32_t value);

// How a code without a name shows, wherever it shows: "0x%x".
struct UnnamedCodeText {
    char text[12];  // "0x", up to eight digits and the terminator
    std::size_t length;

    std::string_view view() const { return {text, length}; }
};
UnnamedCodeText unnamedCodeText(std::uint32_t code);

// ---- The line's message names ----

struct CodeNameEntry {
    std::uint32_t code;
    const char* name;  // null only in the entry that ends a table
};

// A constant table of codes and their names, ended by an entry with a null
// name (code 0 is an ordinary code in most tables). Codes without a name are
// shown as unnamedCodeText shows them.
class CodeNameTable {
  public:
    constexpr explicit CodeNameTable(const CodeNameEntry* entries) : entries_(entries) {}

    // Writes the name with fixed-count copy semantics: at most `count`
    // characters, the rest of `count` filled with NULs, and no terminator when
    // the name has `count` characters or more. A code without a name is written
    // as "0x%x" and its terminator, cut the same way when `count` is too small.
    void copyName(std::uint32_t code, char* out, std::size_t count) const;

    // The name, or "0x%x" in a buffer shared by all tables that stays valid
    // until the next code without a name is looked up.
    const char* nameOf(std::uint32_t code) const;

  private:
    const char* find(std::uint32_t code) const;

    const CodeNameEntry* entries_;
};

// Keyed by the command word: command in the low byte, subcommand in the high.
// Every command's bare name (under subcommand byte 0) and every message's name.
extern const CodeNameTable messageNames;

// The name that messageNames holds for a command word, or an empty text when
// it holds none; found in one step rather than by a scan.
std::string_view messageName(std::uint16_t commandWord);

// ---- B protocol names ----

// The short names of ambertap's line, and the full names of the views that
// show every parameter; one table of both for each layer.
extern const ValueNames lineB1ProtocolNames;
extern const ValueNames lineB2ProtocolNames;
extern const ValueNames lineB3ProtocolNames;
extern const ValueNames fullB1ProtocolNames;
extern const ValueNames fullB2ProtocolNames;
extern const ValueNames fullB3ProtocolNames;

}  // namespace ambertap
