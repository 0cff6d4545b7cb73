#include "block_output.h"

#include <cerrno>

namespace ambertap {

namespace {

// A C library that fails a write without an error number still failed it.
int errorOfFailedWrite() {
    return errno != 0 ? errno : EIO;
}

}  // namespace

int writeBytes(std::FILE* out, const char* bytes, std::size_t size) {
    errno = 0;
    return std::fwrite(bytes, 1, size, out) == size ? 0 : errorOfFailedWrite();
}

int flushStream(std::FILE* out) {
    errno = 0;
    return std::fflush(out) == 0 ? 0 : errorOfFailedWrite();
}

// Out of line, where a compiler sees no part of a block that is not written yet.
void BlockOutput::writeBlock() {
    if (error_ == 0 && used_ > 0) {
        error_ = writeBytes(out_, block_, used_);
    }
    used_ = 0;
}

int BlockOutput::writeOut() {
    writeBlock();
    return error_;
}

int BlockOutput::finish() {
    writeBlock();
    if (error_ == 0) {
        error_ = flushStream(out_);
    }
    return error_;
}

}  // namespace ambertap
