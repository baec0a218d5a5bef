// Firewall state, HIPS state, and the publishing operations every handler
// answers through.
#include "Logging/Log.h"
#include "firewall/TarnModuleImpl.h"
#include "firewall/features/ModuleResponse.h"
#include "firewall/features/NotifyCudResult.h"
#include "firewall/features/SetStatePayload.h"
#include "message/JSONParser.h"
#include "message/Message.h"
#include "wrappers/ScopedVariant.h"

namespace Ledra {
namespace {

constexpr wchar_t kLogFile[] = L"TarnModuleImpl";
constexpr wchar_t kStateMessage[] = L"Core.Firewall.State";
constexpr wchar_t kHipsMessage[] = L"HIPS.STATUS";
constexpr wchar_t kHipsEnabled[] = L"{\"hips.enabled\":true}";
constexpr wchar_t kHipsDisabled[] = L"{\"hips.enabled\":false}";

constexpr wchar_t kPublishing[] = L"Publishing: %s ";
constexpr wchar_t kPublishingData[] = L"Publishing Message '%s', Data '%s'";
constexpr wchar_t kPublishFailed[] = L"Failed publish(%s): %ul";
constexpr wchar_t kProcessing[] = L"Processing: %s";
constexpr wchar_t kKeyNotFound[] = L"'%s' not found in JSON";
constexpr wchar_t kInvalidState[] = L"'%s' is invalid value must be on/off";
constexpr wchar_t kEnableFailed[] = L"EnableFirewall (%d) failed: %lu";
constexpr wchar_t kParseFailed[] = L"Failed to parse user data";
constexpr wchar_t kInvalidParameter[] = L"Invalid parameter received in user data.";
constexpr wchar_t kSetStateFailed[] = L"SetState failed: %lu";
constexpr wchar_t kRefreshFailed[] = L"refresh_state: GetFirewallState failed: %lu";
constexpr wchar_t kHipsFailed[] = L"GetHipsState failed: %lu";
constexpr wchar_t kResponsePublished[] = L"Message published. Name: \"%s\", data: \"%s\"";
constexpr wchar_t kResponseFailed[] = L"Failed to publish message. Name: \"%s\", data: \"%s\"";
constexpr wchar_t kStateKey[] = L"state";

}  // namespace

ModuleStatus TarnModuleImpl::stateChangeNotify(bool on, bool error, const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::stateChangeNotify";
  LEDRA_LOG(logging::Information, kFunction, 180, kPublishing, kStateMessage);
  JSONParser payload;
  payload.setString(kStateKey, on ? L"on" : L"off");
  payload.setBool(L"off_by_user", ignoreFirewall.load());
  payload.setBool(L"error", error);
  const std::wstring text = payload.toString();
  LEDRA_LOG(logging::Normal, kFunction, 187, kPublishingData, kStateMessage, text.c_str());
  const auto message = Message::createResponse(request, kStateMessage, getName(), text);
  const ModuleStatus status = message ? publish(message) : MODULE_STATUS_UNSUCCESSFUL;
  if (status != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(logging::Error, kFunction, 198, kPublishFailed, kStateMessage, status);
  }
  return status;
}

ModuleStatus TarnModuleImpl::change_state(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::change_state";
  LEDRA_LOG(logging::Normal, kFunction, 207, kProcessing, request->getName().c_str());
  JSONParser payload;
  if (!payload.parse(request->getPayload())) return MODULE_STATUS_DATA_ERROR;
  std::wstring state;
  if (!payload.getString(kStateKey, state)) {
    LEDRA_LOG(logging::Error, kFunction, 216, kKeyNotFound, kStateKey);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (state != L"on" && state != L"off") {
    LEDRA_LOG(logging::Error, kFunction, 231, kInvalidState, kStateKey);
    return MODULE_STATUS_DATA_ERROR;
  }
  const bool on = state == L"on";
  const ModuleStatus status = adapter().EnableFirewall(on);
  if (status != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(logging::Error, kFunction, 238, kEnableFailed, on ? 1 : 0, status);
    return status;
  }
  // The new state goes out to everyone, not as a reply to the request.
  return stateChangeNotify(on, false, nullptr);
}

ModuleStatus TarnModuleImpl::set_state(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::set_state";
  LEDRA_LOG(logging::Normal, kFunction, 247, kProcessing, request->getName().c_str());
  Ledra::ScopedVariant state;
  state.setBool(false);
  Ledra::ScopedVariant reenableTime(-1L);
  const std::wstring text = request->getPayload();
  Brenix::Set_state_payload payload(text);
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, 254, kParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (!payload.get_fwstate(state)) {
    LEDRA_LOG(logging::Error, kFunction, 259, kInvalidParameter);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  if (V_BOOL(&state.get()) != VARIANT_TRUE && !payload.get_reenable_time(reenableTime)) {
    LEDRA_LOG(logging::Error, kFunction, 266, kInvalidParameter);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  const ModuleStatus status =
      adapter().set_firewall_state(state.get(), reenableTime.get(), settingsReference());
  if (status != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(logging::Error, kFunction, 275, kSetStateFailed, status);
  }
  return status;
}

ModuleStatus TarnModuleImpl::refresh_state(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::refresh_state";
  LEDRA_LOG(logging::Normal, kFunction, 282, kProcessing, request->getName().c_str());
  bool on = false;
  const ModuleStatus status = adapter().GetFirewallState(on);
  if (status != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(logging::Error, kFunction, 287, kRefreshFailed, status);
    return status;
  }
  return stateChangeNotify(on, false, request);
}

ModuleStatus TarnModuleImpl::hips_state(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::hips_state";
  bool enabled = false;
  const ModuleStatus hipsStatus = adapter().GetHipsState(enabled);
  if (hipsStatus != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(logging::Error, kFunction, 354, kHipsFailed, hipsStatus);
    return hipsStatus;
  }
  const auto answer = request->createReply(kHipsMessage, getName(), enabled ? kHipsEnabled : kHipsDisabled);
  const ModuleStatus status = answer ? publish(answer) : MODULE_STATUS_UNSUCCESSFUL;
  if (status != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(logging::Error, kFunction, 372, kPublishFailed, kHipsMessage, status);
  }
  return status;
}

namespace {

// Publishes one built message; logs the outcome with the lines of its form.
template <typename Publish>
void publishResponse(const std::shared_ptr<Message>& message, const std::wstring& name,
                     const std::wstring& payload, int publishedLine, int failedLine, Publish&& publish) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::post_response";
  if (message && publish(message) == MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(logging::Normal, kFunction, publishedLine, kResponsePublished, name.c_str(), payload.c_str());
    return;
  }
  LEDRA_LOG(logging::Error, kFunction, failedLine, kResponseFailed, name.c_str(), payload.c_str());
}

}  // namespace

void TarnModuleImpl::post_response(const Brenix::Module_response& response) {
  const std::wstring payload = response.toString();
  const std::wstring& name = response.getMessageName();
  publishResponse(Message::create(name, getName(), payload), name, payload, 388, 384,
                  [this](const std::shared_ptr<Message>& m) { return publish(m); });
}

void TarnModuleImpl::post_response(const Brenix::Module_response& response,
                                   const std::shared_ptr<Message>& request) {
  const std::wstring payload = response.toString();
  const std::wstring& name = response.getMessageName();
  publishResponse(Message::createResponse(request, name, getName(), payload), name, payload, 402, 398,
                  [this](const std::shared_ptr<Message>& m) { return publish(m); });
}

void TarnModuleImpl::notify_cud_result(int32_t featureId, int32_t functionId, const VARIANT& id,
                                       bool successful, int32_t errorCode) {
  Brenix::Notify_cud_result result;
  result.build(featureId, functionId, id, successful, errorCode);
  post_response(result);
}

}  // namespace Ledra
