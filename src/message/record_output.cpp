#include "record_output.h"

#include <cerrno>

namespace ambertap {

void RecordOutput::writeBlock() {
    if (error_ == 0 && used_ > 0) {
        errno = 0;
        if (std::fwrite(block_, 1, used_, out_) != used_) {
            // A C library that fails a write without an error number still failed it.
            error_ = errno != 0 ? errno : EIO;
        }
    }
    used_ = 0;
}

int RecordOutput::finish() {
    writeBlock();
    return error_;
}

}  // namespace ambertap
