// Ports and system services requests: add, update, delete and refresh of the
// component's system services. Add, update and delete publish their outcome.
#include "firewall/TarnModuleImpl.h"
#include "firewall/features/HandlerRows.h"
#include "wrappers/ScopedVariant.h"

namespace Ledra {
namespace {

using Ledra::ScopedVariant;

// The third and fourth port lists of the component's calls, which nothing in a
// request fills.
struct EmptyPortLists {
  ScopedVariant third{L""};
  ScopedVariant fourth{L""};
};

}  // namespace

ModuleStatus TarnModuleImpl::refresh_portsandsystem_services(const std::shared_ptr<Message>&) {
  return Brenix::refresh_list(Brenix::handlers::kRefreshServices, adapter(), settingsReference());
}

ModuleStatus TarnModuleImpl::add_portsandsystem_services(const std::shared_ptr<Message>& request) {
  return handle_change(Brenix::handlers::kAddService, request, [this](Brenix::ChangeValues& v) {
    const EmptyPortLists empty;
    return adapter().add_portsandsystemservices_settings(v[0], v[1], v[2], v[3], v[4], empty.third.get(),
                                                         empty.fourth.get(), v[5], v[6], v[7],
                                                         settingsReference(), v.newId());
  });
}

ModuleStatus TarnModuleImpl::update_portsandsystem_services(const std::shared_ptr<Message>& request) {
  return handle_change(Brenix::handlers::kUpdateService, request, [this](Brenix::ChangeValues& v) {
    const EmptyPortLists empty;
    // The id comes second in the request but first to the component.
    return adapter().update_portsandsystemservices_settings(v[1], v[0], v[2], v[3], v[4], v[5],
                                                            empty.third.get(), empty.fourth.get(), v[6], v[7],
                                                            v[8], settingsReference());
  });
}

ModuleStatus TarnModuleImpl::delete_portsandsystem_services(const std::shared_ptr<Message>& request) {
  return handle_change(Brenix::handlers::kDeleteServices, request, [this](Brenix::ChangeValues& v) {
    return adapter().delete_portsandsystemservices_settings(v[0], settingsReference());
  });
}

}  // namespace Ledra
