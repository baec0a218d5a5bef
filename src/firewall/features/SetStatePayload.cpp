#include "firewall/features/SetStatePayload.h"

#include <string>

#include "Logging/Log.h"

namespace Brenix {
namespace {

constexpr wchar_t kLogFile[] = L"Requests";
constexpr wchar_t kNotFound[] = L"%s not found in JSON";
constexpr wchar_t kStateKey[] = L"state";
constexpr wchar_t kReenableKey[] = L"reenable";

}  // namespace

bool Set_state_payload::get_fwstate(VARIANT* state) const {
  if (!isParsed()) return false;
  std::wstring text;
  if (!getString(kStateKey, text)) {
    LEDRA_LOG(Ledra::logging::Error, L"Brenix::Set_state_payload::get_fwstate", __LINE__, kNotFound, kStateKey);
    return false;
  }
  VariantClear(state);
  V_VT(state) = VT_BOOL;
  V_BOOL(state) = text == L"on" ? VARIANT_TRUE : VARIANT_FALSE;
  return true;
}

bool Set_state_payload::get_reenable_time(VARIANT* reenableTime) const {
  if (!isParsed()) return false;
  int32_t value = 0;
  if (!getInt(kReenableKey, value)) {
    LEDRA_LOG(Ledra::logging::Error, L"Brenix::Set_state_payload::get_reenable_time", 1427, kNotFound,
              kReenableKey);
    return false;
  }
  VariantClear(reenableTime);
  V_VT(reenableTime) = VT_I4;
  V_I4(reenableTime) = value;
  return true;
}

}  // namespace Brenix
