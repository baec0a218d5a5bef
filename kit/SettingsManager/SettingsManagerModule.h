// The kit's settings-manager service as a module: on start it subscribes to
// the six request names and answers each request, on the bus thread that
// delivered it, with a reply and then the set or delete notifications.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "kit/SettingsManager/PropertyStore.h"
#include "kit/SettingsManager/SettingsService.h"
#include "module/BaseModule.h"
#include "wrappers/SrwSync.h"

namespace SettingsKit {

// The module setting that names the state file instead of the default one.
constexpr wchar_t kStateFileSetting[] = L"StateFile";

class SettingsManagerModule : public Ledra::BaseModule {
 public:
  explicit SettingsManagerModule(std::shared_ptr<Basalt::IOCContainer> container);
  // Ends the subscriptions before the members their callbacks use go away.
  ~SettingsManagerModule() override;

  // Opens the state file ("StateFile" setting, else the default path).
  Ledra::ModuleStatus initialize() override;
  Ledra::ModuleStatus start() override;
  Ledra::ModuleStatus stop() override;
  Ledra::ModuleStatus uninitialize() override;

 private:
  unsigned long onRequest(const std::shared_ptr<Ledra::Message>& request);
  void unsubscribeAll();

  std::shared_ptr<PropertyStore> store_;
  std::unique_ptr<SettingsService> service_;
  Ledra::SrwMutex subscriptionMutex_;
  bool subscribed_ = false;
};

}  // namespace SettingsKit
