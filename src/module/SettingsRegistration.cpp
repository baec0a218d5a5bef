#include "module/SettingsRegistration.h"

#include <memory>

#include "settings/SettingsManagerClient.h"

namespace Ledra {

void registerSettingsManager(Basalt::IOCContainer& container) {
  auto client = std::make_shared<SettingsManagerClient>();
  container.registerInstance<SettingsManager>(client);
  container.registerInstance<SettingsManagerClient>(client);
}

}  // namespace Ledra
