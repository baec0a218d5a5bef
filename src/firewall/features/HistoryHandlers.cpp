// Event history and intrusion detection: each group's refresh publishes its
// current values, its update changes them and publishes a change result, also
// when the component refused the change.
#include "Logging/Log.h"
#include "firewall/TarnModuleImpl.h"
#include "firewall/adapter/BxDynamicInterface.h"
#include "firewall/adapter/ScopedVariant.h"
#include "firewall/features/HistoryPayload.h"
#include "firewall/features/NotifyCudResult.h"
#include "firewall/features/SetIntrusionDetectionPayload.h"
#include "firewall/features/SettingsResponses.h"
#include "message/Message.h"

namespace Ledra {
namespace {

constexpr wchar_t kLogFile[] = L"TarnModuleImpl";

constexpr wchar_t kProcessing[] = L"Processing: %s";
constexpr wchar_t kRefreshHistoryRequest[] = L"Request to have the History setting published";
constexpr wchar_t kRefreshHistoryBadData[] =
    L"RefreshHistorySetting: Invalid data received from Cshim layer. Requested message will not be publish "
    L"as "
    L"payload is incorrect.";
constexpr wchar_t kSetHistoryParseFailed[] = L"SetHistorySetting: Failed to parse user data";
constexpr wchar_t kSetHistoryInvalid[] = L"SetHistorySetting : Invalid parameter received in user data.";
constexpr wchar_t kRefreshIdsRequest[] = L"Request to have the Intrusion Detection Setting published";
constexpr wchar_t kRefreshIdsBadData[] =
    L"RefreshIntrusionDetection: Invalid data received from Cshim layer. Requested message will not be "
    L"publish as "
    L"payload is incorrect.";
constexpr wchar_t kSetIdsParseFailed[] = L"SetIntrusionDetection: Failed to parse user data";
constexpr wchar_t kSetIdsInvalid[] = L"SetIntrusionDetection: Invalid parameter received in user data.";

// A change request carries no ids: the change result's id is VT_I4 -1.
constexpr long kNoId = -1;
constexpr int32_t kNoErrorCode = -1;

}  // namespace

ModuleStatus TarnModuleImpl::refresh_history_setting(const std::shared_ptr<Message>&) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::refresh_history_setting";
  LEDRA_LOG(logging::Normal, kFunction, 52, kRefreshHistoryRequest);
  Brenix::BxDynamicInterface bag;
  Brenix::ScopedVariant desc;
  desc.SetDispatch(&bag);
  const ModuleStatus status = adapter().get_firewallhistory_setting(desc.get(), settingsReference());
  if (status != MODULE_STATUS_SUCCESS) return status;
  Brenix::Refresh_history_response response;
  if (!response.build(desc.get())) {
    LEDRA_LOG(logging::Error, kFunction, 63, kRefreshHistoryBadData);
    return MODULE_STATUS_DATA_ERROR;
  }
  post_response(response);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::set_history_setting(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::set_history_setting";
  LEDRA_LOG(logging::Normal, kFunction, 72, kProcessing, request->getName().c_str());
  Brenix::ScopedVariant logEvents, blocked, icmp, banned, servicePorts, intrusion, unknown, dontLog;
  for (Brenix::ScopedVariant* value :
       {&logEvents, &blocked, &icmp, &banned, &servicePorts, &intrusion, &unknown, &dontLog}) {
    value->SetBool(false);
  }
  Brenix::ScopedVariant ports;
  const Brenix::History_payload payload(request->getPayload());
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, 81, kSetHistoryParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  // In this order; the first refusal ends the request.
  if (!payload.get_logevent_setting(logEvents.AsInOut()) ||
      !payload.get_blockedprogram_setting(blocked.AsInOut()) ||
      !payload.get_icmpping_setting(icmp.AsInOut()) || !payload.get_bannedips_setting(banned.AsInOut()) ||
      !payload.get_systemserviceports_setting(servicePorts.AsInOut()) ||
      !payload.get_intrusiondetection_setting(intrusion.AsInOut()) ||
      !payload.get_unknownevents_setting(unknown.AsInOut()) ||
      !payload.get_dontlogevents_onports(dontLog.AsInOut()) ||
      !payload.get_whatports_nottolog(ports.AsInOut())) {
    LEDRA_LOG(logging::Error, kFunction, 93, kSetHistoryInvalid);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  const uint32_t status = adapter().set_firewallhistory_setting(
      logEvents.get(), blocked.get(), icmp.get(), banned.get(), servicePorts.get(), intrusion.get(),
      unknown.get(), dontLog.get(), ports.get(), settingsReference());
  const Brenix::ScopedVariant id(kNoId);
  notify_cud_result(Brenix::kFeatureHistory, Brenix::kFunctionEdit, id.get(), status == MODULE_STATUS_SUCCESS,
                    kNoErrorCode);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::refresh_intrusion_detection(const std::shared_ptr<Message>&) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::refresh_intrusion_detection";
  LEDRA_LOG(logging::Normal, kFunction, 107, kRefreshIdsRequest);
  Brenix::BxDynamicInterface bag;
  Brenix::ScopedVariant desc;
  desc.SetDispatch(&bag);
  const ModuleStatus status = adapter().get_intrusiondetection_settings(desc.get(), settingsReference());
  if (status != MODULE_STATUS_SUCCESS) return status;
  Brenix::Refresh_intrudetection_response response;
  if (!response.build(desc.get())) {
    LEDRA_LOG(logging::Error, kFunction, 117, kRefreshIdsBadData);
    return MODULE_STATUS_DATA_ERROR;
  }
  post_response(response);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::set_intrusion_detection(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::set_intrusion_detection";
  LEDRA_LOG(logging::Normal, kFunction, 126, kProcessing, request->getName().c_str());
  Brenix::ScopedVariant enable;
  enable.SetBool(false);
  Brenix::ScopedVariant level(-1L);
  const Brenix::Set_intrusiondetection_payload payload(request->getPayload());
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, 132, kSetIdsParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (!payload.get_intrusiondetection_setting(enable.AsInOut()) ||
      !payload.get_intrusiondetection_level(level.AsInOut())) {
    LEDRA_LOG(logging::Error, kFunction, 137, kSetIdsInvalid);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  const uint32_t status =
      adapter().set_firewallintrusiondetection_setting(enable.get(), level.get(), settingsReference());
  const Brenix::ScopedVariant id(kNoId);
  notify_cud_result(Brenix::kFeatureIntrusionDetection, Brenix::kFunctionEdit, id.get(),
                    status == MODULE_STATUS_SUCCESS, kNoErrorCode);
  return MODULE_STATUS_SUCCESS;
}

}  // namespace Ledra
