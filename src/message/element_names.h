// What the fields of the network's information elements mean, by the names
// that ITU-T Q.931, Q.850 and Q.932 give them. A value without a name has
// none here.
#pragma once

#include "value_names.h"

namespace ambertap {

extern const ValueNames codingStandardNames;
extern const ValueNames typeOfNumberNames;
extern const ValueNames numberingPlanNames;
extern const ValueNames presentationNames;
extern const ValueNames screeningNames;
extern const ValueNames redirectionReasonNames;
extern const ValueNames subaddressTypeNames;
extern const ValueNames transferCapabilityNames;
extern const ValueNames transferModeNames;
extern const ValueNames transferRateNames;
extern const ValueNames layer1ProtocolNames;
extern const ValueNames userRateNames;
extern const ValueNames bearerLayer2ProtocolNames;
extern const ValueNames lowLayerLayer2ProtocolNames;
extern const ValueNames bearerLayer3ProtocolNames;
extern const ValueNames lowLayerLayer3ProtocolNames;
extern const ValueNames presentationMethodNames;
extern const ValueNames highLayerCharacteristicsNames;
extern const ValueNames locationNames;
extern const ValueNames progressDescriptionNames;
extern const ValueNames interfaceTypeNames;
extern const ValueNames basicChannelSelectionNames;
extern const ValueNames otherChannelSelectionNames;
extern const ValueNames channelTypeNames;
extern const ValueNames signalNames;
extern const ValueNames notificationNames;
extern const ValueNames protocolDiscriminatorNames;
extern const ValueNames protocolProfileNames;
extern const ValueNames componentTypeNames;

}  // namespace ambertap
