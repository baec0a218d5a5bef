// Event history and intrusion detection: each group's refresh publishes its
// current values, its update changes them and publishes a change result, also
// when the component refused the change.
#include "firewall/TarnModuleImpl.h"
#include "firewall/features/HandlerRows.h"

namespace Ledra {

ModuleStatus TarnModuleImpl::refresh_history_setting(const std::shared_ptr<Message>&) {
  return refresh_group(Brenix::handlers::kRefreshHistory);
}

ModuleStatus TarnModuleImpl::set_history_setting(const std::shared_ptr<Message>& request) {
  return handle_change(Brenix::handlers::kSetHistory, request, [this](Brenix::ChangeValues& v) {
    return adapter().set_firewallhistory_setting(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8],
                                                 settingsReference());
  });
}

ModuleStatus TarnModuleImpl::refresh_intrusion_detection(const std::shared_ptr<Message>&) {
  return refresh_group(Brenix::handlers::kRefreshIntrusionDetection);
}

ModuleStatus TarnModuleImpl::set_intrusion_detection(const std::shared_ptr<Message>& request) {
  return handle_change(Brenix::handlers::kSetIntrusionDetection, request, [this](Brenix::ChangeValues& v) {
    return adapter().set_firewallintrusiondetection_setting(v[0], v[1], settingsReference());
  });
}

}  // namespace Ledra
