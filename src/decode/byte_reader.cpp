#include "byte_reader.h"

namespace ambertap {

void ByteReader::markCutOff() {
    if (!cutOff_) {
        cutOff_ = true;
        line_.markCutOff();
    }
}

// A structure that the data does not hold whole, or one after the message was
// found cut off, shows no content.
Structure ByteReader::structureCutOff(std::size_t offset) {
    const std::size_t length = u8(offset);
    if (!cutOff_) {
        holds(offset + 1, length);
    }
    return Structure{offset, 0};
}

}  // namespace ambertap
