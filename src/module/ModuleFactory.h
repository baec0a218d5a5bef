// What each module library supplies to the shared entry points.
#pragma once

#include <memory>

#include "module/IOCContainer.h"
#include "module/Module.h"

namespace Ledra {

// Creates the library's module with the container NewModule made. Answers an
// empty pointer when the allocation fails; other failures throw.
std::unique_ptr<Module> createModuleInstance(std::shared_ptr<Basalt::IOCContainer> container);

}  // namespace Ledra
