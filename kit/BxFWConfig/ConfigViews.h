// The configurations GetConfig answers, built from a snapshot of the model:
//   114 firewall: 0 enabled (VT_BOOL, writable), 1 re-enable minutes (VT_I4),
//                 2 security level (VT_I4)
//   100 HIPS:     9 enabled (VT_BOOL, writable), 10 level (VT_I4 0..2, writable)
//   103 IP rules: a collection of rules, each 0 id (VT_I4), 3 address (VT_BSTR),
//                 9 MAC address (VT_BSTR, a null BSTR when the rule has none),
//                 11 trust level (VT_I4 0..2, writable from any integer type)
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "kit/BxFWConfig/Model.h"

namespace BxKit {

constexpr long kRuleId = 0;
constexpr long kFirewallReenableMinutes = 1;
constexpr long kFirewallSecurityLevel = 2;
constexpr long kHipsLevel = 10;

HRESULT MakeFirewallConfig(const FirewallModel& model, IDispatch** out);
HRESULT MakeHipsConfig(const FirewallModel& model, IDispatch** out);
HRESULT MakeIpRuleConfig(const IpRule& rule, IDispatch** out);

}  // namespace BxKit
