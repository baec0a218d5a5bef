// SettingsManager.dll's module: the kit's settings-manager service.
#include <new>

#include "kit/SettingsManager/SettingsManagerModule.h"
#include "module/ModuleFactory.h"

namespace Ledra {

std::unique_ptr<Module> createModuleInstance(std::shared_ptr<Basalt::IOCContainer> container) {
  // Allocated without throwing: the entry point reports a failed allocation as a status.
  return std::unique_ptr<Module>(new (std::nothrow) SettingsKit::SettingsManagerModule(std::move(container)));
}

}  // namespace Ledra
