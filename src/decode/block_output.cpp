#include "block_output.h"

#include <cerrno>

namespace ambertap {

namespace {

// A C library that fails a write without an error number still failed it.
int errorOfFailedWrite() {
    return errno != 0 ? errno : EIO;
}

}  // namespace

void BlockOutput::writeBlock() {
    if (error_ == 0 && used_ > 0) {
        errno = 0;
        if (std::fwrite(block_, 1, used_, out_) != used_) {
            error_ = errorOfFailedWrite();
        }
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
        errno = 0;
        if (std::fflush(out_) != 0) {
            error_ = errorOfFailedWrite();
        }
    }
    return error_;
}

}  // namespace ambertap
