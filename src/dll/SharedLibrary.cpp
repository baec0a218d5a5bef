#include "dll/SharedLibrary.h"

#include <algorithm>
#include <cwctype>
#include <vector>

#include "Logging/Log.h"
#include "wrappers/HeldFile.h"
#include "include/ModuleException.h"

namespace Ledra {

namespace {

constexpr wchar_t kLogFile[] = L"SharedLibrary";
constexpr wchar_t kLoadThrowing[] = L"Failed to load library: %ls. Throwing ModuleException.";
constexpr wchar_t kImportThrowing[] =
    L"Failed to import functions from library: %ls. Throwing ModuleException.";
constexpr wchar_t kResolveFailed[] = L"Failed to resolve file path, %ls, for library: %ls.";
constexpr wchar_t kNoValidPath[] = L"Failed to find valid path for library: %ls.";
constexpr wchar_t kLoading[] = L"Loading %ls from %ls.";
constexpr wchar_t kBlocked[] = L"Blocked library: %ls.";
constexpr wchar_t kLoadFailed[] = L"Failed to load library: %ls.";
constexpr wchar_t kFunctionMissing[] = L"Failed to load %hs function from library: %ls.";
constexpr wchar_t kFreeFailed[] = L"Failed to free library: %ls.";
constexpr wchar_t kNotAbsolute[] = L"Refused to load %ls: not an absolute path.";

constexpr char kLoadException[] = "Failed to load library";
constexpr char kImportException[] = "Failed to import functions from library";

constexpr wchar_t kBlockListKey[] = L"SOFTWARE\\Brenix\\Kiln\\List\\";

constexpr const char* kFunctionNames[] = {"CreateObject", "ReleaseObject", "GetVersionStr", "GetVersionNum"};

std::wstring lowerCase(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))); });
  return text;
}

// The host's own libraries, which an installation can never block.
bool isCoreLibrary(const std::wstring& lowerName) {
  static const std::vector<std::wstring> kCoreLibraries = {L"systemmonitor.dll", L"settingsmanager.dll",
                                                           L"modulemanager.dll", L"messagebus.dll"};
  return std::find(kCoreLibraries.begin(), kCoreLibraries.end(), lowerName) != kCoreLibraries.end();
}

}  // namespace

SharedLibrary::SharedLibrary(LibraryInfo info, std::shared_ptr<DllLoader> loader,
                             std::shared_ptr<PathHelpers> pathHelpers, std::shared_ptr<PathSearch> pathSearch,
                             std::shared_ptr<Basalt::FileVersionInfo> fileVersionInfo,
                             std::shared_ptr<BlockListKey> regKey)
    : info_(std::move(info)),
      loader_(loader ? std::move(loader) : std::make_shared<DllLoader>()),
      pathHelpers_(pathHelpers ? std::move(pathHelpers) : std::make_shared<PathHelpers>()),
      pathSearch_(pathSearch ? std::move(pathSearch) : std::make_shared<PathSearch>()),
      regKey_(std::move(regKey)),
      fileVersionInfo_(std::move(fileVersionInfo)) {
  if (loadLibrary() != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(logging::Error, L"Ledra::SharedLibrary::SharedLibrary", __LINE__, kLoadThrowing,
              info_.name.c_str());
    throw ModuleException(kLoadException);
  }
  if (importFunctions() != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(logging::Error, L"Ledra::SharedLibrary::SharedLibrary", __LINE__, kImportThrowing,
              info_.name.c_str());
    unloadLibrary();
    throw ModuleException(kImportException);
  }
}

SharedLibrary::~SharedLibrary() { unloadLibrary(); }

FARPROC* SharedLibrary::getFunctions() { return functions_.data(); }

ModuleStatus SharedLibrary::loadLibrary() {
  for (std::wstring& folder : info_.searchFolders) {
    if (!pathHelpers_->expandMacros(folder)) {
      LEDRA_LOG(logging::Error, L"Ledra::SharedLibrary::loadLibrary", __LINE__, kResolveFailed,
                folder.c_str(), info_.name.c_str());
      return MODULE_STATUS_NOT_FOUND;
    }
  }
  pathSearch_->addSearchPaths(info_.searchFolders);
  std::wstring folder;
  if (!pathSearch_->findFilePath(info_.name, folder)) {
    LEDRA_LOG(logging::Error, L"Ledra::SharedLibrary::loadLibrary", __LINE__, kNoValidPath,
              info_.name.c_str());
    return MODULE_STATUS_NOT_FOUND;
  }
  LEDRA_LOG(logging::Normal, L"Ledra::SharedLibrary::loadLibrary", __LINE__, kLoading, info_.name.c_str(),
            folder.c_str());

  const std::wstring path = folder + L"\\" + info_.name;
  if (!isAbsolutePath(path)) {
    // Loaded by this path, the library would be searched for: another file than the one checked.
    LEDRA_LOG(logging::Error, L"Ledra::SharedLibrary::loadLibrary", __LINE__, kNotAbsolute, path.c_str());
    LEDRA_LOG(logging::Error, L"Ledra::SharedLibrary::loadLibrary", __LINE__, kLoadFailed,
              info_.name.c_str());
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  // Held from the block-list read until the load has returned, so that the
  // version read is that of the file loaded. A file not there leaves nothing
  // to hold (the load itself opens, checks and holds what it loads); any other
  // failure to hold it refuses the load.
  const HeldFile held(path);
  if (!held.valid() && held.error() != ERROR_FILE_NOT_FOUND && held.error() != ERROR_PATH_NOT_FOUND) {
    LEDRA_LOG(logging::Error, L"Ledra::SharedLibrary::loadLibrary", __LINE__, kLoadFailed,
              info_.name.c_str());
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  if (isBlocked(folder, info_.name)) {
    LEDRA_LOG(logging::Information, L"Ledra::SharedLibrary::loadLibrary", __LINE__, kBlocked, path.c_str());
    return MODULE_STATUS_NOT_SUPPORTED;
  }
  if (!loader_->loadDLL(path, &module_)) {
    LEDRA_LOG(logging::Error, L"Ledra::SharedLibrary::loadLibrary", __LINE__, kLoadFailed,
              info_.name.c_str());
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  return MODULE_STATUS_SUCCESS;
}

bool SharedLibrary::isBlocked(const std::wstring& folder, const std::wstring& name) const {
  if (name.empty() || folder.empty()) return false;
  const std::wstring lowerName = lowerCase(name);
  if (isCoreLibrary(lowerName)) return false;

  // A version is blocked by a value named after its FileVersion text that
  // holds that same text.
  const std::shared_ptr<Basalt::FileVersionInfo> versionInfo =
      fileVersionInfo_ ? fileVersionInfo_ : std::make_shared<Basalt::FileVersionInfo>();
  if (!versionInfo->read(lowerCase(folder) + L"\\" + lowerName)) return false;
  const std::wstring version = versionInfo->fileVersion();

  const std::shared_ptr<BlockListKey> key = regKey_ ? regKey_ : std::make_shared<BlockListKey>();
  if (!key->open(kBlockListKey + lowerName)) return false;
  std::wstring blocked;
  const LSTATUS read = key->readString(version, blocked);
  // A listed value that cannot be read as text (another type, broken data) fails closed.
  if (read != ERROR_SUCCESS && read != ERROR_FILE_NOT_FOUND) return true;
  if (read == ERROR_FILE_NOT_FOUND) blocked.clear();  // not listed: empty text
  return blocked == version;
}

ModuleStatus SharedLibrary::importFunctions() {
  for (size_t i = 0; i < functions_.size(); ++i) {
    functions_[i] = loader_->getProcAddress(module_, kFunctionNames[i]);
    if (functions_[i] == nullptr) {
      LEDRA_LOG(logging::Error, L"Ledra::SharedLibrary::importFunctions", __LINE__, kFunctionMissing,
                kFunctionNames[i], info_.name.c_str());
      return MODULE_STATUS_NOT_FOUND;
    }
  }
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus SharedLibrary::unloadLibrary() noexcept {
  try {
    if (module_ == nullptr) return MODULE_STATUS_SUCCESS;
    if (!loader_->freeLibrary(module_)) {
      LEDRA_LOG(logging::Error, L"Ledra::SharedLibrary::unloadLibrary", __LINE__, kFreeFailed,
                info_.name.c_str());
      return MODULE_STATUS_UNSUCCESSFUL;
    }
    module_ = nullptr;
    return MODULE_STATUS_SUCCESS;
  } catch (...) {
    return MODULE_STATUS_UNKNOWN_EXCEPTION;
  }
}

}  // namespace Ledra
