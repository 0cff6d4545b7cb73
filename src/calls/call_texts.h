// How the calls and check views name messages, addresses and values.
#pragma once

#include <cstdint>

#include "call_model.h"
#include "text_output.h"

namespace ambertap {

// "CONNECT_B3_IND", or the command word as "0x%x" for a word without a name.
void appendMessageName(TextOutput& out, std::uint16_t commandWord);
// "DATA_B3_IND #0102": the name and the message number.
void appendMessage(TextOutput& out, const MessageRef& message);
// "NCCI 00010101", "PLCI 0101" or "controller 1", by the parts it holds.
void appendAddress(TextOutput& out, std::uint32_t address);
// "Reason 3490 (normal call clearing)": a word and its meaning, where it has one.
void appendMeaning(TextOutput& out, const char* label, std::uint16_t value, const char* meaning);

// The meaning of an Info, Reason or Reason_B3 value, or null.
const char* infoText(std::uint16_t value);
// The meaning of a CONNECT_RESP's Reject value, or null.
const char* rejectText(std::uint16_t value);

}  // namespace ambertap
