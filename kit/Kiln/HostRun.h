// The host inside another program (the integration and stress tests): what
// Kiln.exe sets up before its script runs (registry values, the bus with its
// printing subscription, COM servers, the configured modules), taken down in
// reverse order when the run ends. The console is a file that lines() reads back.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "kit/Kiln/Config.h"
#include "kit/Kiln/Console.h"
#include "kit/Kiln/HostBus.h"
#include "kit/Kiln/Modules.h"
#include "kit/Kiln/Registry.h"
#include "kit/Kiln/Traffic.h"

namespace Kiln {

class HostRun {
 public:
  // Sets everything up; failure() names the first step that did not succeed.
  HostRun(const HostConfig& config, const std::wstring& consolePath);
  ~HostRun();
  HostRun(const HostRun&) = delete;
  HostRun& operator=(const HostRun&) = delete;

  const std::wstring& failure() const { return failure_; }
  HostBus& bus() { return bus_; }
  Traffic& traffic() { return traffic_; }
  Modules& modules() { return *modules_; }
  RegistrySeams& registry() { return seams_; }
  // Every line printed so far: host lines and the traffic that is not hidden.
  std::vector<std::wstring> lines() const;

  // The folder of the running program, where the kit's binaries lie.
  static std::wstring programFolder();

 private:
  void fail(const std::wstring& what);

  const std::wstring consolePath_;
  std::FILE* const file_;
  Console console_;
  Traffic traffic_;
  HostBus bus_;
  HostOutput output_;
  RegistrySeams seams_;
  std::unique_ptr<Modules> modules_;
  std::wstring failure_;
};

}  // namespace Kiln
