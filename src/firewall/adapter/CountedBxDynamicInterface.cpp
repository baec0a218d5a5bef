#include "firewall/adapter/CountedBxDynamicInterface.h"

#include <new>

#include "firewall/adapter/ModuleLock.h"

namespace Brenix {

Microsoft::WRL::ComPtr<CountedBxDynamicInterface> CountedBxDynamicInterface::create() {
  // The ComPtr takes the first reference; the last Release deletes the bag.
  return Microsoft::WRL::ComPtr<CountedBxDynamicInterface>(new (std::nothrow) CountedBxDynamicInterface());
}

CountedBxDynamicInterface::CountedBxDynamicInterface() { lockModule(); }

CountedBxDynamicInterface::~CountedBxDynamicInterface() { unlockModule(); }

ULONG STDMETHODCALLTYPE CountedBxDynamicInterface::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE CountedBxDynamicInterface::Release() {
  ULONG remaining = --references_;
  if (remaining == 0) delete this;
  return remaining;
}

}  // namespace Brenix
