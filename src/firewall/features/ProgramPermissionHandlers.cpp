// Program permission requests: add, edit, delete and refresh of the
// component's per-program entries. Edit and delete publish their outcome.
#include "firewall/TarnModuleImpl.h"
#include "firewall/features/HandlerRows.h"

namespace Ledra {

ModuleStatus TarnModuleImpl::refresh_proginternet_conn(const std::shared_ptr<Message>&) {
  return Brenix::refresh_list(Brenix::handlers::kRefreshPrograms, adapter(), settingsReference());
}

ModuleStatus TarnModuleImpl::add_proginternet_conn(const std::shared_ptr<Message>& request) {
  return handle_change(Brenix::handlers::kAddProgram, request, [this](Brenix::ChangeValues& v) {
    return adapter().firewall_add_proginternetconn(v[0], v[1], v[2], v[3], settingsReference());
  });
}

ModuleStatus TarnModuleImpl::edit_proginternet_conn(const std::shared_ptr<Message>& request) {
  return handle_change(Brenix::handlers::kEditProgram, request, [this](Brenix::ChangeValues& v) {
    return adapter().firewall_edit_proginternetconn(v[0], v[1], v[2], v[3], settingsReference());
  });
}

ModuleStatus TarnModuleImpl::delete_proginternet_conn(const std::shared_ptr<Message>& request) {
  return handle_change(Brenix::handlers::kDeletePrograms, request, [this](Brenix::ChangeValues& v) {
    return adapter().firewall_delete_proginternetconn(v[0], settingsReference());
  });
}

}  // namespace Ledra
