// Names of CAPI 2.0 message codes and B protocol numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ambertap {

struct CodeNameEntry {
    std::uint32_t code;
    const char* name;  // null only in the entry that ends a table
};

// A constant table of codes and their names, ended by an entry with a null
// name (code 0 is an ordinary code in most tables). Codes without a name are
// shown as "0x%x".
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
extern const CodeNameTable messageNames;
extern const CodeNameTable b1ProtocolNames;
extern const CodeNameTable b2ProtocolNames;
extern const CodeNameTable b3ProtocolNames;

// The name that messageNames holds for a command word, or an empty text when
// it holds none; found in one step rather than by a scan.
std::string_view messageName(std::uint16_t commandWord);

}  // namespace ambertap
