// The class object of each coclass. It answers both class-factory interfaces
// (one layout: slot 3 creates an instance) and IUnknown.
#pragma once

#include <windows.h>

#include "bench/NullComponent/NullObject.h"
#include "include/BxFWInterfaces.h"

namespace NullComponent {

using CreateFunction = HRESULT (*)(REFIID riid, void** out);

class ClassFactory : public NullObject<IBxClassFactory, IBxClassFactory2> {
 public:
  // The class object of clsid asked for riid; CLASS_E_CLASSNOTAVAILABLE for a
  // class this DLL does not register.
  static HRESULT Get(REFCLSID clsid, REFIID riid, void** out);

  // create: null for a class registered only so that no other server answers
  // for it; its instances are not made (E_NOTIMPL).
  explicit ClassFactory(CreateFunction create) : create_(create) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(REFIID riid, void** object) override;  // 3

 private:
  const CreateFunction create_;
};

}  // namespace NullComponent
