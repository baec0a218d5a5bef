#include "firewall/adapter/PropertyNames.h"

namespace Brenix {
namespace {

// Spelled exactly as the component spells them.
constexpr const wchar_t* kPropertyNames[kPropertyNameCount] = {
    L"bEnableUiVisible",               // 0
    L"bBlockedProgsUiVisible",         // 1
    L"bIcmpPingsUiVisible",            // 2
    L"bBannedIpAddActivityUiVisible",  // 3
    L"bSystemPortEventsUiVisible",     // 4
    L"bIdsEventsUiVisible",            // 5
    L"bUnknownPortEventsUiVisible",    // 6
    L"bDoNotLogOnPortUiVisible",       // 7
    L"bEnable",                        // 8
    L"bBlockedProgs",                  // 9
    L"bIcmpPings",                     // 10
    L"bBannedIpAddActivity",           // 11
    L"bSystemPortEvents",              // 12
    L"bIdsEvents",                     // 13
    L"bUnknownPortEvents",             // 14
    L"bDoNotLogOnPort",                // 15
    L"sPort",                          // 16
    L"bHipsEnableUiVisible",           // 17
    L"bHipsLevelUiVisible",            // 18
    L"bHipsEnable",                    // 19
    L"iHipsLevel",                     // 20
    L"bShowSmartRecos",                // 21
    L"bAutomatic",                     // 22
    L"bEnableProtStartup",             // 23
    L"bAllowIcmp",                     // 24
    L"bEnableUdp",                     // 25
    L"Level",                          // 26
    L"length",                         // 27
    L"SytemServiceID",                 // 28
    L"successful",                     // 29
    L"IPId",                           // 30
};

}  // namespace

const wchar_t* const* propertyNames() noexcept { return kPropertyNames; }

const wchar_t* propertyName(size_t index) noexcept {
  return index < kPropertyNameCount ? kPropertyNames[index] : nullptr;
}

}  // namespace Brenix
