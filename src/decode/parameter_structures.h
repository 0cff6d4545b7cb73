// The structured parameters of CONNECT_REQ, LISTEN_REQ and CONNECT_ACTIVE_IND,
// shown as bracketed number, protocol and byte groups.
#pragma once

#include "byte_reader.h"
#include "line_writer.h"

namespace ambertap {

void appendConnectReqParameters(ByteReader& message, LineWriter& line);
void appendListenReqParameters(ByteReader& message, LineWriter& line);
void appendConnectActiveIndParameters(ByteReader& message, LineWriter& line);

}  // namespace ambertap
