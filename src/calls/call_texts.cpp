#include "call_texts.h"

#include "capi_vocabulary.h"
#include "code_names.h"
#include "value_names.h"

namespace ambertap {

void appendMessageName(TextOutput& out, std::uint16_t commandWord) {
    const std::string_view name = messageName(commandWord);
    out.text(name.empty() ? unnamedCodeText(commandWord).view() : name);
}

void appendMessage(TextOutput& out, const MessageRef& message) {
    appendMessageName(out, message.commandWord);
    out.text(" #").hex(message.messageNumber, 4);
}

void appendAddress(TextOutput& out, std::uint32_t address) {
    if (CapiAddress::namesNcci(address)) {
        out.text("NCCI ").hex(address, 8);
    } else if (CapiAddress::namesPlci(address)) {
        out.text("PLCI ").hex(address, 4);
    } else {
        out.text("controller ").number(CapiAddress::controllerOf(address));
        if (CapiAddress::isExternal(address)) {
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
