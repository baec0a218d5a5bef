#include "firewall/features/HandlerRows.h"

#include "firewall/features/NotifyCudResult.h"
#include "firewall/features/PayloadFields.h"
#include "include/ModuleStatus.h"

namespace Brenix {
namespace handlers {
namespace {

constexpr uint32_t kDataError = Ledra::MODULE_STATUS_DATA_ERROR;
constexpr uint32_t kInvalid = Ledra::MODULE_STATUS_INVALID_PARAMETER;
constexpr wchar_t kProcessing[] = L"Processing: %s";

// The lines of a change request's three texts.
struct Lines {
  int processing, parse, invalid;
};

constexpr ChangeRequest change(const wchar_t* function, Lines lines, const wchar_t* parseText,
                               const wchar_t* invalidText, const payload::RequestPayload& payload,
                               ChangeResult result) {
  return {function,
          {lines.processing, kProcessing},
          {lines.parse, parseText},
          kDataError,
          {lines.invalid, invalidText},
          kInvalid,
          &payload,
          result};
}

// A settings group's change: no ids, and -1 for the error code.
constexpr ChangeResult groupChange(int32_t feature) {
  return {feature, kFunctionEdit, ResultId::None, 0, ResultError::MinusOne};
}
// A list change whose id is the value read at index (or the new entry's id).
constexpr ChangeResult listChange(int32_t feature, int32_t function, size_t index,
                                  ResultError error = ResultError::MinusOne) {
  return {feature, function, ResultId::Value, index, error};
}
constexpr ChangeResult addition(int32_t feature, ResultError error) {
  return {feature, kFunctionAdd, ResultId::NewId, 0, error};
}
// No change result: the handler answers the adapter's status.
constexpr ChangeResult kNoResult = {0, 0, ResultId::None, 0, ResultError::MinusOne};

}  // namespace

// Security level, smart advice, history and intrusion detection.
const RefreshGroup kRefreshSecurityLevel = {
    L"Ledra::TarnModuleImpl::refresh_security_level",
    {51, L"Request to have the TrafficController level published"},
    {63,
     L"RefreshSecurityLevel: Invalid data received from Cshim layer. Requested message will not be publish "
     L"as payload is incorrect."},
    &TarnIf::get_firewallsecurity_level,
    &answers::kTrafficController};
const RefreshGroup kRefreshSmartAdvice = {
    L"Ledra::TarnModuleImpl::refresh_smartadvice_setting",
    {93, L"Request to have the Smart Advice Setting published"},
    {104,
     L"RefreshSmartAdviceSetting : Invalid data received from Cshim layer. Requested message will not be "
     L"publish as payload is incorrect."},
    &TarnIf::get_firewallsmartadvice_settings,
    &answers::kSmartAdvice};
const RefreshGroup kRefreshHistory = {L"Ledra::TarnModuleImpl::refresh_history_setting",
                                      {52, L"Request to have the History setting published"},
                                      {63,
                                       L"RefreshHistorySetting: Invalid data received from Cshim layer. "
                                       L"Requested message will not be publish as payload is incorrect."},
                                      &TarnIf::get_firewallhistory_setting,
                                      &answers::kHistory};
const RefreshGroup kRefreshIntrusionDetection = {
    L"Ledra::TarnModuleImpl::refresh_intrusion_detection",
    {107, L"Request to have the Intrusion Detection Setting published"},
    {117,
     L"RefreshIntrusionDetection: Invalid data received from Cshim layer. Requested message will not be "
     L"publish as payload is incorrect."},
    &TarnIf::get_intrusiondetection_settings,
    &answers::kIntrusionDetection};

const ChangeRequest kSetSecurityLevel =
    change(L"Ledra::TarnModuleImpl::set_securitylevel_setting", {73, 77, 81},
           L"SetSecurityLevelSetting : Failed to parse user data",
           L"SetSecurityLevelSetting: Invalid parameter received in user data.",
           payloads::kUpdateTrafficController, groupChange(kFeatureSecurityLevel));
const ChangeRequest kSetSmartAdvice =
    change(L"Ledra::TarnModuleImpl::set_smartadvice_setting", {113, 118, 126},
           L"SetSmartAdviceSetting : Failed to parse user data",
           L"SetSmartAdviceSetting : Invalid parameter received in user data.", payloads::kUpdateSmartAdvice,
           groupChange(kFeatureSmartAdvice));
const ChangeRequest kSetHistory = change(L"Ledra::TarnModuleImpl::set_history_setting", {72, 81, 93},
                                         L"SetHistorySetting: Failed to parse user data",
                                         L"SetHistorySetting : Invalid parameter received in user data.",
                                         payloads::kSetHistory, groupChange(kFeatureHistory));
const ChangeRequest kSetIntrusionDetection =
    change(L"Ledra::TarnModuleImpl::set_intrusion_detection", {126, 132, 137},
           L"SetIntrusionDetection: Failed to parse user data",
           L"SetIntrusionDetection: Invalid parameter received in user data.",
           payloads::kSetIntrusionDetection, groupChange(kFeatureIntrusionDetection));

// Program permissions: an add publishes nothing.
const ChangeRequest kAddProgram = change(L"Ledra::TarnModuleImpl::add_proginternet_conn", {28, 36, 42},
                                         L"AddProgInternetConn: Failed to parse user data",
                                         L"AddProgInternetConn: Invalid parameter received in user data.",
                                         payloads::kAddProgram, kNoResult);
const ChangeRequest kEditProgram =
    change(L"Ledra::TarnModuleImpl::edit_proginternet_conn", {51, 59, 64},
           L"EditProgInternetConn:Failed to parse user data",
           L"EditProgInternetConn:Invalid parameter received in user data.", payloads::kEditProgram,
           listChange(kFeatureProgramPermissions, kFunctionEdit, 0));
const ChangeRequest kDeletePrograms =
    change(L"Ledra::TarnModuleImpl::delete_proginternet_conn", {77, 82, 86},
           L"DeleteProgInternetConn:Failed to parse user data",
           L"DeleteProgInternetConn:Invalid parameter received in user data.", payloads::kDeletePrograms,
           listChange(kFeatureProgramPermissions, kFunctionDelete, 0));

// Ports and system services: an add reports the new entry's id.
const ChangeRequest kAddService =
    change(L"Ledra::TarnModuleImpl::add_portsandsystem_services", {62, 68, 72},
           L"AddPortsAndSystemServices:Failed to parse user data",
           L"AddPortsAndSystemServices:Invalid parameter received in user data.", payloads::kAddService,
           addition(kFeaturePortsAndSystemServices, ResultError::MinusOne));
const ChangeRequest kUpdateService =
    change(L"Ledra::TarnModuleImpl::update_portsandsystem_services", {86, 92, 97},
           L"UpdatePortsAndSystemServices:Failed to parse user data",
           L"UpdatePortsAndSystemServices:Invalid parameter received in user data.", payloads::kUpdateService,
           listChange(kFeaturePortsAndSystemServices, kFunctionEdit, 1));
const ChangeRequest kDeleteServices =
    change(L"Ledra::TarnModuleImpl::delete_portsandsystem_services", {111, 116, 120},
           L"DeletePortsAndSystemServices:Failed to parse user data",
           L"DeletePortsAndSystemServices:Invalid parameter received in user data.",
           payloads::kDeleteServices, listChange(kFeaturePortsAndSystemServices, kFunctionDelete, 0));

// Net guard: the switch publishes nothing.
const ChangeRequest kSetNetGuard =
    change(L"Ledra::TarnModuleImpl::set_netguard", {28, 34, 38}, L"SetNetGuard:Failed to parse user data",
           L"SetNetGuard:Invalid parameter received in user data.", payloads::kSetNetGuard, kNoResult);
const ChangeRequest kEditNetGuard =
    change(L"Ledra::TarnModuleImpl::edit_netguard", {46, 53, 57}, L"EditNetGuard:Failed to parse user data",
           L"EditNetGuard:Invalid parameter received in user data.", payloads::kEditNetGuard,
           listChange(kFeatureNetGuard, kFunctionEdit, 0));
const ChangeRequest kDeleteNetGuard = change(
    L"Ledra::TarnModuleImpl::delete_netguard", {68, 73, 77}, L"DeleteNetGuard:Failed to parse user data",
    L"DeleteNetGuard:Invalid parameter received in user data.", payloads::kDeleteNetGuard,
    listChange(kFeatureNetGuard, kFunctionDelete, 0));

// Network connections: an add and an edit carry the component's result code.
const ChangeRequest kAddAddress =
    change(L"Ledra::TarnModuleImpl::add_network_connection", {50, 57, 61},
           L"AddNetworkConnection:Failed to parse user data",
           L"AddNetworkConnection:Invalid parameter received in user data.", payloads::kAddAddress,
           addition(kFeatureNetworkConnections, ResultError::ResultCode));
const ChangeRequest kEditAddress =
    change(L"Ledra::TarnModuleImpl::edit_network_connection", {74, 81, 85},
           L"EditNetworkConnection:Failed to parse user data",
           L"EditNetworkConnection:Invalid parameter received in user data.", payloads::kEditAddress,
           listChange(kFeatureNetworkConnections, kFunctionEdit, 0, ResultError::ResultCode));
const ChangeRequest kDeleteAddresses =
    change(L"Ledra::TarnModuleImpl::delete_network_connection", {98, 103, 107},
           L"DeleteNetworkConnection:Failed to parse user data",
           L"DeleteNetworkConnection:Invalid parameter received in user data.", payloads::kDeleteAddresses,
           listChange(kFeatureNetworkConnections, kFunctionDelete, 0));

// The file dialog answers its two refusals with the reverse codes of the
// other handlers; the trust level read answers the requester itself.
const ChangeRequest kUploadedFilePath = {
    L"Ledra::TarnModuleImpl::get_uploaded_filepath",
    {122, L"Request to have uploaded file path for ProgramInternetConnection published"},
    {128, L"GetUploadedFilePath:Failed to parse user data"},
    kInvalid,
    {132, L"GetUploadedFilePath:Failed to get window id from payload"},
    kDataError,
    &payloads::kUploadedFilePath,
    kNoResult};
const ChangeRequest kGetTrustLevel = {
    L"Ledra::TarnModuleImpl::get_network_trust_level",
    {145, L"Request to have network trust level published"},
    {151, L"TarnModuleImpl::get_network_trust_level: Failed to parse user data"},
    kDataError,
    {155, L"TarnModuleImpl::get_network_trust_level: Invalid parameter received in user data."},
    kInvalid,
    &payloads::kGetTrustLevel,
    kNoResult};
const ChangeRequest kSetTrustLevel =
    change(L"Ledra::TarnModuleImpl::set_network_trust_level", {168, 174, 178},
           L"TarnModuleImpl::set_network_trust_level: Failed to parse user data",
           L"TarnModuleImpl::set_network_trust_level: Invalid parameter received in user data.",
           payloads::kSetTrustLevel, kNoResult);

// The lists' refreshes.
const ListRefresh kRefreshPrograms = {
    L"Ledra::TarnModuleImpl::refresh_proginternet_conn",
    {96, L"Request to have the Program internet connection Setting published"},
    &TarnIf::get_proginternetconn_settings};
const ListRefresh kRefreshServices = {L"Ledra::TarnModuleImpl::refresh_portsandsystem_services",
                                      {131, L"Request to have the Ports ans SystemService Setting published"},
                                      &TarnIf::get_portsandsystemservice_settings};
const ListRefresh kRefreshNetGuard = {L"Ledra::TarnModuleImpl::refresh_netguard",
                                      {86, L"Request to have the Net Guard Setting published"},
                                      &TarnIf::get_netguard_settings};
const ListRefresh kRefreshAddresses = {
    L"Ledra::TarnModuleImpl::refresh_network_connection",
    {117, L"Request to have the RefreshNetworkConnection Setting published"},
    &TarnIf::get_my_netconnsettings};

}  // namespace handlers
}  // namespace Brenix
