#include "arrow_texts.h"

#include <algorithm>
#include <string_view>

#include "capi_message.h"
#include "decoded_message.h"
#include "line_writer.h"
#include "message_views.h"

namespace ambertap {

namespace {

// A line's words before the message's name: direction, Total length, ApplID
// and message number.
constexpr int wordsBeforeName = 4;

std::string_view takeWord(std::string_view& text) {
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
        takeWord(line);
    }
    out.name = std::string(takeWord(line));
    const std::size_t start = line.find_first_not_of(' ');
    out.parameters =
        start == std::string_view::npos ? std::string() : std::string(line.substr(start));
}

}  // namespace

ArrowTexts arrowTextsOf(const TracedRecord& record) {
    ArrowTexts out;
    out.decode = fullRecordLines(record, record.line);
    const DecodedMessage* message = record.message;
    if (message == nullptr || !message->hasCommandWord() ||
        message->header(HeaderField::applId) == nullptr) {
        return out;
    }
    out.message = true;
    out.put = record.bytes.begin[TraceRecord::direction] == TraceRecord::put;
    out.applId = message->headerWord(HeaderField::applId);
    out.commandWord = message->commandWord();
    out.dataBytes =
        static_cast<std::uint32_t>(DecodedMessage::numberOr(message->find("dataLength"), 0));
    splitLine(record.line, out);
    return out;
}

std::string timeText(std::int64_t seenAt, TimePrecision precision) {
    char text[utcTimeWidth + 1];
    LineWriter line(text, sizeof text);
    writeUtcTime(seenAt, precision, line);
    return std::string(text, line.length());
}

}  // namespace ambertap
