// Security level of the traffic controller and smart advice: each group's
// refresh publishes its current values, its update changes them and publishes
// a change result, also when the component refused the change.
#include "firewall/TarnModuleImpl.h"
#include "firewall/features/HandlerRows.h"

namespace Ledra {

ModuleStatus TarnModuleImpl::refresh_security_level(const std::shared_ptr<Message>&) {
  return refresh_group(Brenix::handlers::kRefreshSecurityLevel);
}

ModuleStatus TarnModuleImpl::set_securitylevel_setting(const std::shared_ptr<Message>& request) {
  return handle_change(Brenix::handlers::kSetSecurityLevel, request, [this](Brenix::ChangeValues& v) {
    return adapter().set_firewallsecuritylevel_settings(v[0], settingsReference());
  });
}

ModuleStatus TarnModuleImpl::refresh_smartadvice_setting(const std::shared_ptr<Message>&) {
  return refresh_group(Brenix::handlers::kRefreshSmartAdvice);
}

ModuleStatus TarnModuleImpl::set_smartadvice_setting(const std::shared_ptr<Message>& request) {
  return handle_change(Brenix::handlers::kSetSmartAdvice, request, [this](Brenix::ChangeValues& v) {
    return adapter().set_firewallsmartadvice_settings(v[0], v[1], v[2], v[3], v[4], settingsReference());
  });
}

}  // namespace Ledra
