// Decoded information elements said in words, for views that summarise a
// call rather than show every field.
#pragma once

#include <string>

#include "decoded_message.h"

namespace ambertap {

// A BC's or LLC's service: its information transfer capability, rate,
// transfer mode and layer 1 protocol, as far as the element holds them, such
// as "speech, 64 kbit/s, circuit mode, G.711 A-law". A value without a name
// is shown by its field's label and number. Empty when the element holds
// none of them.
std::string bearerDescription(const DecodedMessage& message, const Field& bearer);

// A cause element's cause and where it arose, such as "user busy (cause 17),
// from the public network serving the remote user". Empty when the element
// holds no cause value.
std::string causeDescription(const DecodedMessage& message, const Field& cause);

}  // namespace ambertap
