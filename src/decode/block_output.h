// Lines built straight into a block of output that goes out in one write when
// the next line might not fit, rather than in a write of each line. Every
// line has a room of its own. The first write that fails ends the output: a
// trace that did not reach its reader must not look as if it had.
#pragma once

#include <cstddef>
#include <cstdio>

namespace ambertap {

// Write `size` bytes to `out`, or flush it. Each returns 0, or the C
// library's error number of the write that failed (EIO when it gives none).
int writeBytes(std::FILE* out, const char* bytes, std::size_t size);
int flushStream(std::FILE* out);

class BlockOutput {
  public:
    BlockOutput(const BlockOutput&) = delete;
    BlockOutput& operator=(const BlockOutput&) = delete;

    // Where the next line is built: `room` characters, terminator included
    // and at most the block's size, are free there.
    char* lineSpace(std::size_t room) {
        if (size_ - used_ < room) {
            writeBlock();
        }
        return block_ + used_;
    }

    // Ends the line built at lineSpace(); its newline takes the terminator's place.
    void endLine(std::size_t length) {
        block_[used_ + length] = '\n';
        used_ += length + 1;
    }

    bool failed() const { return error_ != 0; }

    // Writes what is left. Returns 0, or the C library's error number of the
    // first write that failed.
    int writeOut();

    // Writes what is left and flushes the stream, where a write into its
    // buffer that the device refuses first shows.
    int finish();

  protected:
    BlockOutput(std::FILE* out, char* block, std::size_t size)
        : out_(out), block_(block), size_(size) {}
    ~BlockOutput() = default;

  private:
    void writeBlock();

    std::FILE* out_;
    char* block_;
    std::size_t size_;
    std::size_t used_ = 0;
    int error_ = 0;
};

// A block output with its block inside.
template <std::size_t blockSize>
class FixedBlockOutput final : public BlockOutput {
  public:
    explicit FixedBlockOutput(std::FILE* out) : BlockOutput(out, block_, blockSize) {}

  private:
    char block_[blockSize];
};

}  // namespace ambertap
