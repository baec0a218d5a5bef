#include "kit/BxFWConfig/HubHelper.h"

#include <oleauto.h>

#include <memory>
#include <new>
#include <utility>

#include "kit/BxFWConfig/Faults.h"
#include "kit/BxFWConfig/KitRegistry.h"
#include "wrappers/ScopedSafeArray.h"
#include "wrappers/ScopedVariant.h"

namespace BxKit {
namespace {

// The file picked for OpenFile: VT_ARRAY|VT_VARIANT with the path as its one element.
HRESULT PathArray(const std::wstring& path, Ledra::ScopedVariant& out) {
  Ledra::ScopedSafeArray array(::SafeArrayCreateVector(VT_VARIANT, 0, 1));
  if (!array.get()) return E_OUTOFMEMORY;
  Ledra::ScopedVariant element;
  HRESULT hr = element.setText(path.c_str());
  if (FAILED(hr)) return hr;
  LONG index = 0;
  hr = ::SafeArrayPutElement(array.get(), &index, element.asInput());  // copies the element
  if (FAILED(hr)) return hr;
  out.setArray(std::move(array));
  return S_OK;
}

}  // namespace

HRESULT HubHelper::Create(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  HubHelper* object = new (std::nothrow) HubHelper();
  if (object == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = object->QueryInterface(riid, out);
  object->Release();
  return hr;
}

HRESULT STDMETHODCALLTYPE HubHelper::QueryInterface(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IBxHubHelper)) return E_NOINTERFACE;
  *out = static_cast<IBxHubHelper*>(this);
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE HubHelper::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE HubHelper::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE HubHelper::Reserved3() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE HubHelper::Reserved4() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE HubHelper::Reserved5() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE HubHelper::Reserved6() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE HubHelper::Reserved7() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE HubHelper::Reserved8() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE HubHelper::Reserved9() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE HubHelper::Reserved10() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE HubHelper::Reserved11() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE HubHelper::Reserved12() { return E_NOTIMPL; }

// Slot 13: the configured path, or VT_EMPTY as a cancelled dialog would answer.
HRESULT STDMETHODCALLTYPE HubHelper::OpenFile(long mode, HWND /*owner*/, VARIANT* path) {
  if (path == nullptr) return E_POINTER;
  if (mode != 1) return E_INVALIDARG;
  if (const std::optional<HRESULT> fault = FaultHResultFor(L"OpenFile")) return *fault;
  Ledra::ScopedVariant answer;
  const std::optional<std::wstring> picked = ReadMachineText(kKitKey, kOpenFilePathValue);
  const HRESULT hr = picked && !picked->empty() ? PathArray(*picked, answer) : S_OK;
  if (NullOutput(L"OpenFile")) answer.setArray(Ledra::ScopedSafeArray());
  SpoilType(L"OpenFile", *answer.asInOut());
  Ledra::fillInOut(path, std::move(answer));
  return hr;
}

HRESULT STDMETHODCALLTYPE HubHelper::Reserved14() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE HubHelper::Reserved15() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE HubHelper::Reserved16() { return E_NOTIMPL; }

// Slot 17: membership of the process token in the administrators group.
HRESULT STDMETHODCALLTYPE HubHelper::IsAdmin(VARIANT_BOOL* isAdmin) {
  if (isAdmin == nullptr) return E_POINTER;
  if (const std::optional<HRESULT> fault = FaultHResultFor(L"IsAdmin")) return *fault;
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                  0, 0, 0, 0, &administrators)) {
    return HRESULT_FROM_WIN32(::GetLastError());
  }
  const std::unique_ptr<void, decltype(&::FreeSid)> owner(administrators, &::FreeSid);
  BOOL member = FALSE;
  if (!::CheckTokenMembership(nullptr, administrators, &member)) return HRESULT_FROM_WIN32(::GetLastError());
  *isAdmin = member ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

}  // namespace BxKit
