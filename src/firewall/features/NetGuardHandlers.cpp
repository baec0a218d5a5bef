// Net guard requests: the global switch, one entry's action, deleting entries
// and refreshing the list. Edit and delete publish their outcome.
#include "Logging/Log.h"
#include "firewall/TarnModuleImpl.h"
#include "firewall/adapter/ScopedVariant.h"
#include "firewall/features/NetGuardPayloads.h"
#include "firewall/features/NotifyCudResult.h"
#include "message/Message.h"

namespace Ledra {
namespace {

constexpr wchar_t kLogFile[] = L"TarnModuleImpl";

constexpr wchar_t kProcessing[] = L"Processing: %s";
constexpr wchar_t kSetParseFailed[] = L"SetNetGuard:Failed to parse user data";
constexpr wchar_t kSetInvalid[] = L"SetNetGuard:Invalid parameter received in user data.";
constexpr wchar_t kEditParseFailed[] = L"EditNetGuard:Failed to parse user data";
constexpr wchar_t kEditInvalid[] = L"EditNetGuard:Invalid parameter received in user data.";
constexpr wchar_t kDeleteParseFailed[] = L"DeleteNetGuard:Failed to parse user data";
constexpr wchar_t kDeleteInvalid[] = L"DeleteNetGuard:Invalid parameter received in user data.";
constexpr wchar_t kRefreshing[] = L"Request to have the Net Guard Setting published";

}  // namespace

ModuleStatus TarnModuleImpl::set_netguard(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::set_netguard";
  LEDRA_LOG(logging::Normal, kFunction, __LINE__, kProcessing, request->getName().c_str());
  // The switch is a number (1 or 0), not a VT_BOOL.
  Brenix::ScopedVariant enable(0L);
  const std::wstring text = request->getPayload();
  const Brenix::Set_netguard_payload payload(text);
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kSetParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (!payload.is_netguard_enable(enable.AsInOut())) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kSetInvalid);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  return adapter().set_firewall_netguard(enable.get(), settingsReference());
}

ModuleStatus TarnModuleImpl::edit_netguard(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::edit_netguard";
  LEDRA_LOG(logging::Normal, kFunction, __LINE__, kProcessing, request->getName().c_str());
  Brenix::ScopedVariant ssid(-1L);
  Brenix::ScopedVariant action;
  action.SetBool(false);
  const std::wstring text = request->getPayload();
  const Brenix::Edit_netguard_payload payload(text);
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kEditParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (!payload.get_netssid(ssid.AsInOut()) || !payload.get_netguard_action(action.AsInOut())) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kEditInvalid);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  const uint32_t status = adapter().edit_firewall_netguard(ssid.get(), action.get(), settingsReference());
  // The outcome travels in the notification; the request itself was handled.
  notify_cud_result(Brenix::kFeatureNetGuard, Brenix::kFunctionEdit, ssid.get(), status == 0, -1);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::delete_netguard(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::delete_netguard";
  LEDRA_LOG(logging::Normal, kFunction, __LINE__, kProcessing, request->getName().c_str());
  Brenix::ScopedVariant ssids;
  const std::wstring text = request->getPayload();
  const Brenix::Delete_netguard_payload payload(text);
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kDeleteParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (!payload.get_netssids(ssids.AsInOut())) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kDeleteInvalid);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  const uint32_t status = adapter().delete_firewall_netguard(ssids.get(), settingsReference());
  notify_cud_result(Brenix::kFeatureNetGuard, Brenix::kFunctionDelete, ssids.get(), status == 0, -1);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::refresh_netguard(const std::shared_ptr<Message>&) {
  LEDRA_LOG(logging::Normal, L"Ledra::TarnModuleImpl::refresh_netguard", __LINE__, kRefreshing);
  // The component publishes the list itself; the payload is not read.
  return adapter().get_netguard_settings(settingsReference());
}

}  // namespace Ledra
