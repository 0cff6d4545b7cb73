#include "text_output.h"

#include "block_output.h"
#include "line_writer.h"
#include "parameter_structures.h"

namespace ambertap {

namespace {

constexpr char hexDigits[] = "0123456789abcdef";

}  // namespace

TextOutput& TextOutput::number(std::uint64_t value) {
    pending_.append(DecimalText(value).view());
    return *this;
}

TextOutput& TextOutput::hex(std::uint64_t value, int digits) {
    for (int place = digits - 1; place >= 0; --place) {
        pending_.push_back(hexDigits[(value >> (4 * place)) & 0xfu]);
    }
    return *this;
}

TextOutput& TextOutput::traceText(std::string_view bytes) {
    for (const char c : bytes) {
        pending_.push_back(shownCharacter(static_cast<std::uint8_t>(c)));
    }
    return *this;
}

void TextOutput::endLine() {
    pending_.push_back('\n');
    if (pending_.size() >= blockSize && out_ != nullptr) {
        writePending();
    }
}

void TextOutput::lines(std::string_view text) {
    pending_.append(text);
    if (pending_.size() >= blockSize && out_ != nullptr) {
        writePending();
    }
}

int TextOutput::finish() {
    writePending();
    if (error_ == 0) {
        error_ = flushStream(out_);
    }
    return error_;
}

void TextOutput::writePending() {
    if (error_ == 0 && !pending_.empty()) {
        error_ = writeBytes(out_, pending_.data(), pending_.size());
    }
    pending_.clear();
}

}  // namespace ambertap
