// The rows of the feature handlers (HandlerRows.cpp): what each logs, how it
// reads its request and what change result it publishes.
#pragma once

#include "firewall/features/HandlerSteps.h"

namespace Brenix {
namespace handlers {

extern const RefreshGroup kRefreshSecurityLevel, kRefreshSmartAdvice, kRefreshHistory,
    kRefreshIntrusionDetection;
extern const ChangeRequest kSetSecurityLevel, kSetSmartAdvice, kSetHistory, kSetIntrusionDetection;
extern const ChangeRequest kAddProgram, kEditProgram, kDeletePrograms;
extern const ChangeRequest kAddService, kUpdateService, kDeleteServices;
extern const ChangeRequest kSetNetGuard, kEditNetGuard, kDeleteNetGuard;
extern const ChangeRequest kAddAddress, kEditAddress, kDeleteAddresses;
extern const ChangeRequest kUploadedFilePath, kGetTrustLevel, kSetTrustLevel;
extern const ListRefresh kRefreshPrograms, kRefreshServices, kRefreshNetGuard, kRefreshAddresses;

}  // namespace handlers
}  // namespace Brenix
