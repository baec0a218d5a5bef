// Net guard requests: the global switch, one entry's action, deleting entries
// and refreshing the list. Edit and delete publish their outcome.
#include "firewall/TarnModuleImpl.h"
#include "firewall/features/HandlerRows.h"

namespace Ledra {

ModuleStatus TarnModuleImpl::refresh_netguard(const std::shared_ptr<Message>&) {
  return Brenix::refresh_list(Brenix::handlers::kRefreshNetGuard, adapter(), settingsReference());
}

ModuleStatus TarnModuleImpl::set_netguard(const std::shared_ptr<Message>& request) {
  return handle_change(Brenix::handlers::kSetNetGuard, request, [this](Brenix::ChangeValues& v) {
    return adapter().set_firewall_netguard(v[0], settingsReference());
  });
}

ModuleStatus TarnModuleImpl::edit_netguard(const std::shared_ptr<Message>& request) {
  return handle_change(Brenix::handlers::kEditNetGuard, request, [this](Brenix::ChangeValues& v) {
    return adapter().edit_firewall_netguard(v[0], v[1], settingsReference());
  });
}

ModuleStatus TarnModuleImpl::delete_netguard(const std::shared_ptr<Message>& request) {
  return handle_change(Brenix::handlers::kDeleteNetGuard, request, [this](Brenix::ChangeValues& v) {
    return adapter().delete_firewall_netguard(v[0], settingsReference());
  });
}

}  // namespace Ledra
