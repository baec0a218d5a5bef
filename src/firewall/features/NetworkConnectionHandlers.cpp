// Network connection requests: add, edit, delete and refresh of the
// component's IP address entries. Add and edit publish the component's own
// result code as the change result's error code. "IsIpV4" (value 2 of an add,
// 3 of an edit) is required but never handed on.
#include "firewall/TarnModuleImpl.h"
#include "firewall/features/HandlerRows.h"

namespace Ledra {

ModuleStatus TarnModuleImpl::refresh_network_connection(const std::shared_ptr<Message>&) {
  return Brenix::refresh_list(Brenix::handlers::kRefreshAddresses, adapter(), settingsReference());
}

ModuleStatus TarnModuleImpl::add_network_connection(const std::shared_ptr<Message>& request) {
  return handle_change(Brenix::handlers::kAddAddress, request, [this](Brenix::ChangeValues& v) {
    return adapter().add_my_networkconnection(v[0], v[1], v[3], v[4], v[5], v[6], settingsReference(),
                                              v.newId(), v.resultCode());
  });
}

ModuleStatus TarnModuleImpl::edit_network_connection(const std::shared_ptr<Message>& request) {
  return handle_change(Brenix::handlers::kEditAddress, request, [this](Brenix::ChangeValues& v) {
    return adapter().edit_my_networkconnection(v[0], v[1], v[2], v[4], v[5], v[6], v[7], settingsReference(),
                                               v.resultCode());
  });
}

ModuleStatus TarnModuleImpl::delete_network_connection(const std::shared_ptr<Message>& request) {
  return handle_change(Brenix::handlers::kDeleteAddresses, request, [this](Brenix::ChangeValues& v) {
    return adapter().delete_my_networkconnection(v[0], settingsReference());
  });
}

}  // namespace Ledra
