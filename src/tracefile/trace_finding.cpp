#include "trace_finding.h"

#include <cstdio>
#include <cstring>

#include "trace_file.h"

namespace ambertap {

namespace {

const char* lineEndText(LineEndChange change) {
    switch (change) {
        case LineEndChange::crLfBecameLf:
            return "line ends converted (a transfer changed CR LF into LF)";
        case LineEndChange::lfBecameCrLf:
            return "line ends converted (a transfer changed LF into CR LF)";
        case LineEndChange::loneLfBecameCrLf:
            return "line ends converted (a transfer changed a lone LF into CR LF)";
        case LineEndChange::unknown:
            return "damaged: signature differs";
        case LineEndChange::none:
            break;
    }
    return "";
}

void describeSignature(const InputFinding& finding, InputFindingText& out) {
    constexpr const char* stripped = "eighth bit stripped (a 7-bit transfer changed the file)";
    if (!finding.eighthBitStripped) {
        std::snprintf(out.text, sizeof out.text, "%s", lineEndText(finding.lineEnds));
    } else if (finding.lineEnds == LineEndChange::none) {
        std::snprintf(out.text, sizeof out.text, "%s", stripped);
    } else {
        std::snprintf(out.text, sizeof out.text, "eighth bit stripped, and %s",
                      lineEndText(finding.lineEnds));
    }
}

void describeVersion(const InputFinding& finding, InputFindingText& out) {
    const unsigned major = finding.version.major;
    const unsigned minor = finding.version.minor;
    const auto newest = static_cast<unsigned>(finding.limit);
    if (major > newest && newest == traceFileVersion.major) {
        std::snprintf(out.text, sizeof out.text,
                      "newer format version %u.%u (this program reads %u.x)", major, minor, newest);
    } else if (major > newest) {
        std::snprintf(out.text, sizeof out.text,
                      "newer format version %u.%u (this program reads %u.x to %u.x)", major, minor,
                      unsigned{traceFileVersion.major}, newest);
    } else {
        std::snprintf(out.text, sizeof out.text, "damaged: no such format version: %u.%u", major,
                      minor);
    }
}

// A byte of a hex text as a reader can see it: a printable character in
// quotes, any other byte as its value.
void describeCharacter(const char* what, std::uint8_t value, InputFindingText& out) {
    if (value >= 0x20 && value < 0x7f) {
        std::snprintf(out.text, sizeof out.text, "%s: '%c'", what, static_cast<char>(value));
    } else {
        std::snprintf(out.text, sizeof out.text, "%s: byte 0x%02x", what, unsigned{value});
    }
}

}  // namespace

InputFindingText describe(const InputFinding& finding) {
    InputFindingText out{};
    const auto count = static_cast<unsigned long long>(finding.count);
    const auto limit = static_cast<unsigned long long>(finding.limit);
    const auto at = static_cast<unsigned long long>(finding.at);
    switch (finding.problem) {
        case Problem::none:
            break;
        case Problem::readError:
            std::snprintf(out.text, sizeof out.text, "read error: %s",
                          std::strerror(finding.error));
            break;
        case Problem::signatureChanged:
            describeSignature(finding, out);
            break;
        case Problem::otherMajorVersion:
            describeVersion(finding, out);
            break;
        case Problem::headerSizeWrong:
            std::snprintf(out.text, sizeof out.text,
                          "damaged: a header of %llu bytes does not fit format version %u.%u",
                          count, unsigned{finding.version.major}, unsigned{finding.version.minor});
            break;
        case Problem::cutShort:
            std::snprintf(out.text, sizeof out.text, "cut short: %llu of %llu bytes", count, limit);
            break;
        case Problem::headerDamaged:
            std::snprintf(out.text, sizeof out.text, "damaged: header checksum differs");
            break;
        case Problem::checksumDiffers:
            std::snprintf(out.text, sizeof out.text, "damaged: checksum differs");
            break;
        case Problem::tooManyRecordBytes:
            std::snprintf(out.text, sizeof out.text,
                          "more record bytes than one read can hold: %llu of at most %llu", count,
                          limit);
            break;
        case Problem::bytesAfterEnd:
            std::snprintf(out.text, sizeof out.text, "bytes after the end of the records");
            break;
        case Problem::blockCut:
            if (limit == 0) {
                std::snprintf(out.text, sizeof out.text,
                              "cut short: the block at byte %llu ends after %llu bytes, before "
                              "its length",
                              at, count);
            } else {
                std::snprintf(out.text, sizeof out.text,
                              "cut short: the block at byte %llu ends after %llu of its %llu "
                              "bytes",
                              at, count, limit);
            }
            break;
        case Problem::blockLengthWrong:
            std::snprintf(out.text, sizeof out.text,
                          "damaged: the block at byte %llu declares %llu bytes, a length no "
                          "block has",
                          at, count);
            break;
        case Problem::blockLengthsDiffer:
            std::snprintf(out.text, sizeof out.text,
                          "damaged: the block at byte %llu: its two lengths differ", at);
            break;
        case Problem::blockChecksumDiffers:
            std::snprintf(out.text, sizeof out.text,
                          "damaged: the block at byte %llu: checksum differs", at);
            break;
        case Problem::blockSizeWrong:
            std::snprintf(out.text, sizeof out.text,
                          "damaged: the block at byte %llu: %llu bytes do not fit its type", at,
                          count);
            break;
        case Problem::notText:
            describeCharacter("not text", finding.byteValue, out);
            break;
        case Problem::notHexDigit:
            describeCharacter("not a hex digit", finding.byteValue, out);
            break;
        case Problem::oddDigitCount:
            std::snprintf(out.text, sizeof out.text, "odd number of hex digits in a word");
            break;
        case Problem::offsetTooLong:
            std::snprintf(out.text, sizeof out.text, "offset of more than 16 hex digits");
            break;
        case Problem::notDumpLine:
            std::snprintf(out.text, sizeof out.text, "not a line of the %s dump",
                          finding.layout != nullptr ? finding.layout : "hex");
            break;
        case Problem::offsetBreak:
            std::snprintf(out.text, sizeof out.text,
                          "offset %08llx does not continue the dump, which is at %08llx", count,
                          limit);
            break;
        case Problem::lengthDiffers:
            std::snprintf(out.text, sizeof out.text,
                          "length %08llx differs from the end of the dump at %08llx", count, limit);
            break;
        case Problem::repeatWithoutLine:
            std::snprintf(out.text, sizeof out.text, "repeat mark (*) after no whole line");
            break;
        case Problem::repeatUnfit:
            std::snprintf(out.text, sizeof out.text,
                          "repeat mark (*): whole lines do not reach offset %08llx", count);
            break;
        case Problem::repeatTooLong:
            std::snprintf(out.text, sizeof out.text,
                          "repeat mark (*) for %llu bytes, more than one read holds (%llu)", count,
                          limit);
            break;
        case Problem::repeatUnended:
            std::snprintf(out.text, sizeof out.text, "repeat mark (*) with no line after it");
            break;
    }
    return out;
}

}  // namespace ambertap
