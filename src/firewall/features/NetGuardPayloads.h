// Net guard requests:
//   set    {"enable_net_guard": bool}
//   edit   {"SSID": number, "action": 0 | 1}
//   delete {"SSIDs": "3,4"}
#pragma once

#include "firewall/features/Request.h"

namespace Brenix {

class Set_netguard_payload : public Request {
 public:
  using Request::Request;
  // The switch travels as a number: 1 for true, 0 for false (VT_I4).
  bool is_netguard_enable(Ledra::ScopedVariant& enable) const {
    return read(fields::kNetGuardSwitch, enable);
  }
};

class Edit_netguard_payload : public Request {
 public:
  using Request::Request;
  // The entry's id (VT_I4).
  bool get_netssid(Ledra::ScopedVariant& ssid) const { return read(fields::kNetGuardId, ssid); }
  // 0 writes VT_BOOL false, 1 VARIANT_TRUE; any other number is refused.
  bool get_netguard_action(Ledra::ScopedVariant& action) const {
    return read(fields::kNetGuardAction, action);
  }
};

class Delete_netguard_payload : public Request {
 public:
  using Request::Request;
  // The ids to remove as an array of VT_I4.
  bool get_netssids(Ledra::ScopedVariant& ssids) const { return read(fields::kNetGuardIds, ssids); }
};

}  // namespace Brenix
