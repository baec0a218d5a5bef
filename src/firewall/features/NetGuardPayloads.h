// Net guard requests:
//   set    {"enable_net_guard": bool}
//   edit   {"SSID": number, "action": 0 | 1}
//   delete {"SSIDs": "3,4"}
#pragma once

#include <windows.h>

#include "firewall/features/Request.h"

namespace Brenix {

class Set_netguard_payload : public Request {
 public:
  using Request::Request;
  // The switch travels as a number: 1 for true, 0 for false (VT_I4).
  bool is_netguard_enable(VARIANT* enable) const;
};

class Edit_netguard_payload : public Request {
 public:
  using Request::Request;
  // The entry's id (VT_I4).
  bool get_netssid(VARIANT* ssid) const;
  // 0 writes VT_BOOL false, 1 VARIANT_TRUE; any other number is refused.
  bool get_netguard_action(VARIANT* action) const;
};

class Delete_netguard_payload : public Request {
 public:
  using Request::Request;
  // The ids to remove as an array of VT_I4.
  bool get_netssids(VARIANT* ssids) const;
};

}  // namespace Brenix
