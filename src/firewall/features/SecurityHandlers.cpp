// Security level of the traffic controller and smart advice: each group's
// refresh publishes its current values, its update changes them and publishes
// a change result, also when the component refused the change.
#include "Logging/Log.h"
#include "firewall/TarnModuleImpl.h"
#include "firewall/adapter/BxDynamicInterface.h"
#include "firewall/adapter/ScopedVariant.h"
#include "firewall/features/NotifyCudResult.h"
#include "firewall/features/SecurityLevelPayload.h"
#include "firewall/features/SettingsResponses.h"
#include "firewall/features/SmartAdvicePayload.h"
#include "message/Message.h"

namespace Ledra {
namespace {

constexpr wchar_t kLogFile[] = L"TarnModuleImpl";

constexpr wchar_t kProcessing[] = L"Processing: %s";
constexpr wchar_t kRefreshLevelRequest[] = L"Request to have the TrafficController level published";
constexpr wchar_t kRefreshLevelBadData[] =
    L"RefreshSecurityLevel: Invalid data received from Cshim layer. Requested message will not be publish as "
    L"payload is incorrect.";
constexpr wchar_t kSetLevelParseFailed[] = L"SetSecurityLevelSetting : Failed to parse user data";
constexpr wchar_t kSetLevelInvalid[] = L"SetSecurityLevelSetting: Invalid parameter received in user data.";
constexpr wchar_t kRefreshSmartRequest[] = L"Request to have the Smart Advice Setting published";
constexpr wchar_t kRefreshSmartBadData[] =
    L"RefreshSmartAdviceSetting : Invalid data received from Cshim layer. Requested message will not be "
    L"publish "
    L"as payload is incorrect.";
constexpr wchar_t kSetSmartParseFailed[] = L"SetSmartAdviceSetting : Failed to parse user data";
constexpr wchar_t kSetSmartInvalid[] = L"SetSmartAdviceSetting : Invalid parameter received in user data.";

// A change request carries no ids: the change result's id is VT_I4 -1.
constexpr long kNoId = -1;
constexpr int32_t kNoErrorCode = -1;

}  // namespace

ModuleStatus TarnModuleImpl::refresh_security_level(const std::shared_ptr<Message>&) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::refresh_security_level";
  LEDRA_LOG(logging::Normal, kFunction, 51, kRefreshLevelRequest);
  Brenix::BxDynamicInterface bag;
  Brenix::ScopedVariant desc;
  desc.SetDispatch(&bag);
  const ModuleStatus status = adapter().get_firewallsecurity_level(desc.get(), settingsReference());
  if (status != MODULE_STATUS_SUCCESS) return status;
  Brenix::Refresh_trafficcontroller_response response;
  std::wstring word;
  if (!response.get_security_level(desc.get(), word)) {
    LEDRA_LOG(logging::Error, kFunction, 63, kRefreshLevelBadData);
    return MODULE_STATUS_DATA_ERROR;
  }
  response.setString(L"traffic_controller", word);
  post_response(response);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::set_securitylevel_setting(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::set_securitylevel_setting";
  LEDRA_LOG(logging::Normal, kFunction, 73, kProcessing, request->getName().c_str());
  Brenix::ScopedVariant level(-1L);
  const Brenix::Security_level_payload payload(request->getPayload());
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, 77, kSetLevelParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (!payload.get_security_level(level.AsInOut())) {
    LEDRA_LOG(logging::Error, kFunction, 81, kSetLevelInvalid);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  const uint32_t status = adapter().set_firewallsecuritylevel_settings(level.get(), settingsReference());
  const Brenix::ScopedVariant id(kNoId);
  notify_cud_result(Brenix::kFeatureSecurityLevel, Brenix::kFunctionEdit, id.get(),
                    status == MODULE_STATUS_SUCCESS, kNoErrorCode);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::refresh_smartadvice_setting(const std::shared_ptr<Message>&) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::refresh_smartadvice_setting";
  LEDRA_LOG(logging::Normal, kFunction, 93, kRefreshSmartRequest);
  Brenix::BxDynamicInterface bag;
  Brenix::ScopedVariant desc;
  desc.SetDispatch(&bag);
  const ModuleStatus status = adapter().get_firewallsmartadvice_settings(desc.get(), settingsReference());
  if (status != MODULE_STATUS_SUCCESS) return status;
  Brenix::Refresh_smartadvice_response response;
  if (!response.build(desc.get())) {
    LEDRA_LOG(logging::Error, kFunction, 104, kRefreshSmartBadData);
    return MODULE_STATUS_DATA_ERROR;
  }
  post_response(response);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::set_smartadvice_setting(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::set_smartadvice_setting";
  LEDRA_LOG(logging::Normal, kFunction, 113, kProcessing, request->getName().c_str());
  Brenix::ScopedVariant show, automatic, protection, icmp, udp;
  for (Brenix::ScopedVariant* value : {&show, &automatic, &protection, &icmp, &udp}) value->SetBool(false);
  const Brenix::Smart_advice_payload payload(request->getPayload());
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, 118, kSetSmartParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  // In this order; the first refusal ends the request.
  if (!payload.get_showsmart_setting(show.AsInOut()) ||
      !payload.get_automaticsmart_setting(automatic.AsInOut()) ||
      !payload.get_enableprot_setting(protection.AsInOut()) ||
      !payload.get_icmpallowed_setting(icmp.AsInOut()) || !payload.get_enableudp_setting(udp.AsInOut())) {
    LEDRA_LOG(logging::Error, kFunction, 126, kSetSmartInvalid);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  const uint32_t status = adapter().set_firewallsmartadvice_settings(
      show.get(), automatic.get(), protection.get(), icmp.get(), udp.get(), settingsReference());
  const Brenix::ScopedVariant id(kNoId);
  notify_cud_result(Brenix::kFeatureSmartAdvice, Brenix::kFunctionEdit, id.get(),
                    status == MODULE_STATUS_SUCCESS, kNoErrorCode);
  return MODULE_STATUS_SUCCESS;
}

}  // namespace Ledra
