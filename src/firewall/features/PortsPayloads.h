// Ports and system services requests:
//   add    {"name": text, "enabled": bool, "category": text,
//           "portinfo": {"tcp_local": text, "udp_local": text} (or that object's JSON as a string),
//           "description": text, "openportsto": 0 | 1, "forwardactivity": bool}
//   update the add's members and "portsysid" (number)
//   delete {"portsysid": "7,12"}
#pragma once

#include "firewall/features/Request.h"

namespace Brenix {

class Add_portsandsysserv_payload : public Request {
 public:
  using Request::Request;
  bool get_ssname(Ledra::ScopedVariant& name) const { return read(fields::kServiceName, name); }  // VT_BSTR
  bool get_ssenable_setting(Ledra::ScopedVariant& enabled) const {
    return read(fields::kServiceEnabled, enabled);
  }  // VT_BOOL
  bool get_sscategory(Ledra::ScopedVariant& category) const {
    return read(fields::kServiceCategory, category);
  }  // VT_BSTR
  // The port lists inside "portinfo" (VT_BSTR).
  bool get_tcp_localport(Ledra::ScopedVariant& tcpLocal) const { return read(fields::kTcpLocal, tcpLocal); }
  bool get_udp_localport(Ledra::ScopedVariant& udpLocal) const { return read(fields::kUdpLocal, udpLocal); }
  bool get_ssdescription(Ledra::ScopedVariant& description) const {
    return read(fields::kServiceDescription, description);
  }
  // 0 or 1 (VT_I4); any other value writes -1 and is refused.
  bool get_networktype(Ledra::ScopedVariant& networkType) const {
    return read(fields::kOpenPortsTo, networkType);
  }
  bool get_fwdportactivity_setting(Ledra::ScopedVariant& forwardActivity) const {
    return read(fields::kForwardActivity, forwardActivity);  // VT_BOOL
  }
};

class Update_portsandsysserv_payload : public Add_portsandsysserv_payload {
 public:
  using Add_portsandsysserv_payload::Add_portsandsysserv_payload;
  // The entry to change (VT_I4).
  bool get_portsysid(Ledra::ScopedVariant& serviceId) const { return read(fields::kServiceId, serviceId); }
};

class Delete_portsandsysserv_payload : public Request {
 public:
  using Request::Request;
  // The ids to remove as an array of VT_I4; here "portsysid" is a text.
  bool get_portsysid(Ledra::ScopedVariant& serviceIds) const { return read(fields::kServiceIds, serviceIds); }
};

}  // namespace Brenix
