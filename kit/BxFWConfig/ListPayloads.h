// The JSON texts the component publishes for its lists (see README.md).
#pragma once

#include <string>

#include "kit/BxFWConfig/Model.h"

namespace BxKit {

constexpr wchar_t kProgramPermissionsMessage[] = L"Core.Firewall.Component.ProgramPermissions";
constexpr wchar_t kIpAddressesMessage[] = L"Core.Firewall.Component.IPAddresses";
constexpr wchar_t kSystemServicesMessage[] = L"Core.Firewall.Component.SystemServices";
constexpr wchar_t kIpReputationMessage[] = L"Core.Firewall.Component.IPReputation";

std::wstring ProgramPermissionsJson(const FirewallModel& model);
std::wstring IpAddressesJson(const FirewallModel& model);
std::wstring SystemServicesJson(const FirewallModel& model);
std::wstring IpReputationJson(const FirewallModel& model);

}  // namespace BxKit
