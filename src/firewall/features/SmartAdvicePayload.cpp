#include "firewall/features/SmartAdvicePayload.h"

#include "firewall/features/PayloadReading.h"

namespace Brenix {

bool Smart_advice_payload::get_showsmart_setting(VARIANT* value) const {
  if (!isParsed()) return false;
  const payload::Site site{L"Brenix::Smart_advice_payload::get_showsmart_setting", __LINE__};
  return payload::readBool(*this, L"enable_smart_advice", site, value);
}

bool Smart_advice_payload::get_automaticsmart_setting(VARIANT* value) const {
  if (!isParsed()) return false;
  const payload::Site site{L"Brenix::Smart_advice_payload::get_automaticsmart_setting", __LINE__};
  return payload::readBool(*this, L"automatic_smart_advice", site, value);
}

bool Smart_advice_payload::get_enableprot_setting(VARIANT* value) const {
  if (!isParsed()) return false;
  const payload::Site site{L"Brenix::Smart_advice_payload::get_enableprot_setting", __LINE__};
  return payload::readBool(*this, L"enable_protection_at_startup", site, value);
}

bool Smart_advice_payload::get_icmpallowed_setting(VARIANT* value) const {
  if (!isParsed()) return false;
  const payload::Site site{L"Brenix::Smart_advice_payload::get_icmpallowed_setting", __LINE__};
  return payload::readBool(*this, L"allow_icmp_ping", site, value);
}

bool Smart_advice_payload::get_enableudp_setting(VARIANT* value) const {
  if (!isParsed()) return false;
  const payload::Site site{L"Brenix::Smart_advice_payload::get_enableudp_setting", __LINE__};
  return payload::readBool(*this, L"enable_udp_tracking", site, value);
}

}  // namespace Brenix
