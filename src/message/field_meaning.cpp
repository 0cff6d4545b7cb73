#include "field_meaning.h"

#include "capi_vocabulary.h"
#include "value_names.h"

namespace ambertap {

AddressParts addressParts(std::uint32_t address) {
    return AddressParts{CapiAddress::controllerOf(address), CapiAddress::isExternal(address),
                        CapiAddress::plciPartOf(address), CapiAddress::ncciPartOf(address)};
}

namespace {

NumberMeaning causeMeaning(int number) {
    return NumberMeaning{causeName(static_cast<std::uint32_t>(number)), number};
}

const char* infoNumberKindKey(InfoNumberKind kind) {
    switch (kind) {
        case InfoNumberKind::messageType:
            return "messageType";
        case InfoNumberKind::charge:
            return "charge";
        case InfoNumberKind::element:
            return "element";
    }
    return "element";
}

}  // namespace

NumberMeaning numberMeaning(const Field& field) {
    const auto value = static_cast<std::uint32_t>(field.value);
    switch (field.definition->meaning) {
        case Meaning::named:
            return NumberMeaning{nameOf(field.definition->names, value)};
        case Meaning::info: {
            const InfoMeaning info = infoMeaning(static_cast<std::uint16_t>(value));
            return NumberMeaning{info.name, info.cause};
        }
        case Meaning::reject:
            if (const int cause = networkCauseOf(value); cause >= 0) {
                return causeMeaning(cause);
            }
            return NumberMeaning{nameOf(field.definition->names, value)};
        case Meaning::infoNumber: {
            const InfoNumberMeaning meaning = infoNumberMeaning(static_cast<std::uint16_t>(value));
            return NumberMeaning{meaning.name, -1, infoNumberKindText(meaning.kind),
                                 infoNumberKindKey(meaning.kind)};
        }
        case Meaning::cause:
            // The cause value without its extension bit.
            return causeMeaning(causeValueOf(value));
        default:
            return NumberMeaning{};
    }
}

std::int64_t signedValue(const Field& field) {
    switch (field.type()) {
        case ParameterType::byte:
            return static_cast<std::int8_t>(field.value);
        case ParameterType::word:
            return static_cast<std::int16_t>(field.value);
        case ParameterType::dword:
            return static_cast<std::int32_t>(field.value);
        default:
            return static_cast<std::int64_t>(field.value);
    }
}

}  // namespace ambertap
