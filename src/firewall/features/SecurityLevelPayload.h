// "Core.Firewall.UpdateTrafficController": {"traffic_controller": word}.
#pragma once

#include "firewall/features/Request.h"

namespace Brenix {

class Security_level_payload : public Request {
 public:
  using Request::Request;
  // "smart_access" 1, "monitored_access" 2, "stealth" 3, "lockdown" 4 as VT_I4.
  // Another word is refused and writes nothing.
  bool get_security_level(Ledra::ScopedVariant& level) const {
    return read(fields::kTrafficController, level);
  }
};

}  // namespace Brenix
