#include "kit/Kiln/HostRun.h"

#include <windows.h>

#include <sstream>

#include "include/ModuleStatus.h"
#include "kit/Kiln/Host.h"

namespace Kiln {
namespace {

std::wstring inFolder(const std::wstring& folder, const std::wstring& file) {
  return file.find(L'\\') == std::wstring::npos ? folder + L"\\" + file : file;
}

}  // namespace

std::wstring HostRun::programFolder() {
  wchar_t path[MAX_PATH * 2];
  const std::wstring program(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2));
  return program.substr(0, program.find_last_of(L"\\/"));
}

HostRun::HostRun(const HostConfig& config, const std::wstring& consolePath)
    : consolePath_(consolePath),
      file_(_wfopen(consolePath.c_str(), L"wb")),
      console_(file_ ? file_ : stdout),
      traffic_(console_, true),
      bus_(traffic_),
      output_(console_, bus_) {
  const std::wstring folder = programFolder();
  for (const RegistryValue& value : config.registry) {
    long error = 0;
    if (!seams_.set(value, error)) fail(L"cannot set HKLM\\" + value.key + L"\\" + value.valueName);
  }
  std::wstring why;
  if (bus_.open(inFolder(folder, config.busLibrary), why) != Ledra::MODULE_STATUS_SUCCESS ||
      bus_.subscribeAll() != Ledra::MODULE_STATUS_SUCCESS) {
    fail(L"no bus: " + why);
    return;
  }
  for (const std::wstring& server : config.comServers) {
    if (registerComServer(inFolder(folder, server)) != S_OK) fail(L"cannot register " + server);
  }
  modules_.reset(new Modules(output_, bus_, folder));
  for (const ModuleConfig& module : config.modules) {
    if (!modules_->load(module)) fail(L"cannot start " + module.name);
  }
}

HostRun::~HostRun() {
  if (modules_) modules_->unloadAll();
  modules_.reset();
  bus_.close();
  seams_.restore();
  if (file_) std::fclose(file_);
}

void HostRun::fail(const std::wstring& what) {
  console_.line(L"host run: " + what);
  if (failure_.empty()) failure_ = what;
}

std::vector<std::wstring> HostRun::lines() const {
  std::wstring text;
  readTextFile(consolePath_, text);
  std::vector<std::wstring> lines;
  std::wistringstream stream(text);
  for (std::wstring line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

}  // namespace Kiln
