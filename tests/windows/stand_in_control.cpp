// Prepares the stand-in trace driver for the next run of ambertap.exe:
//   stand_in_control load FILE...     replace the trace with the bytes listed in the FILEs
//                                     and disarm what the requests below armed
//   stand_in_control feed RATE FILE...
//                                     append the records listed in the FILEs to the
//                                     trace, RATE a second, as a driver traces them;
//                                     returns once all are fed
//   stand_in_control pend-next-read   complete the next read about 50 ms late
//   stand_in_control overflow-next-read
//                                     make the next read report a trace longer than its buffer
//   stand_in_control fail-next STATUS fail the next read or clear with an NTSTATUS (hex)
// FILE is a hex listing: "#" starts a comment that runs to the end of the
// line, an offset ("0010:") at the start of a line is skipped, and every other
// word is a run of hex digits, two per byte.
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "driver/stand_in_codes.h"

namespace {

const char* const deviceName = "\\\\.\\OV7100D";

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Appends the bytes of one word, an even-length run of hex digits.
bool appendHexRun(std::string_view word, std::vector<std::uint8_t>& bytes) {
    if (word.size() % 2 != 0) {
        return false;
    }
    for (std::size_t at = 0; at < word.size(); at += 2) {
        const int high = hexDigit(word[at]);
        const int low = hexDigit(word[at + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}

// One line of a listing: a comment from "#" on, an offset ("0010:") in front
// of the first word, then words of hex digits.
bool appendListingLine(std::string_view line, std::vector<std::uint8_t>& bytes) {
    line = line.substr(0, line.find('#'));
    bool firstWord = true;
    std::size_t at = 0;
    while (at < line.size()) {
        if (isBlank(line[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < line.size() && !isBlank(line[end])) {
            ++end;
        }
        std::string_view word = line.substr(at, end - at);
        if (firstWord && word.back() == ':') {
            word.remove_suffix(1);
            if (word.empty() ||
                !std::all_of(word.begin(), word.end(), [](char c) { return hexDigit(c) >= 0; })) {
                return false;
            }
        } else if (!appendHexRun(word, bytes)) {
            return false;
        }
        firstWord = false;
        at = end;
    }
    return true;
}

// Reads a hex listing, the project's text form of a trace.
bool readHexListing(const char* path, std::vector<std::uint8_t>& bytes) {
    std::ifstream file(path);
    if (!file) {
        std::fprintf(stderr, "stand_in_control: cannot read %s\n", path);
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (!appendListingLine(line, bytes)) {
            std::fprintf(stderr, "stand_in_control: %s:%d: not hex bytes\n", path, number);
            return false;
        }
    }
    return true;
}

bool sendControl(DWORD code, const void* input, DWORD inputLength) {
    HANDLE device = CreateFileA(deviceName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "stand_in_control: cannot open %s: Error %lu\n", deviceName,
                     GetLastError());
        return false;
    }
    DWORD returned = 0;
    const BOOL done = DeviceIoControl(device, code, const_cast<void*>(input), inputLength, nullptr,
                                      0, &returned, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(device);
    if (!done) {
        std::fprintf(stderr, "stand_in_control: request 0x%lx failed: Error %lu\n", code, error);
    }
    return done != FALSE;
}

bool readListings(int count, char** paths, std::vector<std::uint8_t>& bytes) {
    for (int index = 0; index < count; ++index) {
        if (!readHexListing(paths[index], bytes)) {
            return false;
        }
    }
    return true;
}

bool loadTrace(int count, char** paths) {
    std::vector<std::uint8_t> bytes;
    if (!readListings(count, paths, bytes)) {
        return false;
    }
    if (bytes.size() > STAND_IN_TRACE_CAPACITY) {
        std::fprintf(stderr, "stand_in_control: the listings hold more than %u bytes\n",
                     STAND_IN_TRACE_CAPACITY);
        return false;
    }
    return sendControl(STAND_IN_LOAD_TRACE, bytes.data(), static_cast<DWORD>(bytes.size()));
}

// Where each record of `bytes` begins, and where the last one ends.
std::vector<std::size_t> recordStarts(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::size_t> starts;
    std::size_t at = 0;
    while (bytes.size() - at >= 2 && bytes.size() - at - 2 >= bytes[at + 1]) {
        starts.push_back(at);
        at += 2u + bytes[at + 1];
    }
    starts.push_back(at);
    return starts;
}

// Every few milliseconds the records due by then go to the driver, in one
// request, so that the rate holds whatever the timer's grain.
bool feedTrace(const char* rateText, int count, char** paths) {
    const double rate = std::strtod(rateText, nullptr);
    std::vector<std::uint8_t> bytes;
    if (rate <= 0 || !readListings(count, paths, bytes)) {
        return false;
    }
    const std::vector<std::size_t> starts = recordStarts(bytes);
    const std::size_t records = starts.size() - 1;
    const DWORD began = GetTickCount();
    for (std::size_t fed = 0; fed < records; Sleep(2)) {
        const double elapsed = static_cast<double>(GetTickCount() - began) / 1000.0;
        const std::size_t due = std::min(records, static_cast<std::size_t>(elapsed * rate) + 1);
        if (due > fed && !sendControl(STAND_IN_APPEND_RECORDS, bytes.data() + starts[fed],
                                      static_cast<DWORD>(starts[due] - starts[fed]))) {
            return false;
        }
        fed = due;
    }
    return true;
}

bool failNextRequest(const char* statusText) {
    char* end = nullptr;
    const unsigned long status = std::strtoul(statusText, &end, 16);
    if (*statusText == '\0' || *end != '\0' || status > 0xfffffffful) {
        std::fprintf(stderr, "stand_in_control: not a hexadecimal NTSTATUS: %s\n", statusText);
        return false;
    }
    const std::uint32_t value = static_cast<std::uint32_t>(status);
    return sendControl(STAND_IN_FAIL_NEXT_REQUEST, &value, sizeof value);
}

int usage() {
    std::fputs(
        "Use: stand_in_control load FILE... | feed RATE FILE... | pend-next-read |\n"
        "       overflow-next-read | fail-next STATUS\n"
        "  load FILE...         replace the driver's trace with the bytes of hex listings\n"
        "  feed RATE FILE...    append the records of hex listings, RATE a second\n"
        "  pend-next-read       complete the next read about 50 ms later\n"
        "  overflow-next-read   make the next read that the trace does not fit copy what\n"
        "                       fits and complete with STATUS_BUFFER_OVERFLOW\n"
        "  fail-next STATUS     fail the next read or clear with STATUS (hex NTSTATUS)\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "load") == 0) {
        return loadTrace(argc - 2, argv + 2) ? 0 : 1;
    }
    if (argc >= 4 && std::strcmp(argv[1], "feed") == 0) {
        return feedTrace(argv[2], argc - 3, argv + 3) ? 0 : 1;
    }
    if (argc == 2 && std::strcmp(argv[1], "pend-next-read") == 0) {
        return sendControl(STAND_IN_PEND_NEXT_READ, nullptr, 0) ? 0 : 1;
    }
    if (argc == 2 && std::strcmp(argv[1], "overflow-next-read") == 0) {
        return sendControl(STAND_IN_OVERFLOW_NEXT_READ, nullptr, 0) ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "fail-next") == 0) {
        return failNextRequest(argv[2]) ? 0 : 1;
    }
    return usage();
}
