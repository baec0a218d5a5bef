#include "firewall/adapter/VerifiedCreation.h"

#include <objbase.h>
#include <wrl/client.h>

#include <string>

#include "dll/TrustCheck.h"
#include "include/BxFWInterfaces.h"

namespace Brenix {
namespace {

using Microsoft::WRL::ComPtr;

// The full path of the module that holds the code at an address; empty when
// none does.
std::wstring moduleFileAt(const void* address) {
  HMODULE module = nullptr;
  if (!::GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<LPCWSTR>(address), &module)) {
    return std::wstring();
  }
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = ::GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) return std::wstring();
    path.resize(path.size() * 2);
  }
}

// The file serving a class object: the one holding its first interface function.
bool servedByTrustedFile(IUnknown* classObject) {
  const void* const* vtable = *reinterpret_cast<const void* const* const*>(classObject);
  std::wstring file = moduleFileAt(vtable[0]);
  return !file.empty() && Ledra::checkTrustedSignature(file) == 0;
}

}  // namespace

HRESULT createVerified(REFCLSID clsid, DWORD context, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;

  ComPtr<IBxClassFactory> factory;
  ComPtr<IBxClassFactory2> factory2;
  HRESULT hr = ::CoGetClassObject(clsid, context, nullptr, IID_IBxClassFactory,
                                  reinterpret_cast<void**>(factory.GetAddressOf()));
  if (FAILED(hr) || !factory) {
    hr = ::CoGetClassObject(clsid, context, nullptr, IID_IBxClassFactory2,
                            reinterpret_cast<void**>(factory2.GetAddressOf()));
    if (FAILED(hr)) return hr;
    if (!factory2) return E_NOINTERFACE;
  }

  IUnknown* classObject = factory ? static_cast<IUnknown*>(factory.Get()) : factory2.Get();
  if (!servedByTrustedFile(classObject)) return E_ACCESSDENIED;

  return factory ? factory->CreateInstance(riid, out) : factory2->CreateInstance(riid, out);
}

}  // namespace Brenix
