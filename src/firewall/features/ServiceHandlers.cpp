// Small services: restoring the defaults and telling whether the settings are
// the defaults, the user's administrator state, the file dialog for choosing a
// program, and the trust level of networks.
#include "Logging/Log.h"
#include "firewall/TarnModuleImpl.h"
#include "firewall/features/HandlerRows.h"
#include "firewall/features/ServiceResponses.h"
#include "message/Message.h"
#include "wrappers/ScopedVariant.h"

namespace Ledra {
namespace {

constexpr wchar_t kLogFile[] = L"TarnModuleImpl";
constexpr wchar_t kProcessing[] = L"Processing: %s";

}  // namespace

using Ledra::ScopedVariant;

ModuleStatus TarnModuleImpl::restore_defaults(const std::shared_ptr<Message>& request) {
  LEDRA_LOG(logging::Normal, L"Ledra::TarnModuleImpl::restore_defaults", 89, kProcessing,
            request->getName().c_str());
  return adapter().restore_firewalldefault_settings(settingsReference());
}

ModuleStatus TarnModuleImpl::refresh_defaults_settings(const std::shared_ptr<Message>& request) {
  LEDRA_LOG(logging::Normal, L"Ledra::TarnModuleImpl::refresh_defaults_settings", 95, kProcessing,
            request->getName().c_str());
  bool atDefaults = false;
  const ModuleStatus status = adapter().refresh_firewalldefault_settings(settingsReference(), atDefaults);
  if (status != MODULE_STATUS_SUCCESS) return status;
  // The button is enabled while the settings differ from the defaults.
  Brenix::Notify_defaultsettings_response response;
  response.set_enable(!atDefaults);
  post_response(response);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::get_user_state(const std::shared_ptr<Message>& request) {
  LEDRA_LOG(logging::Normal, L"Ledra::TarnModuleImpl::get_user_state", 109, kProcessing,
            request->getName().c_str());
  bool admin = false;
  const ModuleStatus status = adapter().isadmin(admin);
  if (status != MODULE_STATUS_SUCCESS) return status;
  Brenix::Notify_getisadmin_response response;
  response.set_admin(admin);
  post_response(response);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::get_uploaded_filepath(const std::shared_ptr<Message>& request) {
  return handle_change(Brenix::handlers::kUploadedFilePath, request, [this](Brenix::ChangeValues& v) {
    ScopedVariant path;
    const ModuleStatus status = adapter().uploaded_filepath(v[0], path.receive());
    // The answer goes out whatever happened: a cancelled or failed dialog gives "".
    Brenix::Notify_getuploaded_filepath_response response;
    response.prepare_getuploadedfilepath_payload(path.get());
    post_response(response);
    return status;
  });
}

ModuleStatus TarnModuleImpl::get_network_trust_level(const std::shared_ptr<Message>& request) {
  return handle_change(Brenix::handlers::kGetTrustLevel, request, [this, &request](Brenix::ChangeValues& v) {
    ScopedVariant level(-1L);
    const ModuleStatus status = adapter().get_network_trust_level(v[0], level.asInOut());
    // Answered to the requester whatever the walk gave.
    Brenix::Notify_network_trust_level response;
    response.build(level.get(), v[0]);
    post_response(response, request);
    return status;
  });
}

ModuleStatus TarnModuleImpl::set_network_trust_level(const std::shared_ptr<Message>& request) {
  // The level reaches the component as VT_UI4 (its row says so).
  return handle_change(Brenix::handlers::kSetTrustLevel, request, [this](Brenix::ChangeValues& v) {
    return adapter().set_network_trust_level(v[0], v[1]);
  });
}

}  // namespace Ledra
