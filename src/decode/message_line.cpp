#include "message_line.h"

#include "capi_message.h"
#include "capi_vocabulary.h"
#include "code_names.h"
#include "parameter_structures.h"

namespace ambertap {

namespace {

// Each field is read before the space that leads up to it is written: the
// cut-off mark keeps its space either way, and the text stays one piece.
void appendHeader(ByteReader& message, LineWriter& line) {
    line.decimal(message.u16(CapiMessage::totalLength), 3);
    const std::uint16_t applId = message.u16(CapiMessage::applId);
    line.append(' ', Hex{applId, 4});
    const std::uint16_t messageNumber = message.u16(CapiMessage::messageNumber);
    line.append(' ', Hex{messageNumber, 4}, ' ');
}

// The name, or the command word as "0x%x" when it has none; cut at the room
// like any other piece.
void appendName(std::uint16_t commandWord, LineWriter& line) {
    const std::string_view name = messageName(commandWord);
    line.append(name.empty() ? unnamedCodeText(commandWord).view() : name, ' ');
}

// "%08x": PLCI, NCCI or Controller.
void appendFirstParameter(ByteReader& message, LineWriter& line) {
    line.append(Hex{message.u32(CapiMessage::firstParameter), 8});
}

// "%08x %04x": the first parameter, then Info, Reason, Reason_B3 or Reject.
void appendFirstAndSecondParameters(ByteReader& message, LineWriter& line) {
    appendFirstParameter(message, line);
    line.append(' ', Hex{message.u16(CapiMessage::secondParameter), 4});
}

// The Cause octets or the charge of an INFO_IND, taken from the Info element
// whatever its length byte says. Each detail is read whole before its label
// is written, so that a detail cut off by the data end leaves no bare label.
void appendCause(ByteReader& message, LineWriter& line) {
    const std::uint8_t first = message.u8(InfoIndication::elementContent);
    const std::uint8_t second = message.u8(InfoIndication::elementContent + 1);
    line.append(" Cause=", Hex{first, 2}, ' ', Hex{second, 2});
}

void appendChargingUnits(ByteReader& message, LineWriter& line) {
    const std::int32_t units = message.s32(InfoIndication::elementContent);
    line.text(" Charging Units=");
    line.decimal(units);
}

void appendInformationDetail(ByteReader& message, LineWriter& line) {
    switch (message.u16(InfoIndication::infoNumber)) {
        case InfoNumber::cause:
            appendCause(message, line);
            break;
        case InfoNumber::chargeInUnits:
        case InfoNumber::chargeInCurrency:
            appendChargingUnits(message, line);
            break;
        default:
            break;
    }
}

void appendParameters(std::uint16_t commandWord, ByteReader& message, LineWriter& line) {
    switch (commandWord) {
        case connectReq:
            appendConnectReqParameters(message, line);
            break;
        case listenReq:
            appendListenReqParameters(message, line);
            break;
        case connectActiveInd:
            appendConnectActiveIndParameters(message, line);
            break;
        case disconnectReq:
        case connectB3Req:
        case connectInd:
        case connectActiveResp:
        case disconnectResp:
        case infoResp:
        case disconnectB3Resp:
            appendFirstParameter(message, line);
            break;
        case connectConf:
        case disconnectConf:
        case listenConf:
        case connectB3Conf:
        case disconnectInd:
        case disconnectB3Ind:
        case connectResp:
            appendFirstAndSecondParameters(message, line);
            break;
        case infoInd:
            appendFirstAndSecondParameters(message, line);
            appendInformationDetail(message, line);
            break;
        default:
            break;
    }
}

}  // namespace

void appendMessage(ByteReader& message, LineWriter& line) {
    appendHeader(message, line);
    const std::uint16_t commandWord = message.u16(CapiMessage::commandWord);
    appendName(commandWord, line);
    appendParameters(commandWord, message, line);
}

void formatMessage(ByteView message, char* out, int room) {
    LineWriter line(out, room);
    ByteReader reader(message, line);
    appendMessage(reader, line);
    line.terminate();
}

}  // namespace ambertap
