#include "firewall/adapter/VerifiedCreation.h"

#include <objbase.h>
#include <wrl/client.h>

#include "include/BxFWInterfaces.h"
#include "wrappers/ImageTrust.h"

namespace Brenix {
namespace {

using Microsoft::WRL::ComPtr;

// The file serving a class object is the one holding its first interface function.
const void* firstInterfaceFunction(IUnknown* classObject) {
  const void* const* vtable = *reinterpret_cast<const void* const* const*>(classObject);
  return vtable[0];
}

}  // namespace

HRESULT createVerified(REFCLSID clsid, DWORD context, REFIID riid, void** out) {
  return createVerified(clsid, context, riid, out, Ledra::ImageTrust::process());
}

HRESULT createVerified(REFCLSID clsid, DWORD context, REFIID riid, void** out, Ledra::ImageTrust& trust) {
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
  if (trust.checkImageAt(firstInterfaceFunction(classObject)) != 0) return E_ACCESSDENIED;

  return factory ? factory->CreateInstance(riid, out) : factory2->CreateInstance(riid, out);
}

}  // namespace Brenix
