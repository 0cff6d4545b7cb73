#include "byte_reader.h"

namespace ambertap {

void ByteReader::markCutOff() {
    if (!cutOff_) {
        cutOff_ = true;
        line_.markCutOff();
    }
}

}  // namespace ambertap
