// What a benchmark run sets up: the prefix changes it puts back, and the bus
// with the requester, the floor and the module host on handles of their own.
#pragma once

#include <memory>
#include <string>

#include "bench/e2e/BusConnection.h"
#include "bench/e2e/ComponentRegistration.h"
#include "bench/e2e/Floor.h"
#include "bench/e2e/HostedModule.h"
#include "bench/e2e/RegistrySeam.h"
#include "bench/e2e/Traffic.h"

namespace Bench {

constexpr wchar_t kKitComponent[] = L"BxFWConfig.dll";
constexpr wchar_t kNullComponent[] = L"NullComponent.dll";

// The folder of the running program, where the build puts every binary.
std::wstring binFolder();

// The prefix as the run needs it, put back on every way out (a crash
// included): the product's default logging back end instead of the test
// prefix's file back end, the kit's state file in the temporary folder, and
// the kit's component registered again at the end.
class PrefixSeams {
 public:
  explicit PrefixSeams(const std::wstring& folder);
  ~PrefixSeams();
  PrefixSeams(const PrefixSeams&) = delete;
  PrefixSeams& operator=(const PrefixSeams&) = delete;

  void restore();

 private:
  RegistrySeam logging_;
  RegistrySeam stateFile_;
  KitRegistrationGuard kit_;
};

class Rig {
 public:
  explicit Rig(const std::wstring& folder);
  ~Rig() { stop(); }
  Rig(const Rig&) = delete;
  Rig& operator=(const Rig&) = delete;

  bool ok() const { return floorSubscription_ && floorSubscription_->ok(); }
  Traffic& traffic() { return traffic_; }

  // Registers the component DLL of folder and loads the settings service and
  // the module on the host's handle; false when any of it failed.
  bool start(const wchar_t* component);
  void stop();

 private:
  std::wstring folder_;
  BusLibrary library_;
  const Ledra::BusFunctions* bus_;
  BusHandle client_;
  BusHandle host_;
  BusHandle floorHandle_;
  Floor floor_;
  std::unique_ptr<Subscription> floorSubscription_;
  Traffic traffic_;
  HostedModule settings_;
  HostedModule module_;
};

}  // namespace Bench
