// Small services: restoring the defaults and telling whether the settings are
// the defaults, the user's administrator state, the file dialog for choosing a
// program, and the trust level of networks.
#include <new>

#include "Logging/Log.h"
#include "firewall/TarnModuleImpl.h"
#include "firewall/adapter/ScopedVariant.h"
#include "firewall/features/GetUploadedFilePathPayload.h"
#include "firewall/features/NetworkTrustLevelPayload.h"
#include "firewall/features/ServiceResponses.h"
#include "message/Message.h"

namespace Ledra {
namespace {

constexpr wchar_t kLogFile[] = L"TarnModuleImpl";

constexpr wchar_t kProcessing[] = L"Processing: %s";
constexpr wchar_t kFilePathRequest[] =
    L"Request to have uploaded file path for ProgramInternetConnection published";
constexpr wchar_t kFilePathParseFailed[] = L"GetUploadedFilePath:Failed to parse user data";
constexpr wchar_t kFilePathNoWindow[] = L"GetUploadedFilePath:Failed to get window id from payload";
constexpr wchar_t kTrustRequest[] = L"Request to have network trust level published";
constexpr wchar_t kGetTrustParseFailed[] =
    L"TarnModuleImpl::get_network_trust_level: Failed to parse user data";
constexpr wchar_t kGetTrustInvalid[] =
    L"TarnModuleImpl::get_network_trust_level: Invalid parameter received in user data.";
constexpr wchar_t kSetTrustParseFailed[] =
    L"TarnModuleImpl::set_network_trust_level: Failed to parse user data";
constexpr wchar_t kSetTrustInvalid[] =
    L"TarnModuleImpl::set_network_trust_level: Invalid parameter received in user data.";

// A VT_BSTR holding an empty text; running out of memory fails the request.
void prepareEmptyText(Brenix::ScopedVariant& value) {
  if (!value.SetBstr(L"")) throw std::bad_alloc();
}

}  // namespace

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
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::get_uploaded_filepath";
  LEDRA_LOG(logging::Normal, kFunction, 122, kFilePathRequest);
  Brenix::ScopedVariant session(0L);
  Brenix::ScopedVariant path;
  const Brenix::Get_uploadedfilepath_payload payload(request->getPayload());
  // These two codes are the reverse of the other handlers' on purpose.
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, 128, kFilePathParseFailed);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  if (!payload.get_windowid(session.AsInOut())) {
    LEDRA_LOG(logging::Error, kFunction, 132, kFilePathNoWindow);
    return MODULE_STATUS_DATA_ERROR;
  }
  const ModuleStatus status = adapter().uploaded_filepath(session.get(), path.AsInOut());
  // The answer goes out whatever happened: a cancelled or failed dialog gives "".
  Brenix::Notify_getuploaded_filepath_response response;
  response.prepare_getuploadedfilepath_payload(path.get());
  post_response(response);
  return status;
}

ModuleStatus TarnModuleImpl::get_network_trust_level(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::get_network_trust_level";
  LEDRA_LOG(logging::Normal, kFunction, 145, kTrustRequest);
  Brenix::ScopedVariant level(-1L);
  Brenix::ScopedVariant mac;
  prepareEmptyText(mac);
  const Brenix::Network_trust_level_payload payload(request->getPayload());
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, 151, kGetTrustParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (!payload.get_mac_address(mac.AsInOut())) {
    LEDRA_LOG(logging::Error, kFunction, 155, kGetTrustInvalid);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  const ModuleStatus status = adapter().get_network_trust_level(mac.get(), level.AsInOut());
  // Answered to the requester whatever the walk gave.
  Brenix::Notify_network_trust_level response;
  response.build(level.get(), mac.get());
  post_response(response, request);
  return status;
}

ModuleStatus TarnModuleImpl::set_network_trust_level(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::set_network_trust_level";
  LEDRA_LOG(logging::Normal, kFunction, 168, kProcessing, request->getName().c_str());
  Brenix::ScopedVariant mac;
  prepareEmptyText(mac);
  Brenix::ScopedVariant level(-1L);
  const Brenix::Network_trust_level_payload payload(request->getPayload());
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, 174, kSetTrustParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (!payload.get_mac_address(mac.AsInOut()) || !payload.get_trust_level(level.AsInOut())) {
    LEDRA_LOG(logging::Error, kFunction, 178, kSetTrustInvalid);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  // The component takes the level as an unsigned number.
  level.SetLong(V_I4(&level.get()), VT_UI4);
  return adapter().set_network_trust_level(mac.get(), level.get());
}

}  // namespace Ledra
