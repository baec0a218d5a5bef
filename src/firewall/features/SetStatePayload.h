// "Core.Firewall.SetState": {"state": "on" | other text, "reenable": number}.
#pragma once

#include "firewall/features/Request.h"

namespace Brenix {

class Set_state_payload : public Request {
 public:
  using Request::Request;
  // "on" writes VARIANT_TRUE, any other text 0 (VT_BOOL).
  bool get_fwstate(Ledra::ScopedVariant& state) const { return read(fields::kFirewallState, state); }
  // The re-enable time as a signed 32-bit number (VT_I4).
  bool get_reenable_time(Ledra::ScopedVariant& reenableTime) const {
    return read(fields::kReenableTime, reenableTime);
  }
};

}  // namespace Brenix
