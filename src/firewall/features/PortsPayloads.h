// Ports and system services requests:
//   add    {"name": text, "enabled": bool, "category": text,
//           "portinfo": {"tcp_local": text, "udp_local": text} (or that object's JSON as a string),
//           "description": text, "openportsto": 0 | 1, "forwardactivity": bool}
//   update the add's members and "portsysid" (number)
//   delete {"portsysid": "7,12"}
#pragma once

#include <windows.h>

#include "firewall/features/Request.h"

namespace Brenix {

class Add_portsandsysserv_payload : public Request {
 public:
  using Request::Request;
  bool get_ssname(VARIANT* name) const;               // VT_BSTR
  bool get_ssenable_setting(VARIANT* enabled) const;  // VT_BOOL
  bool get_sscategory(VARIANT* category) const;       // VT_BSTR
  // The port lists inside "portinfo"; each getter reads and parses "portinfo" anew.
  bool get_tcp_localport(VARIANT* tcpLocal) const;     // VT_BSTR
  bool get_udp_localport(VARIANT* udpLocal) const;     // VT_BSTR
  bool get_ssdescription(VARIANT* description) const;  // VT_BSTR
  // 0 or 1 (VT_I4); any other value, read as unsigned, writes -1 and is refused.
  bool get_networktype(VARIANT* networkType) const;
  bool get_fwdportactivity_setting(VARIANT* forwardActivity) const;  // VT_BOOL
};

class Update_portsandsysserv_payload : public Add_portsandsysserv_payload {
 public:
  using Add_portsandsysserv_payload::Add_portsandsysserv_payload;
  // The entry to change (VT_I4).
  bool get_portsysid(VARIANT* serviceId) const;
};

class Delete_portsandsysserv_payload : public Request {
 public:
  using Request::Request;
  // The ids to remove as an array of VT_I4; here "portsysid" is a text.
  bool get_portsysid(VARIANT* serviceIds) const;
};

}  // namespace Brenix
