// The heap form of the result bag: reference counted, and keeping the module's
// lock count raised while it lives. The adapter's set and get operations hand
// this form to the component, which may hold on to it.
#pragma once

#include <wrl/client.h>

#include <atomic>

#include "firewall/adapter/BxDynamicInterface.h"

namespace Brenix {

class CountedBxDynamicInterface : public BxDynamicInterface {
 public:
  // An empty bag holding one reference; null when memory ran out.
  static Microsoft::WRL::ComPtr<CountedBxDynamicInterface> create();

  ~CountedBxDynamicInterface() override;

  ULONG STDMETHODCALLTYPE AddRef() override;   // 1
  ULONG STDMETHODCALLTYPE Release() override;  // 2

 private:
  CountedBxDynamicInterface();

  std::atomic<ULONG> references_{0};
};

}  // namespace Brenix
