// The lines of one record's view, built in a block of fixed room and written
// in whole blocks.
#pragma once

#include <cstddef>
#include <cstdio>

namespace ambertap {

class RecordOutput {
  public:
    // The most room one line may ask for: a JSON record at its longest.
    static constexpr std::size_t largestLine = 32 * 1024;

    explicit RecordOutput(std::FILE* out) : out_(out) {}
    RecordOutput(const RecordOutput&) = delete;
    RecordOutput& operator=(const RecordOutput&) = delete;

    // Where the next line is built: `room` characters (up to largestLine),
    // terminator included, are free there.
    char* lineSpace(std::size_t room) {
        if (sizeof block_ - used_ < room) {
            writeBlock();
        }
        return block_ + used_;
    }
    // Ends the line built at lineSpace(); its newline takes the terminator's place.
    void endLine(std::size_t length) {
        block_[used_ + length] = '\n';
        used_ += length + 1;
    }
    // Writes what is left; 0, or the C library's error number of the first
    // write that failed.
    int finish();

  private:
    // Defined apart from the code that fills the block: a compiler that sees
    // both warns that the block may be written unfilled, which an empty block
    // never is.
    void writeBlock();

    std::FILE* out_;
    std::size_t used_ = 0;
    int error_ = 0;
    char block_[largestLine + 8 * 1024];
};

}  // namespace ambertap
