#include "wrappers/PathHelpers.h"

#include <windows.h>

#include <knownfolders.h>
#include <stdlib.h>

#include <functional>
#include <map>
#include <mutex>
#include <regex>

#include "wrappers/ScopedHandle.h"

namespace Ledra {

struct PathHelpers::Impl {
  std::shared_ptr<ShlObjAPI> shlObj;
  std::shared_ptr<Basalt::OSVersionAPI> osVersion;
  std::shared_ptr<RegistryAPI> registry;
};

namespace {

using MacroFunction = std::function<std::wstring(const PathHelpers::Impl&)>;

constexpr wchar_t kKilnKey[] = L"SOFTWARE\\BRENIX\\KILN";
constexpr wchar_t kInstallDir[] = L"Install Dir";
constexpr wchar_t kInstallDir32[] = L"Install Dir32";

// The executable's path split once per process, on first use.
struct ExecutableParts {
  std::wstring drive, directory, name, extension;
};

const ExecutableParts& executableParts() {
  static ExecutableParts parts;
  static std::once_flag once;
  std::call_once(once, [] {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    wchar_t drive[_MAX_DRIVE] = {}, directory[_MAX_DIR] = {}, name[_MAX_FNAME] = {}, extension[_MAX_EXT] = {};
    if (_wsplitpath_s(path, drive, _MAX_DRIVE, directory, _MAX_DIR, name, _MAX_FNAME, extension, _MAX_EXT) !=
        0) {
      return;
    }
    parts = ExecutableParts{drive, directory, name, extension};
  });
  return parts;
}

std::wstring platformWord(const PathHelpers::Impl& impl) {
  switch (impl.osVersion->getPlatform()) {
    case Basalt::kPlatformWin32:
      return L"win32";
    case Basalt::kPlatformX64:
      return L"x64";
    case Basalt::kPlatformUnknown:
      return L"PlatformUnknown";
    default:
      return std::wstring();  // the macro stays
  }
}

std::wstring kilnInstallDir(const PathHelpers::Impl& impl) {
  std::wstring folder;
  impl.registry->readString(kKilnKey, impl.osVersion->isWow64() ? kInstallDir32 : kInstallDir, folder);
  return folder;
}

MacroFunction knownFolder(const KNOWNFOLDERID& id) {
  // The identifiers are link-time constants, so keep a pointer, not a copy made
  // before they are initialised.
  const KNOWNFOLDERID* folder = &id;
  return [folder](const PathHelpers::Impl& impl) {
    ScopedCoTaskMemString path;
    if (FAILED(impl.shlObj->getKnownFolderPath(*folder, 0, nullptr, path.receive())) || !path) {
      return std::wstring();
    }
    return std::wstring(path.get());
  };
}

const std::map<std::wstring, MacroFunction> kMacroTable = {
    {L"$(OS.Platform)", platformWord},
    {L"$(App.Binary)",
     [](const PathHelpers::Impl&) { return executableParts().name + executableParts().extension; }},
    {L"$(App.Name)", [](const PathHelpers::Impl&) { return executableParts().name; }},
    {L"$(App.Folder)",
     [](const PathHelpers::Impl&) { return executableParts().drive + executableParts().directory; }},
    {L"$(App.Path)",
     [](const PathHelpers::Impl&) {
       const ExecutableParts& p = executableParts();
       return p.drive + p.directory + p.name + p.extension;
     }},
    {L"$(Kiln.InstallDir)", kilnInstallDir},
    {L"$(FOLDERID_Profile)", knownFolder(FOLDERID_Profile)},
    {L"$(FOLDERID_Desktop)", knownFolder(FOLDERID_Desktop)},
    {L"$(FOLDERID_Documents)", knownFolder(FOLDERID_Documents)},
    {L"$(FOLDERID_LocalAppDataLow)", knownFolder(FOLDERID_LocalAppDataLow)},
    {L"$(FOLDERID_LocalAppData)", knownFolder(FOLDERID_LocalAppData)},
    {L"$(FOLDERID_RoamingAppData)", knownFolder(FOLDERID_RoamingAppData)},
    {L"$(FOLDERID_ProgramData)", knownFolder(FOLDERID_ProgramData)},
    {L"$(FOLDERID_ProgramFiles)", knownFolder(FOLDERID_ProgramFiles)},
    {L"$(FOLDERID_ProgramFilesX64)", knownFolder(FOLDERID_ProgramFilesX64)},
    {L"$(FOLDERID_ProgramFilesX86)", knownFolder(FOLDERID_ProgramFilesX86)},
    {L"$(FOLDERID_ProgramFilesCommon)", knownFolder(FOLDERID_ProgramFilesCommon)},
    {L"$(FOLDERID_ProgramFilesCommonX64)", knownFolder(FOLDERID_ProgramFilesCommonX64)},
    {L"$(FOLDERID_ProgramFilesCommonX86)", knownFolder(FOLDERID_ProgramFilesCommonX86)},
};

// "$(", one or more characters other than "$", "(" and ")", then ")".
const std::wregex kMacroPattern(L"\\$\\([^$()]+\\)", std::regex_constants::ECMAScript);

std::shared_ptr<Basalt::OSVersionAPI> processOSVersion() {
  static const std::shared_ptr<Basalt::OSVersionAPI> service =
      std::make_shared<Basalt::CachingOSVersionAPI>();
  return service;
}

}  // namespace

PathHelpers::PathHelpers(std::shared_ptr<ShlObjAPI> shlObj, std::shared_ptr<Basalt::OSVersionAPI> osVersion,
                         std::shared_ptr<RegistryAPI> registry)
    : impl_(std::make_unique<Impl>(Impl{shlObj ? std::move(shlObj) : std::make_shared<ShlObjAPI>(),
                                        osVersion ? std::move(osVersion) : processOSVersion(),
                                        registry ? std::move(registry) : std::make_shared<RegistryAPI>()})) {}

PathHelpers::~PathHelpers() = default;

bool PathHelpers::expandMacros(std::wstring& text) {
  std::wstring rest;
  rest.swap(text);
  std::wsmatch match;
  auto from = rest.cbegin();
  while (std::regex_search(from, rest.cend(), match, kMacroPattern)) {
    const std::wstring macro = match.str(0);
    std::wstring value;
    const auto entry = kMacroTable.find(macro);
    if (entry != kMacroTable.end()) value = entry->second(*impl_);
    text.append(match.prefix().first, match.prefix().second);
    text.append(value.empty() ? macro : value);
    from = match.suffix().first;
  }
  text.append(from, rest.cend());
  return true;
}

}  // namespace Ledra
