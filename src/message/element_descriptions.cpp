#include "element_descriptions.h"

#include <cstdio>

#include "field_meaning.h"

namespace ambertap {

namespace {

// The field's name, or its label and number where its value has none.
std::string nameOrNumber(const Field& field) {
    if (const char* name = numberMeaning(field).name) {
        return name;
    }
    char number[16];
    std::snprintf(number, sizeof number, " %llu", static_cast<unsigned long long>(field.value));
    return std::string(field.definition->label) + number;
}

}  // namespace

std::string bearerDescription(const DecodedMessage& message, const Field& bearer) {
    std::string text;
    for (const char* key :
         {"informationTransferCapability", "transferRate", "transferMode", "layer1Protocol"}) {
        if (const Field* field = message.find(bearer, key)) {
            text += (text.empty() ? "" : ", ") + nameOrNumber(*field);
        }
    }
    return text;
}

std::string causeDescription(const DecodedMessage& message, const Field& cause) {
    const Field* value = message.find(cause, "cause");
    if (value == nullptr) {
        return {};
    }
    char number[24];
    std::snprintf(number, sizeof number, "cause %llu",
                  static_cast<unsigned long long>(value->value));
    const char* name = numberMeaning(*value).name;
    std::string text = name != nullptr ? std::string(name) + " (" + number + ")" : number;
    if (const Field* location = message.find(cause, "location")) {
        const char* place = numberMeaning(*location).name;
        text +=
            place != nullptr ? std::string(", from the ") + place : ", " + nameOrNumber(*location);
    }
    return text;
}

}  // namespace ambertap
