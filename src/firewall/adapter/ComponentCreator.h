// How the adapter makes the firewall component's objects. The default creates
// them by verified creation; tests hand the adapter in-process fakes instead.
#pragma once

#include <windows.h>

namespace Brenix {

class ComponentCreator {
 public:
  virtual ~ComponentCreator() = default;
  // Creates an object of the class for riid into *out (null on failure).
  virtual HRESULT create(REFCLSID clsid, REFIID riid, void** out) = 0;
};

class VerifiedComponentCreator : public ComponentCreator {
 public:
  HRESULT create(REFCLSID clsid, REFIID riid, void** out) override;
};

}  // namespace Brenix
