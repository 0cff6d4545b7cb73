// Files on Windows, named in UTF-8 and opened through the wide-character
// functions.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "file_system.h"

namespace ambertap {

namespace {

std::wstring wide(const char* utf8) {
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (units <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text.data(), units);
    text.resize(static_cast<std::size_t>(units) - 1);
    return text;
}

WriteOutcome failedAt(WriteStep step) {
    return {step, {static_cast<int>(GetLastError())}};
}

// The system's error of a write through the C runtime that failed. The
// runtime's own calls have cleared GetLastError's by the time the stream
// tells of it, so it is the one msvcrt keeps; a write that the system cut
// short without an error leaves none there, and is a full disk to msvcrt.
SystemError runtimeWriteError() {
    const unsigned long code = _doserrno;
    return {code != 0 ? static_cast<int>(code) : ERROR_DISK_FULL};
}

bool writeAll(HANDLE file, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const DWORD chunk =
            bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes = bytes.subspan(written);
    }
    return true;
}

// A new file beside the target: its name with a number that no other file
// in the folder has yet.
HANDLE createTemporary(const std::wstring& target, std::wstring& temporary) {
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%lu-%u.tmp", GetCurrentProcessId(), attempt);
        temporary = target;
        for (const char* at = suffix; *at != '\0'; ++at) {
            temporary += static_cast<wchar_t>(*at);
        }
        const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    return INVALID_HANDLE_VALUE;
}

// Gives the written temporary file its name, or removes it.
WriteOutcome nameTemporary(const std::wstring& temporary, const std::wstring& target,
                           bool replaceExisting) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExW(temporary.c_str(), target.c_str(), flags)) {
        return {};
    }
    const DWORD error = GetLastError();
    const bool taken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
    DeleteFileW(temporary.c_str());
    return {taken ? WriteStep::exists : WriteStep::rename, {static_cast<int>(error)}};
}

}  // namespace

std::string describe(SystemError error) {
    char text[256];
    // The tool speaks English; a system without English texts gets the number.
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(error.code), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                       text, sizeof text, nullptr);
    std::string description(text, length);
    while (!description.empty() && (description.back() == '\n' || description.back() == '\r' ||
                                    description.back() == ' ' || description.back() == '.')) {
        description.pop_back();
    }
    if (description.empty()) {
        std::snprintf(text, sizeof text, "Windows error %d", error.code);
        return text;
    }
    return description;
}

std::FILE* openForReading(const char* name, SystemError& error) {
    std::FILE* file = _wfopen(wide(name).c_str(), L"rb");
    if (file == nullptr) {
        // The C runtime keeps the system's own error from the open it made.
        error.code = static_cast<int>(GetLastError());
    }
    return file;
}

bool nameExists(const char* name) {
    return GetFileAttributesW(wide(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::int64_t secondsSince1970() {
    return _time64(nullptr);
}

std::int64_t millisecondsSince1970() {
    // FILETIME counts 100 ns since 1601-01-01; 1970 is 11644473600 s later.
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t ticks = std::uint64_t{now.dwHighDateTime} << 32 | now.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10000) - 11644473600000LL;
}

bool isTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

std::size_t terminalColumns(std::FILE* stream) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(handle, &info)) {
        return 0;
    }
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    return columns > 0 ? static_cast<std::size_t>(columns) : 0;
}

std::FILE* openScratchFile(SystemError& error) {
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH || GetTempFileNameW(folder, L"amb", 0, name) == 0) {
        error.code = static_cast<int>(GetLastError());
        return nullptr;
    }
    const HANDLE handle =
        CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error.code = static_cast<int>(GetLastError());
        DeleteFileW(name);
        return nullptr;
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_BINARY);
    std::FILE* file = descriptor < 0 ? nullptr : _fdopen(descriptor, "w+b");
    if (file == nullptr) {
        error.code = ERROR_NOT_ENOUGH_MEMORY;
        if (descriptor < 0) {
            CloseHandle(handle);
        } else {
            _close(descriptor);
        }
    }
    return file;
}

void useBinaryMode(std::FILE* stream) {
    _setmode(_fileno(stream), _O_BINARY);
}

StreamedFile::~StreamedFile() {
    discard();
}

WriteOutcome StreamedFile::create(const char* name, bool replaceExisting) {
    discard();
    const std::wstring target = wide(name);
    if (!replaceExisting && GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return {WriteStep::exists, {ERROR_FILE_EXISTS}};
    }
    std::wstring temporary;
    const HANDLE file = createTemporary(target, temporary);
    if (file == INVALID_HANDLE_VALUE) {
        return failedAt(WriteStep::create);
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_BINARY);
    stream_ = descriptor < 0 ? nullptr : _fdopen(descriptor, "wb");
    if (stream_ == nullptr) {
        if (descriptor < 0) {
            CloseHandle(file);
        } else {
            _close(descriptor);
        }
        DeleteFileW(temporary.c_str());
        return {WriteStep::create, {ERROR_NOT_ENOUGH_MEMORY}};
    }
    // So that an error runtimeWriteError() tells is one of this file's writes.
    _doserrno = 0;
    name_ = name;
    // The temporary file's name is the target's and an ASCII suffix.
    temporary_ = name;
    for (std::size_t at = target.size(); at < temporary.size(); ++at) {
        temporary_ += static_cast<char>(temporary[at]);
    }
    replaceExisting_ = replaceExisting;
    return {};
}

WriteOutcome StreamedFile::commit() {
    WriteOutcome outcome;
    if (std::fflush(stream_) != 0 || std::ferror(stream_) != 0) {
        outcome = {WriteStep::write, runtimeWriteError()};
    }
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream_)));
    if (outcome.succeeded() && !FlushFileBuffers(handle)) {
        outcome = failedAt(WriteStep::flush);
    }
    if (std::fclose(stream_) != 0 && outcome.succeeded()) {
        outcome = failedAt(WriteStep::flush);
    }
    stream_ = nullptr;
    const std::wstring temporary = wide(temporary_.c_str());
    temporary_.clear();
    if (outcome.succeeded()) {
        return nameTemporary(temporary, wide(name_.c_str()), replaceExisting_);
    }
    DeleteFileW(temporary.c_str());
    return outcome;
}

// The C library's error number names no system error on Windows: the one
// msvcrt keeps does.
WriteOutcome StreamedFile::failedWrite(int) {
    const SystemError error = runtimeWriteError();
    discard();
    return {WriteStep::write, error};
}

void StreamedFile::discard() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (!temporary_.empty()) {
        DeleteFileW(wide(temporary_.c_str()).c_str());
        temporary_.clear();
    }
}

GrowingFile::~GrowingFile() {
    SystemError ignored;
    close(ignored);
}

WriteOutcome GrowingFile::create(const char* name, bool replaceExisting) {
    // Others may read the file while it grows, as `show` does.
    const HANDLE file =
        CreateFileW(wide(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                    replaceExisting ? CREATE_ALWAYS : CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        return {taken ? WriteStep::exists : WriteStep::create, {static_cast<int>(error)}};
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    name_ = name;
    size_ = 0;
    return {};
}

bool GrowingFile::append(std::initializer_list<std::span<const std::uint8_t>> pieces,
                         SystemError& error) {
    const HANDLE file = reinterpret_cast<HANDLE>(handle_);
    bool written = true;
    for (const std::span<const std::uint8_t> piece : pieces) {
        if (!writeAll(file, piece)) {
            written = false;
            break;
        }
    }
    std::uint64_t total = 0;
    for (const std::span<const std::uint8_t> piece : pieces) {
        total += piece.size();
    }
    if (!written) {
        error.code = static_cast<int>(GetLastError());
        // What a full disk let through is taken back, so that the file ends
        // with its last whole append.
        LARGE_INTEGER end{};
        end.QuadPart = static_cast<LONGLONG>(size_);
        SetLastError(NO_ERROR);
        if (SetFilePointer(file, static_cast<LONG>(end.LowPart), &end.HighPart, FILE_BEGIN) !=
                INVALID_SET_FILE_POINTER ||
            GetLastError() == NO_ERROR) {
            SetEndOfFile(file);
        }
        return false;
    }
    size_ += total;
    return true;
}

bool GrowingFile::flushToDisk(SystemError& error) {
    if (!FlushFileBuffers(reinterpret_cast<HANDLE>(handle_))) {
        error.code = static_cast<int>(GetLastError());
        return false;
    }
    return true;
}

bool GrowingFile::close(SystemError& error) {
    if (handle_ == -1) {
        return true;
    }
    const BOOL closed = CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
    if (!closed) {
        error.code = static_cast<int>(GetLastError());
        return false;
    }
    return true;
}

void GrowingFile::discard() {
    SystemError ignored;
    close(ignored);
    if (!name_.empty()) {
        DeleteFileW(wide(name_.c_str()).c_str());
        name_.clear();
    }
}

}  // namespace ambertap
