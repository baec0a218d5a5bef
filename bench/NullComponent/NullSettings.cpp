#include "bench/NullComponent/NullSettings.h"

#include <oaidl.h>
#include <oleauto.h>

namespace NullComponent {
namespace {

constexpr LCID kBagLocale = 1024;
constexpr long kStealth = 3;
// The result code of a bag that is missing or refuses a name.
constexpr long kBagRefused = 0x104;

// Writes one named number into the caller's result bag (the IDispatch in
// desc), by name, as the module reads it back.
long PutNumber(const VARIANT& desc, const wchar_t* name, long number) {
  if (desc.vt != VT_DISPATCH || desc.pdispVal == nullptr) return kBagRefused;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = 0;
  if (FAILED(desc.pdispVal->GetIDsOfNames(IID_NULL, names, 1, kBagLocale, &id))) return kBagRefused;
  VARIANT value;
  value.vt = VT_I4;
  value.lVal = number;
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &putId, 1, 1};
  const HRESULT hr = desc.pdispVal->Invoke(id, IID_NULL, kBagLocale, DISPATCH_PROPERTYPUT, &params, nullptr,
                                           nullptr, nullptr);
  return SUCCEEDED(hr) ? 0 : kBagRefused;
}

}  // namespace

// Slot 3
HRESULT STDMETHODCALLTYPE NullSettings::Reserved3() { return E_NOTIMPL; }

// Slot 4
HRESULT STDMETHODCALLTYPE NullSettings::Reserved4() { return E_NOTIMPL; }

// Slot 5
HRESULT STDMETHODCALLTYPE NullSettings::Reserved5() { return E_NOTIMPL; }

// Slot 6
HRESULT STDMETHODCALLTYPE NullSettings::Reserved6() { return E_NOTIMPL; }

// Slot 7
HRESULT STDMETHODCALLTYPE NullSettings::Reserved7() { return E_NOTIMPL; }

// Slot 8
HRESULT STDMETHODCALLTYPE NullSettings::Reserved8() { return E_NOTIMPL; }

// Slot 9
HRESULT STDMETHODCALLTYPE NullSettings::Reserved9() { return E_NOTIMPL; }

// Slot 10
HRESULT STDMETHODCALLTYPE NullSettings::Reserved10() { return E_NOTIMPL; }

// Slot 11
HRESULT STDMETHODCALLTYPE NullSettings::SetFirewallState(VARIANT, VARIANT, VARIANT, long*) {
  return E_NOTIMPL;
}

// Slot 12: "Level" is stealth.
HRESULT STDMETHODCALLTYPE NullSettings::GetSecurityLevel(VARIANT desc, long* result) {
  if (result == nullptr) return E_POINTER;
  *result = PutNumber(desc, L"Level", kStealth);
  return S_OK;
}

// Slot 13: accepted, kept nowhere.
HRESULT STDMETHODCALLTYPE NullSettings::SetSecurityLevel(VARIANT, VARIANT, long* result) {
  if (result == nullptr) return E_POINTER;
  *result = 0;
  return S_OK;
}

// Slot 14
HRESULT STDMETHODCALLTYPE NullSettings::GetSmartRecomendations(VARIANT, long*) { return E_NOTIMPL; }

// Slot 15
HRESULT STDMETHODCALLTYPE NullSettings::SetSmartRecomendations(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                                               VARIANT, long*) {
  return E_NOTIMPL;
}

// Slot 16
HRESULT STDMETHODCALLTYPE NullSettings::GetEventLog(VARIANT, long*) { return E_NOTIMPL; }

// Slot 17
HRESULT STDMETHODCALLTYPE NullSettings::SetEventLog(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                                    VARIANT, VARIANT, VARIANT, VARIANT, long*) {
  return E_NOTIMPL;
}

// Slot 18
HRESULT STDMETHODCALLTYPE NullSettings::as_GetProgramPermissions(VARIANT, long*) { return E_NOTIMPL; }

// Slot 19
HRESULT STDMETHODCALLTYPE NullSettings::AddProgramPermission(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                                             long*) {
  return E_NOTIMPL;
}

// Slot 20
HRESULT STDMETHODCALLTYPE NullSettings::EditProgramPermission(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                                              long*) {
  return E_NOTIMPL;
}

// Slot 21: accepted, kept nowhere.
HRESULT STDMETHODCALLTYPE NullSettings::RemoveProgramPermissions(VARIANT, VARIANT, long* result) {
  if (result == nullptr) return E_POINTER;
  *result = 0;
  return S_OK;
}

// Slot 22
HRESULT STDMETHODCALLTYPE NullSettings::as_GetIPAddresses(VARIANT, long*) { return E_NOTIMPL; }

// Slot 23
HRESULT STDMETHODCALLTYPE NullSettings::AddIPAddress(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                                     VARIANT, long*) {
  return E_NOTIMPL;
}

// Slot 24
HRESULT STDMETHODCALLTYPE NullSettings::EditIPAddress(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                                      VARIANT, VARIANT, long*) {
  return E_NOTIMPL;
}

// Slot 25
HRESULT STDMETHODCALLTYPE NullSettings::RemoveIPAddresses(VARIANT, VARIANT, long*) { return E_NOTIMPL; }

// Slot 26
HRESULT STDMETHODCALLTYPE NullSettings::as_GetSystemServices(VARIANT, long*) { return E_NOTIMPL; }

// Slot 27
HRESULT STDMETHODCALLTYPE NullSettings::AddSystemService(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                                         VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, long*) {
  return E_NOTIMPL;
}

// Slot 28
HRESULT STDMETHODCALLTYPE NullSettings::EditSystemService(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                                          VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                                          VARIANT, VARIANT, long*) {
  return E_NOTIMPL;
}

// Slot 29
HRESULT STDMETHODCALLTYPE NullSettings::RemoveSystemServices(VARIANT, VARIANT, long*) { return E_NOTIMPL; }

// Slot 30
HRESULT STDMETHODCALLTYPE NullSettings::Reserved30() { return E_NOTIMPL; }

// Slot 31
HRESULT STDMETHODCALLTYPE NullSettings::Reserved31() { return E_NOTIMPL; }

// Slot 32
HRESULT STDMETHODCALLTYPE NullSettings::ResetToDefaults(long*) { return E_NOTIMPL; }

// Slot 33
HRESULT STDMETHODCALLTYPE NullSettings::IsResetToDefaults(VARIANT_BOOL*) { return E_NOTIMPL; }

// Slot 34
HRESULT STDMETHODCALLTYPE NullSettings::Reserved34() { return E_NOTIMPL; }

// Slot 35
HRESULT STDMETHODCALLTYPE NullSettings::as_GetIPReputation(VARIANT, long*) { return E_NOTIMPL; }

// Slot 36
HRESULT STDMETHODCALLTYPE NullSettings::EditIPReputation(VARIANT, VARIANT, VARIANT, long*) {
  return E_NOTIMPL;
}

// Slot 37
HRESULT STDMETHODCALLTYPE NullSettings::RemoveIPReputation(VARIANT, VARIANT, long*) { return E_NOTIMPL; }

// Slot 38
HRESULT STDMETHODCALLTYPE NullSettings::EnableIPReputation(VARIANT, VARIANT, long*) { return E_NOTIMPL; }

// Slot 39
HRESULT STDMETHODCALLTYPE NullSettings::GetHips(VARIANT, long*) { return E_NOTIMPL; }

// Slot 40
HRESULT STDMETHODCALLTYPE NullSettings::SetHips(VARIANT, VARIANT, VARIANT, long*) { return E_NOTIMPL; }

}  // namespace NullComponent
