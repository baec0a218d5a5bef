#include "firewall/features/NetworkTrustLevelPayload.h"

#include "firewall/features/PayloadReading.h"

namespace Brenix {
namespace {

constexpr wchar_t kTrustMissing[] =
    L"Network_trust_level_payload::get_trust_level:- Attribute %s not found in JSON";

}  // namespace

bool Network_trust_level_payload::get_mac_address(VARIANT* mac) const {
  if (!isParsed()) return false;
  const payload::Site site{L"Brenix::Network_trust_level_payload::get_mac_address", __LINE__};
  return payload::readText(*this, L"mac_address", site, mac);
}

bool Network_trust_level_payload::get_trust_level(VARIANT* level) const {
  if (!isParsed()) return false;
  const payload::Site site{L"Brenix::Network_trust_level_payload::get_trust_level", __LINE__, kTrustMissing};
  return payload::readInt(*this, L"trust_level", site, level);
}

}  // namespace Brenix
