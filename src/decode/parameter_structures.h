// The structured parameters of CONNECT_REQ, LISTEN_REQ and CONNECT_ACTIVE_IND,
// shown as bracketed number, protocol and byte groups.
#pragma once

#include <cstdint>

#include "byte_reader.h"
#include "line_writer.h"

namespace ambertap {

// How a byte of text from the trace shows: digits and a code page's letters
// as they are, control bytes as '.'. A line break inside a number would split
// its line and could forge one, and ESC, backspace, BEL and the like would
// steer the terminal: numbers come from the network.
char shownCharacter(std::uint8_t byte);

void appendConnectReqParameters(ByteReader& message, LineWriter& line);
void appendListenReqParameters(ByteReader& message, LineWriter& line);
void appendConnectActiveIndParameters(ByteReader& message, LineWriter& line);

}  // namespace ambertap
