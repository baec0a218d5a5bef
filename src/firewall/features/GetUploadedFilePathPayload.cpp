#include "firewall/features/GetUploadedFilePathPayload.h"

#include <cstdint>

#include "Logging/Log.h"
#include "firewall/features/PayloadReading.h"

namespace Brenix {
namespace {

constexpr wchar_t kLogFile[] = L"Requests";
constexpr wchar_t kFunction[] = L"Brenix::Get_uploadedfilepath_payload::get_windowid";
constexpr wchar_t kKey[] = L"session_ID";
constexpr wchar_t kMissing[] = L"get_windowid:%s not found in JSON";
constexpr wchar_t kZero[] = L"get_windowid:Invalid windowId %d";

}  // namespace

bool Get_uploadedfilepath_payload::get_windowid(VARIANT* session) const {
  if (!isParsed()) return false;
  uint32_t id = 0;
  if (!getUInt(kKey, id)) {
    payload::logMissing(payload::Site{kFunction, __LINE__, kMissing}, kKey);
    return false;
  }
  if (id == 0) {
    LEDRA_LOG(Ledra::logging::Error, kFunction, __LINE__, kZero, static_cast<int>(id));
    return false;
  }
  VariantClear(session);
  V_VT(session) = VT_I4;
  V_I4(session) = static_cast<LONG>(id);
  return true;
}

}  // namespace Brenix
