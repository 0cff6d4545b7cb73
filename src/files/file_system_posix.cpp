// Files on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>

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

bool writeAll(int descriptor, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
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

void useBinaryMode(std::FILE*) {}

WriteOutcome writeWholeFile(const char* name, std::span<const std::uint8_t> bytes,
                            bool replaceExisting) {
    if (!replaceExisting && nameExists(name)) {
        return {WriteStep::exists, {EEXIST}};
    }
    std::string temporary = std::string(name) + ".XXXXXX";
    const int descriptor = ::mkstemp(temporary.data());
    if (descriptor < 0) {
        return failedAt(WriteStep::create);
    }
    WriteOutcome outcome;
    if (!writeAll(descriptor, bytes)) {
        outcome = failedAt(WriteStep::write);
    }
    if (outcome.succeeded() && ::fsync(descriptor) != 0) {
        outcome = failedAt(WriteStep::flush);
    }
    if (::close(descriptor) != 0 && outcome.succeeded()) {
        outcome = failedAt(WriteStep::flush);
    }
    if (outcome.succeeded()) {
        // mkstemp makes the file for its owner alone; the trace is an ordinary file.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(temporary.c_str(), 0666 & ~mask);
        const bool named = replaceExisting ? ::rename(temporary.c_str(), name) == 0
                                           : nameWithoutReplacing(temporary, name);
        if (named) {
            flushFolder(folderOf(name));
            return outcome;
        }
        outcome = failedAt(errno == EEXIST ? WriteStep::exists : WriteStep::rename);
    }
    ::unlink(temporary.c_str());
    return outcome;
}

}  // namespace ambertap
