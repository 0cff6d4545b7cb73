// The network's information elements that CAPI structures carry from their
// octet 3 on (no identifier, no length), as constant rows that the message
// walker reads: each bit field is a row naming its octet and mask, each octet
// group a row saying when it is there and whether the extension bits of its
// octets go on to further octets, and what follows the groups a row of its
// own. An element is decoded by these rows alone.
#pragma once

#include <cstdint>
#include <span>

#include "message_table.h"

namespace ambertap {

// What a group or a field is there for: a field of the element already read
// has, under `mask`, `value`; with `key` null, the group's own first octet has.
struct ElementCondition {
    const char* key;
    std::uint8_t mask;
    std::uint8_t value;
};
using ElementConditions = std::span<const ElementCondition>;

// A bit field: the octet it lies in ("3", "3a", "4.1"), its bits, and its
// key, label and names as every other field has them (a byte, its value the
// field's own bits shifted down).
struct ElementField {
    const char* octet;
    std::uint8_t mask;
    ParameterDefinition field;
    ElementConditions when = {};
};

// An octet group: its first octet's name, and, when it extends, the octets
// after it while bit 8 of the one before is 0, named "3a", "3b", ... The
// octets of a group that no field lays out are shown as `further`.
struct OctetGroup {
    const char* octet;
    bool extends = false;
    ElementConditions when = {};
    const ParameterDefinition* further = nullptr;
};

// What follows the groups, to the element's end: each row shows all of it.
struct ElementRest {
    ParameterDefinition field;
    ElementConditions when = {};
};

struct ElementDefinition {
    std::span<const OctetGroup> groups;
    std::span<const ElementField> fields;
    std::span<const ElementRest> rest;
};

// The elements inside the structures of the messages.
extern const ElementDefinition calledPartyNumberElement;
extern const ElementDefinition structureCallingNumberElement;  // octet 3a always there
extern const ElementDefinition subaddressElement;
extern const ElementDefinition bearerCapabilityElement;
extern const ElementDefinition lowLayerCompatibilityElement;
extern const ElementDefinition highLayerCompatibilityElement;
extern const ElementDefinition keypadFacilityElement;
extern const ElementDefinition userUserElement;
extern const ElementDefinition channelIdentificationElement;

// The element of an identifier (0x08 cause, ...), or null; and the
// identifiers' names.
const ElementDefinition* elementOfIdentifier(std::uint32_t identifier);
extern const ValueNames elementIdentifierNames;

// The element that an INFO_IND's Info number announces, or null.
const ElementDefinition* elementOfInfoNumber(std::uint32_t infoNumber);

// A remote operations component of a facility element: its type, invoke ID
// and, for an invoke, its local operation value.
extern const ParameterDefinition facilityComponent;
extern const ParameterDefinition componentType;
extern const ParameterDefinition componentInvokeId;
extern const ParameterDefinition componentOperation;

}  // namespace ambertap
