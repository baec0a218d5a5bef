#include "firewall/adapter/ComponentCreator.h"

#include "firewall/adapter/VerifiedCreation.h"

namespace Brenix {

HRESULT VerifiedComponentCreator::create(REFCLSID clsid, REFIID riid, void** out) {
  return createVerified(clsid, kComponentClassContext, riid, out);
}

}  // namespace Brenix
