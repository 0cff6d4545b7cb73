// Files on POSIX systems.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "file_system.h"

namespace ambertap {

namespace {

std::string folderOf(const std::string& name) {
    const std::size_t slash = name.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : name.substr(0, slash);
}

// The new name comes into being only if no file has it: a link fails rather
// than replace. File systems without hard links fall back on a check and a
// rename, which another writer could race.
bool nameWithoutReplacing(const std::string& temporary, const char* name) {
    if (::link(temporary.c_str(), name) == 0) {
        ::unlink(temporary.c_str());
        return true;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EXDEV) {
        return false;
    }
    if (nameExists(name)) {
        errno = EEXIST;
        return false;
    }
    return ::rename(temporary.c_str(), name) == 0;
}

// The rename itself reaches the disk only with its folder.
void flushFolder(const std::string& folder) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

WriteOutcome failedAt(WriteStep step) {
    return {step, {errno}};
}

// Gives the written temporary file its name, or removes it.
WriteOutcome nameTemporary(const std::string& temporary, const char* name, bool replaceExisting) {
    // mkstemp makes the file for its owner alone; what is written is an ordinary file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(temporary.c_str(), 0666 & ~mask);
    const bool named = replaceExisting ? ::rename(temporary.c_str(), name) == 0
                                       : nameWithoutReplacing(temporary, name);
    if (named) {
        flushFolder(folderOf(name));
        return {};
    }
    const WriteOutcome outcome = failedAt(errno == EEXIST ? WriteStep::exists : WriteStep::rename);
    ::unlink(temporary.c_str());
    return outcome;
}

}  // namespace

std::string describe(SystemError error) {
    return std::strerror(error.code);
}

std::FILE* openForReading(const char* name, SystemError& error) {
    std::FILE* file = std::fopen(name, "rb");
    if (file == nullptr) {
        error.code = errno;
    }
    return file;
}

bool nameExists(const char* name) {
    struct stat status {};
    return ::lstat(name, &status) == 0;
}

std::int64_t secondsSince1970() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::int64_t millisecondsSince1970() {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

bool isTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) != 0;
}

std::size_t terminalColumns(std::FILE* stream) {
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) != 0) {
        return 0;
    }
    return size.ws_col;
}

std::FILE* openScratchFile(SystemError& error) {
    const char* folder = std::getenv("TMPDIR");
    std::string name =
        std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/ambertrace.XXXXXX";
    const int descriptor = ::mkstemp(name.data());
    if (descriptor < 0) {
        error.code = errno;
        return nullptr;
    }
    ::unlink(name.c_str());
    std::FILE* file = ::fdopen(descriptor, "w+b");
    if (file == nullptr) {
        error.code = errno;
        ::close(descriptor);
    }
    return file;
}

void useBinaryMode(std::FILE*) {}

StreamedFile::~StreamedFile() {
    discard();
}

WriteOutcome StreamedFile::create(const char* name, bool replaceExisting) {
    discard();
    if (!replaceExisting && nameExists(name)) {
        return {WriteStep::exists, {EEXIST}};
    }
    std::string temporary = std::string(name) + ".XXXXXX";
    const int descriptor = ::mkstemp(temporary.data());
    if (descriptor < 0) {
        return failedAt(WriteStep::create);
    }
    stream_ = ::fdopen(descriptor, "wb");
    if (stream_ == nullptr) {
        const WriteOutcome outcome = failedAt(WriteStep::create);
        ::close(descriptor);
        ::unlink(temporary.c_str());
        return outcome;
    }
    name_ = name;
    temporary_ = std::move(temporary);
    replaceExisting_ = replaceExisting;
    return {};
}

WriteOutcome StreamedFile::commit() {
    WriteOutcome outcome;
    if (std::fflush(stream_) != 0 || std::ferror(stream_) != 0) {
        outcome = failedAt(WriteStep::write);
    }
    if (outcome.succeeded() && ::fsync(::fileno(stream_)) != 0) {
        outcome = failedAt(WriteStep::flush);
    }
    if (std::fclose(stream_) != 0 && outcome.succeeded()) {
        outcome = failedAt(WriteStep::flush);
    }
    stream_ = nullptr;
    if (outcome.succeeded()) {
        outcome = nameTemporary(temporary_, name_.c_str(), replaceExisting_);
    } else {
        ::unlink(temporary_.c_str());
    }
    temporary_.clear();
    return outcome;
}

WriteOutcome StreamedFile::failedWrite(int runtimeError) {
    discard();
    return {WriteStep::write, {runtimeError}};
}

void StreamedFile::discard() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

GrowingFile::~GrowingFile() {
    SystemError ignored;
    close(ignored);
}

WriteOutcome GrowingFile::create(const char* name, bool replaceExisting) {
    const int exclusive = replaceExisting ? O_TRUNC : O_EXCL;
    const int descriptor = ::open(name, O_WRONLY | O_CREAT | O_CLOEXEC | exclusive, 0666);
    if (descriptor < 0) {
        return failedAt(errno == EEXIST ? WriteStep::exists : WriteStep::create);
    }
    handle_ = descriptor;
    name_ = name;
    size_ = 0;
    return {};
}

bool GrowingFile::append(std::initializer_list<std::span<const std::uint8_t>> pieces,
                         SystemError& error) {
    std::vector<iovec> vector;
    for (const std::span<const std::uint8_t> piece : pieces) {
        if (!piece.empty()) {
            vector.push_back({const_cast<std::uint8_t*>(piece.data()), piece.size()});
        }
    }
    const int descriptor = static_cast<int>(handle_);
    std::uint64_t written = 0;
    for (std::size_t first = 0; first < vector.size();) {
        const ssize_t count =
            ::writev(descriptor, vector.data() + first, static_cast<int>(vector.size() - first));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            error.code = count < 0 ? errno : EIO;
            // What a full disk let through is taken back, so that the file
            // ends with its last whole append.
            if (written > 0 && ::ftruncate(descriptor, static_cast<off_t>(size_)) == 0) {
                ::lseek(descriptor, static_cast<off_t>(size_), SEEK_SET);
            }
            return false;
        }
        written += static_cast<std::uint64_t>(count);
        for (auto left = static_cast<std::size_t>(count); left > 0 && first < vector.size();) {
            const std::size_t taken = std::min(left, vector[first].iov_len);
            vector[first].iov_base = static_cast<std::uint8_t*>(vector[first].iov_base) + taken;
            vector[first].iov_len -= taken;
            left -= taken;
            if (vector[first].iov_len == 0) {
                ++first;
            }
        }
    }
    size_ += written;
    return true;
}

bool GrowingFile::flushToDisk(SystemError& error) {
    if (::fsync(static_cast<int>(handle_)) != 0) {
        error.code = errno;
        return false;
    }
    return true;
}

bool GrowingFile::close(SystemError& error) {
    if (handle_ < 0) {
        return true;
    }
    const int result = ::close(static_cast<int>(handle_));
    handle_ = -1;
    if (result != 0) {
        error.code = errno;
        return false;
    }
    return true;
}

void GrowingFile::discard() {
    SystemError ignored;
    close(ignored);
    if (!name_.empty()) {
        ::unlink(name_.c_str());
        name_.clear();
    }
}

}  // namespace ambertap
