// The texts and lines of every call of the settings object, in one table
// (TarnIfCalls.cpp). The lines are the ones the product's log readers know.
#pragma once

#include "firewall/adapter/TarnIf.h"

namespace Brenix {
namespace calls {

// A counted result bag that could not be made.
constexpr int kBagCreateFailedLine = 256;

extern const SettingsCallTexts kSetFirewallState;
// Settings groups: the reads into the caller's bag, the changes, the defaults.
extern const SettingsCallTexts kGetSecurityLevel, kGetSmartAdvice, kGetHistory, kGetIntrusionDetection;
extern const SettingsCallTexts kSetSecurityLevel, kSetSmartAdvice, kSetHistory, kSetIntrusionDetection;
extern const SettingsCallTexts kRestoreDefaults, kRefreshDefaults;
// Lists.
extern const SettingsCallTexts kAddProgram, kEditProgram, kDeletePrograms, kGetPrograms;
extern const SettingsCallTexts kAddService, kEditService, kDeleteServices, kGetServices;
extern const SettingsCallTexts kSetNetGuard, kEditNetGuard, kDeleteNetGuard, kGetNetGuard;
extern const SettingsCallTexts kAddAddress, kEditAddress, kDeleteAddresses, kGetAddresses;

}  // namespace calls
}  // namespace Brenix
