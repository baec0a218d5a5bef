// "Core.Firewall.UpdateSmartAdvice": five booleans, each written as VT_BOOL.
#pragma once

#include "firewall/features/Request.h"

namespace Brenix {

class Smart_advice_payload : public Request {
 public:
  using Request::Request;
  bool get_showsmart_setting(Ledra::ScopedVariant& value) const {
    return read(fields::kShowSmartRecos, value);
  }
  bool get_automaticsmart_setting(Ledra::ScopedVariant& value) const {
    return read(fields::kAutomaticSmartAdvice, value);
  }
  bool get_enableprot_setting(Ledra::ScopedVariant& value) const {
    return read(fields::kProtectionAtStartup, value);
  }
  bool get_icmpallowed_setting(Ledra::ScopedVariant& value) const {
    return read(fields::kAllowIcmpPing, value);
  }
  bool get_enableudp_setting(Ledra::ScopedVariant& value) const { return read(fields::kUdpTracking, value); }
};

}  // namespace Brenix
