// Puts the module's settings manager into its IoC container.
#pragma once

#include "module/IOCContainer.h"

namespace Ledra {

// Registers one SettingsManagerClient, made without a bus (it opens a bus
// client of its own on the bus library), as the instance of both
// SettingsManager and SettingsManagerClient under "Unnamed registration".
// Throws ModuleException when the bus library cannot be had.
void registerSettingsManager(Basalt::IOCContainer& container);

}  // namespace Ledra
