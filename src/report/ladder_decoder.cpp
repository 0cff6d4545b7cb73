#include "ladder_decoder.h"

#include <algorithm>
#include <string_view>

#include "capi_message.h"
#include "capi_vocabulary.h"
#include "decoded_message.h"
#include "line_writer.h"
#include "message_views.h"
#include "number_mask.h"
#include "trace_walker.h"

namespace ambertap {

namespace {

// A line's words before the message's name: direction, Total length, ApplID
// and message number.
constexpr int wordsBeforeName = 4;

std::string_view skipWord(std::string_view& text) {
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        text = {};
        return {};
    }
    text.remove_prefix(start);
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

void splitLine(std::string_view line, ArrowTexts& out) {
    for (int word = 0; word < wordsBeforeName; ++word) {
        skipWord(line);
    }
    out.name = std::string(skipWord(line));
    const std::size_t start = line.find_first_not_of(' ');
    out.parameters =
        start == std::string_view::npos ? std::string() : std::string(line.substr(start));
}

}  // namespace

ByteView LadderDecoder::shown(const LadderRecord& record) {
    const ByteView bytes{record.bytes.begin,
                         record.bytes.begin + std::min(recordSize(record.bytes), copy_.size())};
    if (!maskNumbers_ || !holdsMessage(bytes)) {
        return bytes;
    }
    std::copy(bytes.begin, bytes.end, copy_.begin());
    const ByteView copy{copy_.data(), copy_.data() + bytes.size()};
    const ByteView message = messageOfRecord(copy);
    DecodedMessage decoded;
    decodeMessage(message, protocols_, decoded);
    const auto at = static_cast<std::size_t>(message.begin - copy.begin);
    maskNumbers(decoded, std::span<std::uint8_t>(copy_.data() + at, message.size()));
    return copy;
}

void LadderDecoder::texts(ByteView shownRecord, ArrowTexts& out) {
    char line[traceLineRoom];
    const std::size_t length = formatTraceRecord(shownRecord, line, traceLineRoom);
    out = ArrowTexts{};
    out.decode = fullRecordLines(shownRecord, std::string_view(line, length), protocols_);
    if (!holdsMessage(shownRecord)) {
        return;
    }
    DecodedMessage decoded;
    decodeMessage(messageOfRecord(shownRecord), protocols_, decoded);
    if (!decoded.hasCommandWord() || decoded.find("applId") == nullptr) {
        return;
    }
    out.message = true;
    out.put = shownRecord.begin[TraceRecord::direction] == TraceRecord::put;
    out.applId = static_cast<std::uint16_t>(DecodedMessage::numberOr(decoded.find("applId"), 0));
    out.commandWord = decoded.commandWord();
    out.dataBytes =
        static_cast<std::uint32_t>(DecodedMessage::numberOr(decoded.find("dataLength"), 0));
    splitLine(std::string_view(line, length), out);
}

std::string timeText(std::int64_t seenAt, TimePrecision precision) {
    if (precision != TimePrecision::milliseconds) {
        return {};
    }
    char text[utcTimeWidth + 1];
    LineWriter line(text, sizeof text);
    writeUtcTime(seenAt, precision, line);
    return std::string(text, line.length());
}

}  // namespace ambertap
