// "Core.Firewall.UpdateSmartAdvice": five booleans.
#pragma once

#include <windows.h>

#include "firewall/features/Request.h"

namespace Brenix {

class Smart_advice_payload : public Request {
 public:
  using Request::Request;
  // Each writes VT_BOOL: VARIANT_TRUE for true, 0 for false.
  bool get_showsmart_setting(VARIANT* value) const;       // "enable_smart_advice"
  bool get_automaticsmart_setting(VARIANT* value) const;  // "automatic_smart_advice"
  bool get_enableprot_setting(VARIANT* value) const;      // "enable_protection_at_startup"
  bool get_icmpallowed_setting(VARIANT* value) const;     // "allow_icmp_ping"
  bool get_enableudp_setting(VARIANT* value) const;       // "enable_udp_tracking"
};

}  // namespace Brenix
