// TarnModule.dll's module: the firewall module.
#include <new>

#include "firewall/TarnModuleImpl.h"
#include "module/ModuleFactory.h"

namespace Ledra {

std::unique_ptr<Module> createModuleInstance(std::shared_ptr<Basalt::IOCContainer> container) {
  // Allocated without throwing: the entry point reports a failed allocation as a status.
  return std::unique_ptr<Module>(new (std::nothrow) TarnModuleImpl(std::move(container)));
}

}  // namespace Ledra
