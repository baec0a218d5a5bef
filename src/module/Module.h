// The abstract module the host drives through the module function table.
#pragma once

#include "include/ModuleStatus.h"

namespace Ledra {

class Module {
 public:
  virtual ~Module() = default;
  virtual ModuleStatus initialize() = 0;
  virtual ModuleStatus start() = 0;
  virtual ModuleStatus stop() = 0;
  virtual ModuleStatus uninitialize() = 0;
};

}  // namespace Ledra
