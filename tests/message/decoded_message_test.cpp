// The walk of each message kind, field by field: every key and value, for one
// message of every row of the table, and for damaged ones.
#include "decoded_message.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "case_names.h"
#include "element_table.h"
#include "flattened_fields.h"
#include "protocol_tracker.h"

namespace ambertap {
namespace {

using testing::bytesFromHex;
using testing::flattened;

struct MessageCase {
    const char* name;
    // The B3 protocol that the trace has shown in force on the message's
    // PLCI before it, or -1.
    int b3InForce;
    const char* message;
    const char* fields;
};

// A tracker that has seen a SELECT_B_PROTOCOL_REQ give the PLCI of the
// message's address that B3 protocol.
ProtocolTracker trackerFor(const std::vector<std::uint8_t>& message, int b3InForce) {
    ProtocolTracker protocols;
    if (b3InForce < 0 || message.size() < 12) {
        return protocols;
    }
    const std::vector<std::uint8_t> select = {
        0x13, 0x00, message[2], message[3], 0x41, 0x80,
        0x00, 0x00, message[8], message[9], 0x00, 0x00,
        0x06, 0x00, 0x00,       0x00,       0x00, static_cast<std::uint8_t>(b3InForce),
        0x00};
    DecodedMessage selected;
    decodeMessage(ByteView{select.data(), select.data() + select.size()}, protocols, selected);
    protocols.takeNote(selected);
    return protocols;
}

std::string decoded(const MessageCase& row) {
    const auto bytes = bytesFromHex(row.message);
    DecodedMessage message;
    decodeMessage(ByteView{bytes.data(), bytes.data() + bytes.size()},
                  trackerFor(bytes, row.b3InForce), message);
    return flattened(message);
}

class EveryMessageKind : public ::testing::TestWithParam<MessageCase> {};

TEST_P(EveryMessageKind, HoldsEveryParameterByKeyAndValue) {
    EXPECT_EQ(decoded(GetParam()), GetParam().fields);
}

// Each command word of the table at least once, with the messages of the
// golden trace every_message_kind.
const MessageCase kindRows[] = {
    {"LISTEN_REQ", -1,
     "23 00 01 00 05 80 01 00 01 00 00 00 45 1a 00 00 06 00 01 00 00 "
     "00 00 00 06 01 80 34 37 31 31 03 80 50 51",
     R"(controller=0x1 infoMask=0x1a45 cipMask=0x10006 cipMask2=0x0 callingPartyNumber=[01 80 34 37 31 31] callingPartyNumber.typeOfNumber=0x0 callingPartyNumber.numberingPlan=0x1 callingPartyNumber.presentation=0x0 callingPartyNumber.screening=0x0 callingPartyNumber.digits="4711" callingPartySubaddress=[80 50 51] callingPartySubaddress.typeOfSubaddress=0x0 callingPartySubaddress.oddEven=0x0 callingPartySubaddress.information=<50 51>)"},
    {"LISTEN_CONF", -1, "0e 00 01 00 05 81 01 00 01 00 00 00 00 00", R"(controller=0x1 info=0x0)"},
    {"CONNECT_REQ", -1,
     "5a 00 01 00 02 80 02 00 01 00 00 00 10 00 04 81 31 32 33 06 21 "
     "80 34 37 31 31 00 00 29 02 00 00 00 01 00 08 80 25 08 00 00 00 "
     "00 00 05 03 01 08 07 00 10 00 00 00 00 01 00 01 00 00 00 00 00 "
     "08 00 02 00 02 01 00 02 88 90 00 02 91 81 0c 02 00 00 03 2a 31 "
     "23 00 00 02 01 00",
     R"(controller=0x1 cipValue=0x10 calledPartyNumber=[81 31 32 33] calledPartyNumber.typeOfNumber=0x0 calledPartyNumber.numberingPlan=0x1 calledPartyNumber.digits="123" callingPartyNumber=[21 80 34 37 31 31] callingPartyNumber.typeOfNumber=0x2 callingPartyNumber.numberingPlan=0x1 callingPartyNumber.presentation=0x0 callingPartyNumber.screening=0x0 callingPartyNumber.digits="4711" calledPartySubaddress=[] callingPartySubaddress=[] bProtocol=[02 00 00 00 01 00 08 80 25 08 00 00 00 00 00 05 03 01 08 07 00 10 00 00 00 00 01 00 01 00 00 00 00 00 08 00 02 00 02 01 00] bProtocol.b1Protocol=0x2 bProtocol.b2Protocol=0x0 bProtocol.b3Protocol=0x1 bProtocol.b1Configuration=[80 25 08 00 00 00 00 00] bProtocol.b1Configuration.rate=0x2580 bProtocol.b1Configuration.bitsPerCharacter=0x8 bProtocol.b1Configuration.parity=0x0 bProtocol.b1Configuration.stopBits=0x0 bProtocol.b2Configuration=[03 01 08 07 00] bProtocol.b2Configuration.addressA=0x3 bProtocol.b2Configuration.addressB=0x1 bProtocol.b2Configuration.moduloMode=0x8 bProtocol.b2Configuration.windowSize=0x7 bProtocol.b2Configuration.xid=[] bProtocol.b3Configuration=[00 00 00 00 01 00 01 00 00 00 00 00 08 00 02 00] bProtocol.b3Configuration.lic=0x0 bProtocol.b3Configuration.hic=0x0 bProtocol.b3Configuration.ltc=0x1 bProtocol.b3Configuration.htc=0x1 bProtocol.b3Configuration.loc=0x0 bProtocol.b3Configuration.hoc=0x0 bProtocol.b3Configuration.moduloMode=0x8 bProtocol.b3Configuration.windowSize=0x2 bProtocol.globalConfiguration=[01 00] bProtocol.globalConfiguration.bChannelOperation=0x1 bc=[88 90] bc.codingStandard=0x0 bc.informationTransferCapability=0x8 bc.transferMode=0x0 bc.transferRate=0x10 llc=[] hlc=[91 81] hlc.codingStandard=0x0 hlc.interpretation=0x4 hlc.presentationMethod=0x1 hlc.characteristics=0x1 additionalInfo=[02 00 00 03 2a 31 23 00 00 02 01 00] additionalInfo.bChannelInformation=[00 00] additionalInfo.bChannelInformation.channel=0x0 additionalInfo.keypadFacility=[2a 31 23] additionalInfo.keypadFacility.text="*1#" additionalInfo.userUserData=[] additionalInfo.facilityDataArray=[] additionalInfo.sendingComplete=[01 00] additionalInfo.sendingComplete.mode=0x1)"},
    {"CONNECT_CONF", -1, "0e 00 01 00 02 81 02 00 01 01 00 00 00 00", R"(plci=0x101 info=0x0)"},
    {"CONNECT_B3_REQ", 1, "12 00 01 00 82 80 03 00 01 01 00 00 05 00 00 01 c1 02",
     R"(plci=0x101 ncpi=[00 00 01 c1 02] ncpi.flags=0x0 ncpi.group=0x0 ncpi.channel=0x1 ncpi.contents=<c1 02>)"},
    {"CONNECT_B3_CONF", 1, "0e 00 01 00 82 81 03 00 01 01 01 00 00 00", R"(ncci=0x10101 info=0x0)"},
    {"CONNECT_B3_ACTIVE_IND", 1, "0d 00 01 00 83 82 01 01 01 01 01 00 00",
     R"(ncci=0x10101 ncpi=[])"},
    {"CONNECT_B3_ACTIVE_RESP", 1, "0c 00 01 00 83 83 01 01 01 01 01 00", R"(ncci=0x10101)"},
    {"CONNECT_B3_T90_ACTIVE_IND", 1, "10 00 01 00 88 82 02 01 01 01 01 00 03 00 00 01",
     R"(ncci=0x10101 ncpi=[00 00 01] ncpi.flags=0x0 ncpi.group=0x0 ncpi.channel=0x1 ncpi.contents=<>)"},
    {"CONNECT_B3_T90_ACTIVE_RESP", 1, "0c 00 01 00 88 83 02 01 01 01 01 00", R"(ncci=0x10101)"},
    {"DATA_B3_REQ", 1,
     "1e 00 01 00 86 80 04 00 01 01 01 00 00 00 00 00 10 00 01 00 24 "
     "00 78 56 34 12 ff 7f 00 00",
     R"(ncci=0x10101 data32=0x0 dataLength=0x10 dataHandle=0x1 flags=0x24 data64=0x7fff12345678)"},
    {"DATA_B3_CONF", 1, "10 00 01 00 86 81 04 00 01 01 01 00 01 00 02 00",
     R"(ncci=0x10101 dataHandle=0x1 info=0x2)"},
    {"DATA_B3_IND", 1,
     "16 00 01 00 86 82 03 01 01 01 01 00 00 10 40 00 2c 01 07 00 02 "
     "80",
     R"(ncci=0x10101 data32=0x401000 dataLength=0x12c dataHandle=0x7 flags=0x8002)"},
    {"DATA_B3_RESP", 1, "0e 00 01 00 86 83 03 01 01 01 01 00 07 00",
     R"(ncci=0x10101 dataHandle=0x7)"},
    {"RESET_B3_REQ", 1, "0d 00 01 00 87 80 05 00 01 01 01 00 00", R"(ncci=0x10101 ncpi=[])"},
    {"RESET_B3_CONF", 1, "0e 00 01 00 87 81 05 00 01 01 01 00 01 20",
     R"(ncci=0x10101 info=0x2001)"},
    {"RESET_B3_IND", 1, "0d 00 01 00 87 82 04 01 01 01 01 00 00", R"(ncci=0x10101 ncpi=[])"},
    {"RESET_B3_RESP", 1, "0c 00 01 00 87 83 04 01 01 01 01 00", R"(ncci=0x10101)"},
    {"FACILITY_REQ", 1,
     "19 00 01 00 80 80 06 00 01 01 00 00 01 00 0a 01 00 28 00 28 00 "
     "02 31 32 00",
     R"(address=0x101 facilitySelector=0x1 facilityRequestParameter=[01 00 28 00 28 00 02 31 32 00] facilityRequestParameter.function=0x1 facilityRequestParameter.toneDuration=0x28 facilityRequestParameter.gapDuration=0x28 facilityRequestParameter.dtmfDigits=[31 32] facilityRequestParameter.dtmfDigits.digits="12" facilityRequestParameter.dtmfCharacteristics=[])"},
    {"FACILITY_CONF", 1, "13 00 01 00 80 81 06 00 01 01 00 00 00 00 01 00 02 00 00",
     R"(address=0x101 info=0x0 facilitySelector=0x1 facilityConfirmationParameter=[00 00])"},
    {"FACILITY_IND", 1, "10 00 01 00 80 82 05 01 01 01 00 00 01 00 01 35",
     R"(address=0x101 facilitySelector=0x1 facilityIndicationParameter=[35] facilityIndicationParameter.digits="5")"},
    {"FACILITY_RESP", 1, "0f 00 01 00 80 83 05 01 01 01 00 00 01 00 00",
     R"(address=0x101 facilitySelector=0x1 facilityResponseParameters=[])"},
    {"FACILITY_REQ_2", 1, "12 00 01 00 80 80 07 00 01 01 00 00 03 00 03 02 00 00",
     R"(address=0x101 facilitySelector=0x3 facilityRequestParameter=[02 00 00] facilityRequestParameter.function=0x2 facilityRequestParameter.serviceParameters=[])"},
    {"FACILITY_CONF_2", 1,
     "16 00 01 00 80 81 07 00 01 01 00 00 00 00 03 00 05 00 00 02 00 "
     "00",
     R"(address=0x101 info=0x0 facilitySelector=0x3 facilityConfirmationParameter=[00 00 02 00 00] facilityConfirmationParameter.function=0x0 facilityConfirmationParameter.serviceParameters=[00 00] facilityConfirmationParameter.serviceParameters.supplementaryServiceInfo=0x0)"},
    {"SELECT_B_PROTOCOL_REQ", 1,
     "2f 00 01 00 41 80 08 00 01 01 00 00 22 04 00 04 00 04 00 08 00 "
     "00 fd ff 00 00 00 00 00 11 01 00 00 00 0b 2b 34 39 20 33 30 20 "
     "31 32 33 34 00",
     R"(plci=0x101 bProtocol=[04 00 04 00 04 00 08 00 00 fd ff 00 00 00 00 00 11 01 00 00 00 0b 2b 34 39 20 33 30 20 31 32 33 34 00] bProtocol.b1Protocol=0x4 bProtocol.b2Protocol=0x4 bProtocol.b3Protocol=0x4 bProtocol.b1Configuration=[00 00 fd ff 00 00 00 00] bProtocol.b1Configuration.rate=0x0 bProtocol.b1Configuration.transmitLevel=0xfffd bProtocol.b1Configuration.reserved1=0x0 bProtocol.b1Configuration.reserved2=0x0 bProtocol.b2Configuration=[] bProtocol.b3Configuration=[01 00 00 00 0b 2b 34 39 20 33 30 20 31 32 33 34 00] bProtocol.b3Configuration.resolution=0x1 bProtocol.b3Configuration.format=0x0 bProtocol.b3Configuration.stationId=[2b 34 39 20 33 30 20 31 32 33 34] bProtocol.b3Configuration.stationId.text="+49 30 1234" bProtocol.b3Configuration.headLine=[])"},
    {"SELECT_B_PROTOCOL_CONF", 4, "0e 00 01 00 41 81 08 00 01 01 00 00 00 00",
     R"(plci=0x101 info=0x0)"},
    {"CONNECT_B3_IND", 4,
     "1f 00 01 00 82 82 06 01 01 01 01 00 12 40 38 00 00 00 00 00 00 "
     "09 2b 34 39 20 33 30 20 39 39",
     R"(ncci=0x10101 ncpi=[40 38 00 00 00 00 00 00 09 2b 34 39 20 33 30 20 39 39] ncpi.rate=0x3840 ncpi.options=0x0 ncpi.format=0x0 ncpi.pages=0x0 ncpi.receiveId=[2b 34 39 20 33 30 20 39 39] ncpi.receiveId.text="+49 30 99")"},
    {"CONNECT_B3_RESP", 4, "0f 00 01 00 82 83 06 01 01 01 01 00 02 00 00",
     R"(ncci=0x10101 reject=0x2 ncpi=[])"},
    {"INFO_REQ", 4, "10 00 01 00 08 80 09 00 01 01 00 00 02 80 35 00",
     R"(address=0x101 calledPartyNumber=[80 35] calledPartyNumber.typeOfNumber=0x0 calledPartyNumber.numberingPlan=0x0 calledPartyNumber.digits="5" additionalInfo=[])"},
    {"INFO_CONF", 4, "0e 00 01 00 08 81 09 00 01 01 00 00 00 00", R"(address=0x101 info=0x0)"},
    {"INFO_IND", 4, "0f 00 01 00 08 82 07 01 01 01 00 00 01 80 00",
     R"(address=0x101 infoNumber=0x8001 infoElement=[])"},
    {"INFO_RESP", 4, "0c 00 01 00 08 83 07 01 01 01 00 00", R"(address=0x101)"},
    {"INFO_IND_2", 4,
     "16 00 01 00 08 82 08 01 01 01 00 00 28 00 07 48 69 07 22 5c 7f "
     "e4",
     "address=0x101 infoNumber=0x28 infoElement=[48 69 07 22 5c 7f e4] "
     "infoElement.text=\"Hi\a\"\\\x7f\xe4\""},
    {"ALERT_REQ", 4, "0d 00 01 00 01 80 0a 00 01 01 00 00 00", R"(plci=0x101 additionalInfo=[])"},
    {"ALERT_CONF", 4, "0e 00 01 00 01 81 0a 00 01 01 00 00 03 00", R"(plci=0x101 info=0x3)"},
    {"CONNECT_IND", -1,
     "2c 00 01 00 02 82 09 01 01 02 00 00 01 00 03 80 39 39 07 01 03 "
     "30 33 30 31 1b 00 00 03 80 90 a3 00 02 91 81 07 03 03 00 89 00 "
     "00 00",
     R"(plci=0x201 cipValue=0x1 calledPartyNumber=[80 39 39] calledPartyNumber.typeOfNumber=0x0 calledPartyNumber.numberingPlan=0x0 calledPartyNumber.digits="99" callingPartyNumber=[01 03 30 33 30 31 1b] callingPartyNumber.typeOfNumber=0x0 callingPartyNumber.numberingPlan=0x1 callingPartyNumber.presentation=0x0 callingPartyNumber.screening=0x3 callingPartyNumber.digits="0301" calledPartySubaddress=[] callingPartySubaddress=[] bc=[80 90 a3] bc.codingStandard=0x0 bc.informationTransferCapability=0x0 bc.transferMode=0x0 bc.transferRate=0x10 bc.layer1Protocol=0x3 llc=[] hlc=[91 81] hlc.codingStandard=0x0 hlc.interpretation=0x4 hlc.presentationMethod=0x1 hlc.characteristics=0x1 additionalInfo=[03 03 00 89 00 00 00] additionalInfo.bChannelInformation=[03 00 89] additionalInfo.bChannelInformation.channel=0x3 additionalInfo.bChannelInformation.trailing=<89> additionalInfo.keypadFacility=[] additionalInfo.userUserData=[] additionalInfo.facilityDataArray=[])"},
    {"CONNECT_RESP", -1,
     "28 00 01 00 02 83 09 01 01 02 00 00 00 00 15 07 00 07 00 07 00 "
     "0c 00 00 08 00 02 00 01 00 00 00 00 00 00 00 00 00 00 00",
     R"(plci=0x201 reject=0x0 bProtocol=[07 00 07 00 07 00 0c 00 00 08 00 02 00 01 00 00 00 00 00 00 00] bProtocol.b1Protocol=0x7 bProtocol.b2Protocol=0x7 bProtocol.b3Protocol=0x7 bProtocol.b1Configuration=[00 00 08 00 02 00 01 00 00 00 00 00] bProtocol.b1Configuration.rate=0x0 bProtocol.b1Configuration.bitsPerCharacter=0x8 bProtocol.b1Configuration.parity=0x2 bProtocol.b1Configuration.stopBits=0x1 bProtocol.b1Configuration.options=0x0 bProtocol.b1Configuration.speedNegotiation=0x0 bProtocol.b2Configuration=[] bProtocol.b3Configuration=[] connectedNumber=[] connectedSubaddress=[] llc=[] additionalInfo=[])"},
    {"CONNECT_ACTIVE_IND", 7, "13 00 01 00 03 82 0a 01 01 02 00 00 04 01 80 39 39 00 00",
     R"(plci=0x201 connectedNumber=[01 80 39 39] connectedNumber.typeOfNumber=0x0 connectedNumber.numberingPlan=0x1 connectedNumber.presentation=0x0 connectedNumber.screening=0x0 connectedNumber.digits="99" connectedSubaddress=[] llc=[])"},
    {"CONNECT_ACTIVE_RESP", 7, "0c 00 01 00 03 83 0a 01 01 02 00 00", R"(plci=0x201)"},
    {"CONNECT_B3_IND_2", 7, "11 00 01 00 82 82 0b 01 01 02 01 00 04 80 70 01 00",
     R"(ncci=0x10201 ncpi=[80 70 01 00] ncpi.rate=0x7080 ncpi.protocol=0x1)"},
    {"DISCONNECT_B3_REQ", 4, "0d 00 01 00 84 80 0b 00 01 01 01 00 00", R"(ncci=0x10101 ncpi=[])"},
    {"DISCONNECT_B3_CONF", 4, "0e 00 01 00 84 81 0b 00 01 01 01 00 00 00",
     R"(ncci=0x10101 info=0x0)"},
    {"DISCONNECT_B3_IND", 4, "0f 00 01 00 84 82 0c 01 01 01 01 00 01 33 00",
     R"(ncci=0x10101 reasonB3=0x3301 ncpi=[])"},
    {"DISCONNECT_B3_RESP", 4, "0c 00 01 00 84 83 0c 01 01 01 01 00", R"(ncci=0x10101)"},
    {"DISCONNECT_REQ", 4, "0d 00 01 00 04 80 0c 00 01 01 00 00 00",
     R"(plci=0x101 additionalInfo=[])"},
    {"DISCONNECT_CONF", 4, "0e 00 01 00 04 81 0c 00 01 01 00 00 00 00", R"(plci=0x101 info=0x0)"},
    {"DISCONNECT_IND", 4, "0e 00 01 00 04 82 0d 01 01 01 00 00 04 33",
     R"(plci=0x101 reason=0x3304)"},
    {"DISCONNECT_RESP", 4, "0e 00 01 00 04 83 0d 01 01 01 00 00 ab cd",
     R"(plci=0x101 trailing=<ab cd>)"},
    {"MANUFACTURER_REQ", -1,
     "1b 00 01 00 ff 80 0d 00 01 00 00 00 44 49 44 44 01 00 00 00 02 "
     "00 00 00 02 aa bb",
     R"(controller=0x1 manuId=0x44444944 class=0x1 function=0x2 manuData=[aa bb])"},
    {"MANUFACTURER_CONF", -1, "13 00 01 00 ff 81 0d 00 01 00 00 00 44 49 44 44 01 02 03",
     R"(controller=0x1 manuId=0x44444944 manufacturerSpecific=<01 02 03>)"},
    {"MANUFACTURER_IND", -1,
     "1a 00 01 00 ff 82 0e 01 01 00 00 00 44 49 44 44 00 00 00 00 00 "
     "00 00 00 00 ff",
     R"(controller=0x1 manuId=0x44444944 class=0x0 function=0x0 manuData=[] trailing=<ff>)"},
    {"MANUFACTURER_RESP", -1, "10 00 01 00 ff 83 0e 01 01 00 00 00 44 49 44 44",
     R"(controller=0x1 manuId=0x44444944 manufacturerSpecific=<>)"},
    {"unnamed", -1, "0e 00 01 00 01 82 0f 01 01 01 00 00 00 00",
     R"(trailing=<01 01 00 00 00 00>)"}};

INSTANTIATE_TEST_SUITE_P(Rows, EveryMessageKind, ::testing::ValuesIn(kindRows),
                         testing::NamedByRow());

// Damaged messages: only the fields that lie wholly inside both the Total
// length and the data, and the first one that does not.
const MessageCase damagedRows[] = {
    {"damaged_CONNECT_REQ", -1,
     "14 00 01 00 02 80 01 00 01 00 00 00 02 00 0b 81 30 33 30 31 32 33 34 35 36 37 06 01 80 "
     "34 37 31 31",
     R"(controller=0x1 cipValue=0x2 calledPartyNumber=[81 30 33 30 31]!cut calledPartyNumber.typeOfNumber=0x0 calledPartyNumber.numberingPlan=0x1 missing=calledPartyNumber)"},
    {"damaged_CONNECT_B3_REQ", -1, "12 00 01 00 82 80 02 00 01 01 00 00 ff 03 00 01 02 03",
     R"(plci=0x101 ncpi=[01 02 03])"},
    {"damaged_DATA_B3_IND", -1, "12 00 01 00 86 82 01 01 01 01 01 00 00 00 00 00 04 00",
     R"(ncci=0x10101 data32=0x0 dataLength=0x4 missing=dataHandle)"},
    {"damaged_unnamed", -1, "0e 00 01 00 04", R"( missing=commandWord)"},
    {"damaged_CONNECT_REQ_2", -1,
     "25 00 01 00 02 80 03 00 01 00 00 00 02 00 06 81 31 32 00 33 34 00 00 00 08 00 00 00 00 "
     "00 00 01 01 00 00 00 00",
     R"(controller=0x1 cipValue=0x2 calledPartyNumber=[81 31 32 00 33 34] calledPartyNumber.typeOfNumber=0x0 calledPartyNumber.numberingPlan=0x1 calledPartyNumber.digits="12" calledPartyNumber.trailing=<00 33 34> callingPartyNumber=[] calledPartySubaddress=[] callingPartySubaddress=[] bProtocol=[00 00 00 00 00 00 01 01] bProtocol.b1Protocol=0x0 bProtocol.b2Protocol=0x0 bProtocol.b3Protocol=0x0 bProtocol.b1Configuration=[01] bc=[] llc=[] hlc=[] additionalInfo=[])"},
    {"damaged_CONNECT_RESP", -1,
     "17 00 01 00 02 83 02 01 01 02 00 00 91 34 08 01 00 01 00 00 00 05 01",
     R"(plci=0x201 reject=0x3491 bProtocol=[01 00 01 00 00 00 05 01] bProtocol.b1Protocol=0x1 bProtocol.b2Protocol=0x1 bProtocol.b3Protocol=0x0 bProtocol.b1Configuration=[01]!cut missing=connectedNumber)"},
    {"damaged_INFO_IND", -1, "12 00 01 00 08 82 03 01 01 01 00 00 08 00 03 80",
     R"(address=0x101 infoNumber=0x8 infoElement=[80]!cut infoElement.codingStandard=0x0 infoElement.location=0x0 missing=infoElement)"}};

INSTANTIATE_TEST_SUITE_P(Damaged, EveryMessageKind, ::testing::ValuesIn(damagedRows),
                         testing::NamedByRow());

// Messages made from the table with random values: each encoded as the table
// lays it out, with what its fields must decode to written down on the way.
// Elements are made by their rows: every group present or absent, fields of
// named and unnamed values, octet groups extended by one octet or more.
class MessageMaker {
  public:
    explicit MessageMaker(unsigned seed) : random_(seed) {}

    struct Made {
        std::vector<std::uint8_t> bytes;
        std::string fields;
        int b3InForce;
    };

    Made make(const MessageDefinition& definition) {
        b3InForce_ = pick({-1, 0, 1, 2, 3, 4, 5, 7});
        commandWord_ = definition.commandWord;
        fields_.clear();
        std::vector<std::uint8_t> parameters;
        encodeItems(definition.parameters, "", parameters);
        std::vector<std::uint8_t> bytes;
        appendNumber(8 + parameters.size(), 2, bytes);
        appendNumber(number(2), 2, bytes);
        appendNumber(definition.commandWord, 2, bytes);
        appendNumber(number(2), 2, bytes);
        bytes.insert(bytes.end(), parameters.begin(), parameters.end());
        return {bytes, fields_, b3InForce_};
    }

  private:
    using Numbers = std::vector<std::pair<std::string_view, std::uint64_t>>;

    // Numbers that the layouts go by, often enough to reach every layout and
    // every element: B protocols, Functions, Info numbers, identifiers.
    std::uint64_t number(std::size_t width) {
        const std::uint64_t mask =
            width == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * width)) - 1;
        if (width <= 2 && random_() % 2 == 0) {
            if (random_() % 2 == 0) {
                return elementIdentifierNames[random_() % elementIdentifierNames.size()].value;
            }
            return static_cast<std::uint64_t>(
                       pick({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 0x4000, 0x8000})) &
                   mask;
        }
        return ((std::uint64_t{random_()} << 32) | random_()) & mask;
    }

    // A named value of the field now and then, any number else.
    std::uint64_t numberFor(const ParameterDefinition& item, std::size_t width) {
        const ValueNames* names = item.meaning == Meaning::named ? item.names : nullptr;
        if (names != nullptr && !names->empty() && oneIn(2)) {
            return (*names)[random_() % names->size()].value;
        }
        return number(width);
    }

    int pick(std::initializer_list<int> values) {
        return *(values.begin() + random_() % values.size());
    }

    bool oneIn(unsigned n) { return random_() % n == 0; }

    static void appendNumber(std::uint64_t value, std::size_t width,
                             std::vector<std::uint8_t>& out) {
        for (std::size_t i = 0; i < width; ++i) {
            out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }

    std::vector<std::uint8_t> randomBytes(bool text) {
        std::vector<std::uint8_t> bytes(random_() % 5);
        for (std::uint8_t& byte : bytes) {
            byte = static_cast<std::uint8_t>(text ? 1 + random_() % 255 : random_() % 256);
        }
        return bytes;
    }

    static std::string hexNumber(std::uint64_t value) {
        char text[24];
        std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
        return text;
    }

    void note(const std::string& key, const std::string& value) {
        fields_ += (fields_.empty() ? "" : " ") + key + "=" + value;
    }

    // What `encode` writes, noted as one container with its bytes, after
    // which come the fields inside it.
    template <typename Encode>
    void noteContainer(const std::string& key, std::vector<std::uint8_t>& content, Encode encode) {
        const std::string before = fields_;
        fields_.clear();
        encode(content);
        const std::string inside = fields_;
        fields_ = before;
        note(key, "[" + testing::hexText(content) + "]");
        // An empty container holds no fields.
        if (!inside.empty() && !content.empty()) {
            fields_ += " " + inside;
        }
    }

    void encodeItems(Layout items, const std::string& path, std::vector<std::uint8_t>& out) {
        Numbers numbers;
        for (const ParameterDefinition& item : items) {
            if (item.optional && random_() % 2 == 0) {
                return;  // a later edition's field, last in its layout
            }
            const std::string key = path + std::string(item.key.text());
            switch (item.type) {
                case ParameterType::structure:
                    encodeStructure(item, key, numbers, out);
                    break;
                case ParameterType::text:
                case ParameterType::bytes:
                    encodeRest(item, key, randomBytes(item.type == ParameterType::text), out);
                    break;
                case ParameterType::variant:
                    if (const Layout* layout = variantLayout(item, numbers)) {
                        encodeItems(*layout, path, out);
                    }
                    break;
                case ParameterType::list:
                    encodeList(item, key, out);
                    break;
                case ParameterType::group:
                    break;  // only inside lists
                default: {
                    const std::size_t width = item.type == ParameterType::byte    ? 1
                                              : item.type == ParameterType::word  ? 2
                                              : item.type == ParameterType::dword ? 4
                                                                                  : 8;
                    const std::uint64_t value = numberFor(item, width);
                    note(key, hexNumber(value));
                    numbers.emplace_back(item.key.text(), value);
                    appendNumber(value, width, out);
                    break;
                }
            }
        }
    }

    void encodeRest(const ParameterDefinition& item, const std::string& key,
                    const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>& out) {
        note(key, item.type == ParameterType::text
                      ? "\"" + std::string(bytes.begin(), bytes.end()) + "\""
                      : "<" + testing::hexText(bytes) + ">");
        out.insert(out.end(), bytes.begin(), bytes.end());
    }

    ChoiceFacts factsFor(const ParameterDefinition& item, const Numbers& numbers) const {
        ChoiceFacts facts;
        facts.commandWord = commandWord_;
        facts.b3InForce = b3InForce_;
        const char* selector = selectorKeyOf(item.choice);
        for (const auto& [name, value] : numbers) {
            if (selector != nullptr && name == selector) {
                facts.selector = static_cast<std::int64_t>(value);
            }
        }
        return facts;
    }

    const Layout* variantLayout(const ParameterDefinition& item, const Numbers& numbers) const {
        return item.choice == LayoutChoice::manufacturerPart
                   ? &manufacturerCommonLayout
                   : chosenLayout(item.choice, factsFor(item, numbers));
    }

    const ElementDefinition* elementFor(const ParameterDefinition& item,
                                        const Numbers& numbers) const {
        if (item.element != nullptr) {
            return item.element;
        }
        const ChoiceFacts facts = factsFor(item, numbers);
        if (facts.selector < 0) {
            return nullptr;
        }
        const auto selector = static_cast<std::uint32_t>(facts.selector);
        return item.choice == LayoutChoice::infoElement         ? elementOfInfoNumber(selector)
               : item.choice == LayoutChoice::identifiedElement ? elementOfIdentifier(selector)
                                                                : nullptr;
    }

    void encodeStructure(const ParameterDefinition& item, const std::string& key,
                         const Numbers& numbers, std::vector<std::uint8_t>& out) {
        const ElementDefinition* element = elementFor(item, numbers);
        const Layout* layout = item.choice == LayoutChoice::fixed
                                   ? item.layout
                                   : chosenLayout(item.choice, factsFor(item, numbers));
        std::vector<std::uint8_t> content;
        noteContainer(key, content, [&](std::vector<std::uint8_t>& bytes) {
            if (element != nullptr) {
                encodeElement(*element, key + ".", bytes);
            } else if (layout != nullptr) {
                encodeItems(*layout, key + ".", bytes);
            } else {
                bytes = randomBytes(false);
            }
        });
        out.push_back(static_cast<std::uint8_t>(content.size()));
        out.insert(out.end(), content.begin(), content.end());
    }

    // A list of up to two items, each laid out by the list's item row.
    void encodeList(const ParameterDefinition& item, const std::string& key,
                    std::vector<std::uint8_t>& out) {
        const ParameterDefinition& row = (*item.layout)[0];
        const auto count = random_() % 3;
        if (count == 0) {
            return;
        }
        std::vector<std::uint8_t> content;
        noteContainer(key, content, [&](std::vector<std::uint8_t>& bytes) {
            for (auto left = count; left > 0; --left) {
                std::vector<std::uint8_t> one;
                noteContainer(key + "." + std::string(row.key.text()), one,
                              [&](std::vector<std::uint8_t>& inside) {
                                  encodeItems(*row.layout,
                                              key + "." + std::string(row.key.text()) + ".",
                                              inside);
                              });
                bytes.insert(bytes.end(), one.begin(), one.end());
            }
        });
        out.insert(out.end(), content.begin(), content.end());
    }

    // ---- Elements, by their rows ----

    using Values = std::vector<std::pair<std::string_view, std::uint64_t>>;

    static bool fieldsHold(ElementConditions conditions, const Values& values) {
        for (const ElementCondition& condition : conditions) {
            if (condition.key == nullptr) {
                continue;
            }
            bool found = false;
            for (const auto& [key, value] : values) {
                found =
                    found || (key == condition.key && (value & condition.mask) == condition.value);
            }
            if (!found) {
                return false;
            }
        }
        return true;
    }

    static bool identifiesItself(const OctetGroup& group) {
        return std::any_of(
            group.when.begin(), group.when.end(),
            [](const ElementCondition& condition) { return condition.key == nullptr; });
    }

    static std::string octetName(const OctetGroup& group, std::size_t octet) {
        return octet == 0 ? group.octet
                          : std::string(group.octet) + static_cast<char>('a' + octet - 1);
    }

    // A value for a field: a named one or any that fits its bits.
    std::uint8_t fieldValue(const ElementField& row) {
        const unsigned width =
            static_cast<unsigned>(std::popcount(static_cast<unsigned>(row.mask)));
        const ValueNames* names = row.field.names;
        if (names != nullptr && !names->empty() && oneIn(2)) {
            return static_cast<std::uint8_t>((*names)[random_() % names->size()].value);
        }
        return static_cast<std::uint8_t>(random_() & ((1u << width) - 1));
    }

    void encodeElement(const ElementDefinition& element, const std::string& path,
                       std::vector<std::uint8_t>& out) {
        Values values;
        for (const OctetGroup& group : element.groups) {
            if (!fieldsHold(group.when, values)) {
                continue;
            }
            if (oneIn(6)) {
                return;  // the element ends here
            }
            if (identifiesItself(group) && oneIn(3)) {
                continue;
            }
            encodeGroup(element, group, path, values, out);
        }
        std::vector<std::uint8_t> rest;
        bool made = false;
        for (const ElementRest& row : element.rest) {
            if (!fieldsHold(row.when, values)) {
                continue;
            }
            const std::string key = path + std::string(row.field.key.text());
            if (row.field.type == ParameterType::list) {
                encodeComponents(key, rest);
                continue;
            }
            if (!made) {
                // One run of bytes that every row shows: text, if any row is.
                const bool text = std::any_of(
                    element.rest.begin(), element.rest.end(),
                    [](const ElementRest& r) { return r.field.type == ParameterType::text; });
                rest = randomBytes(text);
                made = true;
            }
            if (rest.empty()) {
                break;  // nothing follows the groups
            }
            std::vector<std::uint8_t> unused;
            encodeRest(row.field, key, rest, unused);
        }
        out.insert(out.end(), rest.begin(), rest.end());
    }

    void encodeGroup(const ElementDefinition& element, const OctetGroup& group,
                     const std::string& path, Values& values, std::vector<std::uint8_t>& out) {
        constexpr std::uint8_t extensionBit = 0x80;
        const std::size_t count = group.extends ? 1 + random_() % 4 : 1;
        std::vector<std::uint8_t> further;
        for (std::size_t octet = 0; octet < count; ++octet) {
            auto value = static_cast<std::uint8_t>(random_());
            for (const ElementCondition& condition : group.when) {
                if (condition.key == nullptr && octet == 0) {
                    value = static_cast<std::uint8_t>((value & ~condition.mask) | condition.value);
                }
            }
            if (group.extends) {
                value = static_cast<std::uint8_t>(octet + 1 == count ? value | extensionBit
                                                                     : value & ~extensionBit);
            }
            const std::string name = octetName(group, octet);
            bool laid = false;
            for (const ElementField& row : element.fields) {
                if (!further.empty() || row.octet != name || !fieldsHold(row.when, values)) {
                    continue;
                }
                laid = true;
                const auto shift = std::countr_zero(static_cast<unsigned>(row.mask));
                value = static_cast<std::uint8_t>((value & ~row.mask) |
                                                  ((fieldValue(row) << shift) & row.mask));
                const auto field =
                    static_cast<std::uint64_t>(static_cast<unsigned>(value & row.mask) >> shift);
                note(path + std::string(row.field.key.text()), hexNumber(field));
                values.emplace_back(row.field.key.text(), field);
            }
            if (!laid) {
                further.push_back(value);
            }
            out.push_back(value);
        }
        if (!further.empty() && group.further != nullptr) {
            note(path + std::string(group.further->key.text()),
                 "<" + testing::hexText(further) + ">");
        }
    }

    // Up to two components, each of every type, with an invoke ID and, in an
    // invoke, a linked ID now and then and an operation value.
    void encodeComponents(const std::string& key, std::vector<std::uint8_t>& out) {
        const auto count = random_() % 3;
        if (count == 0) {
            return;
        }
        std::vector<std::uint8_t> content;
        noteContainer(key, content, [&](std::vector<std::uint8_t>& bytes) {
            for (auto left = count; left > 0; --left) {
                const auto type = static_cast<std::uint8_t>(0xa1 + random_() % 4);
                std::vector<std::uint8_t> inside;
                std::string fields = " " + key + ".component.type=" + hexNumber(type);
                const auto invokeId = static_cast<std::uint8_t>(random_());
                inside.insert(inside.end(), {0x02, 0x01, invokeId});
                fields += " " + key + ".component.invokeId=" +
                          hexNumber(static_cast<std::uint64_t>(static_cast<std::int8_t>(invokeId)));
                if (type == 0xa1) {
                    if (oneIn(2)) {
                        inside.insert(inside.end(), {0x80, 0x01, 0x05});
                    }
                    const auto operation = static_cast<std::uint8_t>(random_() % 0x80);
                    inside.insert(inside.end(), {0x02, 0x01, operation});
                    fields += " " + key + ".component.operation=" + hexNumber(operation);
                }
                std::vector<std::uint8_t> component{type, static_cast<std::uint8_t>(inside.size())};
                component.insert(component.end(), inside.begin(), inside.end());
                note(key + ".component", "[" + testing::hexText(component) + "]");
                fields_ += fields;
                bytes.insert(bytes.end(), component.begin(), component.end());
            }
        });
        out.insert(out.end(), content.begin(), content.end());
    }

    std::mt19937 random_;
    int b3InForce_ = -1;
    std::uint16_t commandWord_ = 0;
    std::string fields_;
};

// Thousands of valid messages of every kind decode to exactly the fields
// they were made of, every key with its value.
TEST(RandomMessages, DecodeToTheFieldsTheyWereMadeOf) {
    MessageMaker maker(2024);
    for (int round = 0; round < 300; ++round) {
        for (const MessageDefinition& definition : messageDefinitions()) {
            const MessageMaker::Made made = maker.make(definition);
            DecodedMessage message;
            decodeMessage(ByteView{made.bytes.data(), made.bytes.data() + made.bytes.size()},
                          trackerFor(made.bytes, made.b3InForce), message);
            ASSERT_EQ(flattened(message), made.fields)
                << "command word " << std::hex << definition.commandWord << ", B3 in force "
                << std::dec << made.b3InForce << ": " << testing::hexText(made.bytes);
        }
    }
}

// The same messages cut off anywhere never show a field they do not hold:
// every field's bytes lie inside the data.
TEST(RandomMessages, CutAnywhereShowOnlyFieldsTheyHold) {
    MessageMaker maker(7);
    for (int round = 0; round < 20; ++round) {
        for (const MessageDefinition& definition : messageDefinitions()) {
            const MessageMaker::Made made = maker.make(definition);
            for (std::size_t size = 0; size < made.bytes.size(); ++size) {
                const std::vector<std::uint8_t> cut(made.bytes.begin(),
                                                    made.bytes.begin() + static_cast<long>(size));
                DecodedMessage message;
                decodeMessage(ByteView{cut.data(), cut.data() + cut.size()},
                              trackerFor(made.bytes, made.b3InForce), message);
                EXPECT_TRUE(message.cut()) << testing::hexText(cut);
                for (const Field& field : message.fields()) {
                    EXPECT_LE(std::size_t{field.offset} + field.length, size);
                }
            }
        }
    }
}

TEST(EveryMessageKind, HasARowForEveryMessageOfTheTable) {
    for (const MessageDefinition& definition : messageDefinitions()) {
        bool found = false;
        for (const MessageCase& row : kindRows) {
            const auto bytes = bytesFromHex(row.message);
            found = found || (bytes[4] | bytes[5] << 8) == definition.commandWord;
        }
        EXPECT_TRUE(found) << "no row for command word " << std::hex << definition.commandWord;
    }
}

}  // namespace
}  // namespace ambertap
