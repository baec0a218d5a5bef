// One of the maker's sibling libraries, loaded from the first of its search
// folders that holds it, unless the installation has blocked that version,
// with its four standard entry points imported. It exists only fully loaded:
// the constructor throws Ledra::ModuleException otherwise.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "dll/BlockListKey.h"
#include "dll/DllLoader.h"
#include "dll/LibraryInfo.h"
#include "include/ModuleStatus.h"
#include "wrappers/FileVersionInfo.h"
#include "wrappers/PathHelpers.h"
#include "wrappers/PathSearch.h"

namespace Ledra {

class SharedLibrary {
 public:
  // Positions in the function table.
  static constexpr size_t kCreateObject = 0;
  static constexpr size_t kReleaseObject = 1;
  static constexpr size_t kGetVersionStr = 2;
  static constexpr size_t kGetVersionNum = 3;
  using FunctionTable = std::array<FARPROC, 4>;

  // Null loader, expander and finder are replaced by the defaults; a null
  // version reader or block-list key means a fresh one for each check.
  explicit SharedLibrary(LibraryInfo info, std::shared_ptr<DllLoader> loader = nullptr,
                         std::shared_ptr<PathHelpers> pathHelpers = nullptr,
                         std::shared_ptr<PathSearch> pathSearch = nullptr,
                         std::shared_ptr<Basalt::FileVersionInfo> fileVersionInfo = nullptr,
                         std::shared_ptr<BlockListKey> regKey = nullptr);
  // Unloads the library; a failure is logged, never thrown.
  virtual ~SharedLibrary();
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // CreateObject, ReleaseObject, GetVersionStr, GetVersionNum, in this order;
  // the caller casts each to the library's own signature.
  virtual FARPROC* getFunctions();

  HMODULE module() const { return module_; }

 private:
  ModuleStatus loadLibrary();
  bool isBlocked(const std::wstring& folder, const std::wstring& name) const;
  ModuleStatus importFunctions();
  ModuleStatus unloadLibrary() noexcept;

  LibraryInfo info_;
  std::shared_ptr<DllLoader> loader_;
  std::shared_ptr<PathHelpers> pathHelpers_;
  std::shared_ptr<PathSearch> pathSearch_;
  std::shared_ptr<BlockListKey> regKey_;
  std::shared_ptr<Basalt::FileVersionInfo> fileVersionInfo_;
  HMODULE module_ = nullptr;
  FunctionTable functions_ = {};
};

}  // namespace Ledra
