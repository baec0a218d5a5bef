// The class object of each coclass. It answers both class-factory interfaces
// (they share one layout: slot 3 creates an instance) and IUnknown.
#pragma once

#include <windows.h>

#include <atomic>

#include "include/BxFWInterfaces.h"
#include "kit/BxFWConfig/ServerModule.h"

namespace BxKit {

using CreateFunction = HRESULT (*)(REFIID riid, void** out);

class ClassFactory : public IBxClassFactory, public IBxClassFactory2 {
 public:
  // The class object for clsid asked for riid; CLASS_E_CLASSNOTAVAILABLE for a
  // class this DLL does not serve.
  static HRESULT Get(REFCLSID clsid, REFIID riid, void** out);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IBxClassFactory and IBxClassFactory2
  HRESULT STDMETHODCALLTYPE CreateInstance(REFIID riid, void** object) override;  // 3

 private:
  explicit ClassFactory(CreateFunction create) : create_(create) {}
  virtual ~ClassFactory() = default;

  std::atomic<ULONG> references_{1};
  ServerObjectCount count_;
  const CreateFunction create_;
};

}  // namespace BxKit
