#include "firewall/features/ServiceResponses.h"

#include <oleauto.h>

#include <string>

#include "Logging/Log.h"
#include "wrappers/ScopedVariant.h"

namespace Brenix {
namespace {

constexpr wchar_t kLogFile[] = L"Module_responses";
constexpr wchar_t kFilePathFunction[] =
    L"Brenix::Notify_getuploaded_filepath_response::prepare_getuploadedfilepath_payload";
constexpr wchar_t kElementNotText[] = L" IN prepare_getuploadedfilepath_payload not VT_BSTRs. Type=%d";
constexpr wchar_t kUnexpectedType[] = L" IN prepare_getuploadedfilepath_payload unexpected type. Type=%d";
const wchar_t* const kFilePathKey = answers::kUploadedFilePath.members[0].key;

std::wstring textOf(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

}  // namespace

bool Notify_getuploaded_filepath_response::prepare_getuploadedfilepath_payload(const VARIANT& path) {
  if (V_VT(&path) == VT_EMPTY) {
    setString(kFilePathKey, L"");
    return true;
  }
  if (V_VT(&path) != (VT_ARRAY | VT_VARIANT)) {
    LEDRA_LOG(Ledra::logging::Error, kFilePathFunction, 30, kUnexpectedType, static_cast<int>(V_VT(&path)));
    return false;
  }
  SAFEARRAY* array = V_ARRAY(&path);
  LONG lower = 0, upper = -1;
  if (array == nullptr || SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(array, 1, &upper)) || upper < lower) {
    setString(kFilePathKey, L"");
    return true;
  }
  Ledra::ScopedVariant first;
  const HRESULT hr = SafeArrayGetElement(array, &lower, first.receive());
  if (FAILED(hr) || first.type() != VT_BSTR) {
    LEDRA_LOG(Ledra::logging::Error, kFilePathFunction, 44, kElementNotText, static_cast<int>(first.type()));
    return false;
  }
  setString(kFilePathKey, textOf(V_BSTR(&first.get())));
  return true;
}

void Notify_network_trust_level::build(const VARIANT& level, const VARIANT& mac) {
  const answer::Member* members = answers::kTrustLevel.members;
  setInt(members[0].key, V_VT(&level) == VT_I4 ? static_cast<int32_t>(V_I4(&level)) : -1);
  setString(members[1].key, V_VT(&mac) == VT_BSTR ? textOf(V_BSTR(&mac)) : std::wstring());
}

}  // namespace Brenix
