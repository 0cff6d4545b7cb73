// A stream that tests hand to the code under test and read back afterwards.
#pragma once

#include <cstdio>
#include <string>

namespace ambertap::testing {

class CapturedStream {
  public:
    CapturedStream() : file_(std::tmpfile()) {}
    ~CapturedStream() { std::fclose(file_); }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;

    std::FILE* file() const { return file_; }

    // Everything written so far.
    std::string text() const {
        std::fflush(file_);
        const long end = std::ftell(file_);
        std::string written(static_cast<std::size_t>(end), '\0');
        std::rewind(file_);
        const std::size_t read = std::fread(written.data(), 1, written.size(), file_);
        written.resize(read);
        std::fseek(file_, 0, SEEK_END);
        return written;
    }

  private:
    std::FILE* file_;
};

}  // namespace ambertap::testing
