#include "call_texts.h"

#include "capi_message.h"
#include "code_names.h"
#include "value_names.h"

namespace ambertap {

void appendMessageName(TextOutput& out, std::uint16_t commandWord) {
    if (const std::string_view name = messageName(commandWord); !name.empty()) {
        out.text(name);
        return;
    }
    out.text("0x");
    int digits = 1;
    while (digits < 4 && (commandWord >> (4 * digits)) != 0) {
        ++digits;
    }
    out.hex(commandWord, digits);
}

void appendMessage(TextOutput& out, const MessageRef& message) {
    appendMessageName(out, message.commandWord);
    out.text(" #").hex(message.messageNumber, 4);
}

void appendAddress(TextOutput& out, std::uint32_t address) {
    if (MessageAddress::namesNcci(address)) {
        out.text("NCCI ").hex(address, 8);
    } else if ((address & 0xff00u) != 0) {
        out.text("PLCI ").hex(address, 4);
    } else {
        out.text("controller ").number(address & 0x7fu);
        if ((address & 0x80u) != 0) {
            out.text(" (external)");
        }
    }
}

void appendMeaning(TextOutput& out, const char* label, std::uint16_t value, const char* meaning) {
    out.text(label).character(' ').hex(value, 4);
    if (meaning != nullptr) {
        out.text(" (").text(meaning).character(')');
    }
}

const char* infoText(std::uint16_t value) {
    return infoMeaning(value).name;
}

const char* rejectText(std::uint16_t value) {
    if (const int cause = networkCauseOf(value); cause >= 0) {
        return causeName(static_cast<std::uint32_t>(cause));
    }
    return nameOf(rejectNames, value);
}

}  // namespace ambertap
