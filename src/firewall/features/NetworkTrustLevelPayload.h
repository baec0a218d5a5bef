// "Core.Firewall.GetTrustLevel" and "Core.Firewall.SetTrustLevel":
// {"mac_address": text, "trust_level": number (set only)}.
#pragma once

#include "firewall/features/Request.h"

namespace Brenix {

class Network_trust_level_payload : public Request {
 public:
  using Request::Request;
  // VT_BSTR holding a copy of the text.
  bool get_mac_address(Ledra::ScopedVariant& mac) const { return read(fields::kMacAddress, mac); }
  // The number as read, VT_I4; the handler passes it on as VT_UI4.
  bool get_trust_level(Ledra::ScopedVariant& level) const { return read(fields::kTrustLevel, level); }
};

}  // namespace Brenix
