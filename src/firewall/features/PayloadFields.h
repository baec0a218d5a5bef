// Every value the requests carry (PayloadFields.cpp), and each request's
// values in the order its handler reads them.
#pragma once

#include "firewall/features/PayloadTable.h"

namespace Brenix {
namespace fields {

using payload::Field;

extern const Field kTrafficController;
extern const Field kShowSmartRecos, kAutomaticSmartAdvice, kProtectionAtStartup, kAllowIcmpPing, kUdpTracking;
extern const Field kLogEvents, kBlockedPrograms, kIcmpPings, kBannedIps, kSystemServicePorts,
    kIntrusionEvents, kUnknownEvents, kDontLogOnPorts, kPortsNotToLog;
extern const Field kIntrusionDetection, kIntrusionLevel;
extern const Field kProgramFile, kPermission, kScope, kProgramNetGuard, kProgramId, kProgramIds;
extern const Field kServiceName, kServiceEnabled, kServiceCategory, kTcpLocal, kUdpLocal, kServiceDescription,
    kOpenPortsTo, kForwardActivity, kServiceId, kServiceIds;
extern const Field kNetGuardSwitch, kNetGuardId, kNetGuardAction, kNetGuardIds;
extern const Field kNotes, kIpType, kIsIpv4, kStartAddress, kEndAddress, kNetworkType, kExpiresIn, kAddressId,
    kAddressIds;
extern const Field kFirewallState, kReenableTime, kSwitchState;
extern const Field kSessionId;
extern const Field kMacAddress, kTrustLevel;

}  // namespace fields

namespace payloads {

using payload::RequestPayload;

extern const RequestPayload kUpdateTrafficController, kUpdateSmartAdvice, kSetHistory, kSetIntrusionDetection;
extern const RequestPayload kAddProgram, kEditProgram, kDeletePrograms;
extern const RequestPayload kAddService, kUpdateService, kDeleteServices;
extern const RequestPayload kSetNetGuard, kEditNetGuard, kDeleteNetGuard;
extern const RequestPayload kAddAddress, kEditAddress, kDeleteAddresses;
extern const RequestPayload kSetState, kChangeState, kUploadedFilePath, kGetTrustLevel, kSetTrustLevel;

}  // namespace payloads
}  // namespace Brenix
