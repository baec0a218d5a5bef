#include "firewall/features/NetGuardPayloads.h"

#include <cstdint>

#include "Logging/Log.h"
#include "firewall/features/PayloadReading.h"

namespace Brenix {
namespace {

constexpr wchar_t kLogFile[] = L"Requests";

constexpr wchar_t kEnableKey[] = L"enable_net_guard";
constexpr wchar_t kSsidKey[] = L"SSID";
constexpr wchar_t kActionKey[] = L"action";
constexpr wchar_t kSsidsKey[] = L"SSIDs";

constexpr wchar_t kActionInvalid[] = L"Invalid value received in payload.";
constexpr wchar_t kIdsRefused[] = L"Failed to convert string based SSID list id to Variant SafeArray.";

}  // namespace

bool Set_netguard_payload::is_netguard_enable(VARIANT* enable) const {
  if (!isParsed()) return false;
  bool value = false;
  if (!getBool(kEnableKey, value)) {
    payload::logMissing({L"Brenix::Set_netguard_payload::is_netguard_enable", __LINE__}, kEnableKey);
    return false;
  }
  VariantClear(enable);
  V_VT(enable) = VT_I4;
  V_I4(enable) = value ? 1 : 0;
  return true;
}

bool Edit_netguard_payload::get_netssid(VARIANT* ssid) const {
  if (!isParsed()) return false;
  return payload::readInt(*this, kSsidKey, {L"Brenix::Edit_netguard_payload::get_netssid", __LINE__}, ssid);
}

bool Edit_netguard_payload::get_netguard_action(VARIANT* action) const {
  if (!isParsed()) return false;
  constexpr wchar_t kFunction[] = L"Brenix::Edit_netguard_payload::get_netguard_action";
  int32_t value = 0;
  if (!payload::readInt(*this, kActionKey, {kFunction, __LINE__}, value)) return false;
  if (value != 0 && value != 1) {
    payload::logRefusal({kFunction, __LINE__}, kActionInvalid);
    return false;
  }
  VariantClear(action);
  V_VT(action) = VT_BOOL;
  V_BOOL(action) = value == 1 ? VARIANT_TRUE : VARIANT_FALSE;
  return true;
}

bool Delete_netguard_payload::get_netssids(VARIANT* ssids) const {
  if (!isParsed()) return false;
  return payload::readIdList(*this, kSsidsKey, {L"Brenix::Delete_netguard_payload::get_netssids", __LINE__},
                             kIdsRefused, ssids);
}

}  // namespace Brenix
