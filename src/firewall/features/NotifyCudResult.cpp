#include "firewall/features/NotifyCudResult.h"

#include <oleauto.h>

#include <vector>

#include "wrappers/ScopedVariant.h"

namespace Brenix {
namespace {

void appendId(std::wstring& list, const VARIANT& element) {
  if (!list.empty()) list += L",";
  list += std::to_wstring(static_cast<int32_t>(V_I4(&element)));
}

std::wstring idsOfArray(SAFEARRAY* array) {
  std::wstring list;
  if (array == nullptr || SafeArrayGetDim(array) != 1) return list;
  LONG lower = 0, upper = -1;
  if (FAILED(SafeArrayGetLBound(array, 1, &lower)) || FAILED(SafeArrayGetUBound(array, 1, &upper)))
    return list;
  for (LONG index = lower; index <= upper; ++index) {
    Ledra::ScopedVariant element;
    if (SUCCEEDED(SafeArrayGetElement(array, &index, element.receive()))) appendId(list, element.get());
  }
  return list;
}

bool getDispatchProperty(IDispatch* object, const std::wstring& name, Ledra::ScopedVariant& value) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
  DISPID id = 0;
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  return SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                  value.receive(), nullptr, nullptr));
}

std::wstring idsOfObject(IDispatch* object) {
  std::wstring list;
  Ledra::ScopedVariant length;
  if (object == nullptr || !getDispatchProperty(object, L"length", length)) return list;
  const int32_t count = static_cast<int32_t>(V_I4(&length.get()));
  for (int32_t index = 0; index < count; ++index) {
    Ledra::ScopedVariant element;
    if (getDispatchProperty(object, std::to_wstring(index), element)) appendId(list, element.get());
  }
  return list;
}

}  // namespace

std::wstring Notify_cud_result::idList(const VARIANT& id) {
  switch (V_VT(&id)) {
    case VT_I4:
      return std::to_wstring(static_cast<int32_t>(V_I4(&id)));
    case VT_ARRAY | VT_VARIANT:
      return idsOfArray(V_ARRAY(&id));
    case VT_BYREF | VT_ARRAY | VT_VARIANT:
      return idsOfArray(V_ARRAYREF(&id) ? *V_ARRAYREF(&id) : nullptr);
    case VT_DISPATCH:
      return idsOfObject(V_DISPATCH(&id));
    default:
      return L"";
  }
}

void Notify_cud_result::build(int32_t featureId, int32_t functionId, const VARIANT& id, bool successful,
                              int32_t errorCode) {
  const answer::Member* members = answers::kChangeResult.members;
  setBool(members[0].key, successful);
  setInt(members[1].key, errorCode);
  setInt(members[2].key, featureId);
  setInt(members[3].key, functionId);
  setString(members[4].key, idList(id));
}

}  // namespace Brenix
