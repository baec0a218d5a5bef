// Expands path macros such as "$(App.Folder)" or "$(Kiln.InstallDir)" in
// library search folders.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "wrappers/OSVersionAPI.h"
#include "wrappers/RegistryAPI.h"
#include "wrappers/ShlObjAPI.h"

namespace Ledra {

class PathHelpers {
 public:
  // Null collaborators are replaced by the system's own. The default version
  // service is shared by the whole process, so the platform is worked out once.
  PathHelpers(std::shared_ptr<ShlObjAPI> shlObj = nullptr,
              std::shared_ptr<Basalt::OSVersionAPI> osVersion = nullptr,
              std::shared_ptr<RegistryAPI> registry = nullptr);
  virtual ~PathHelpers();
  PathHelpers(const PathHelpers&) = delete;
  PathHelpers& operator=(const PathHelpers&) = delete;

  // Replaces every known macro in text by its value. A macro that is unknown
  // or has an empty value stays as written; values are not scanned again.
  // Always answers true.
  virtual bool expandMacros(std::wstring& text);

  // The collaborators, as the macro table's functions see them.
  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace Ledra
