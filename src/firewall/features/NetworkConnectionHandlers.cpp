// Network connection requests: add, edit, delete and refresh of the
// component's IP address entries. Add and edit publish the component's own
// result code as the notification's error code.
#include "Logging/Log.h"
#include "firewall/TarnModuleImpl.h"
#include "firewall/adapter/ScopedVariant.h"
#include "firewall/features/NetConnectionPayloads.h"
#include "firewall/features/NotifyCudResult.h"
#include "message/Message.h"

namespace Ledra {
namespace {

constexpr wchar_t kLogFile[] = L"TarnModuleImpl";

constexpr wchar_t kProcessing[] = L"Processing: %s";
constexpr wchar_t kAddParseFailed[] = L"AddNetworkConnection:Failed to parse user data";
constexpr wchar_t kAddInvalid[] = L"AddNetworkConnection:Invalid parameter received in user data.";
constexpr wchar_t kEditParseFailed[] = L"EditNetworkConnection:Failed to parse user data";
constexpr wchar_t kEditInvalid[] = L"EditNetworkConnection:Invalid parameter received in user data.";
constexpr wchar_t kDeleteParseFailed[] = L"DeleteNetworkConnection:Failed to parse user data";
constexpr wchar_t kDeleteInvalid[] = L"DeleteNetworkConnection:Invalid parameter received in user data.";
constexpr wchar_t kRefreshing[] = L"Request to have the RefreshNetworkConnection Setting published";

// The members an add and an edit share, prepared before the payload is read.
// "IsIpV4" is required but never handed on.
struct ConnectionArguments {
  Brenix::ScopedVariant notes;
  Brenix::ScopedVariant ipType{-1L};
  Brenix::ScopedVariant isIpv4;
  Brenix::ScopedVariant startAddress;
  Brenix::ScopedVariant endAddress;
  Brenix::ScopedVariant networkType{-1L};
  Brenix::ScopedVariant expiresIn{-1L};

  ConnectionArguments() { isIpv4.SetBool(false); }

  bool read(const Brenix::Add_netconnection_payload& payload) {
    return payload.get_notes(notes.AsInOut()) && payload.get_iptype(ipType.AsInOut()) &&
           payload.is_ipv4_conn(isIpv4.AsInOut()) && payload.get_start_address(startAddress.AsInOut()) &&
           payload.get_end_address(endAddress.AsInOut()) && payload.get_network_type(networkType.AsInOut()) &&
           payload.get_expiresin_days(expiresIn.AsInOut());
  }
};

}  // namespace

ModuleStatus TarnModuleImpl::add_network_connection(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::add_network_connection";
  LEDRA_LOG(logging::Normal, kFunction, __LINE__, kProcessing, request->getName().c_str());
  ConnectionArguments args;
  Brenix::ScopedVariant newId(-1L);
  long resultCode = 0;
  const std::wstring text = request->getPayload();
  const Brenix::Add_netconnection_payload payload(text);
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kAddParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (!args.read(payload)) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kAddInvalid);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  const uint32_t status = adapter().add_my_networkconnection(
      args.notes.get(), args.ipType.get(), args.startAddress.get(), args.endAddress.get(),
      args.networkType.get(), args.expiresIn.get(), settingsReference(), newId.AsInOut(), &resultCode);
  notify_cud_result(Brenix::kFeatureNetworkConnections, Brenix::kFunctionAdd, newId.get(), status == 0,
                    static_cast<int32_t>(resultCode));
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::edit_network_connection(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::edit_network_connection";
  LEDRA_LOG(logging::Normal, kFunction, __LINE__, kProcessing, request->getName().c_str());
  ConnectionArguments args;
  Brenix::ScopedVariant uniqueId(-1L);
  long resultCode = 0;
  const std::wstring text = request->getPayload();
  const Brenix::Edit_netconnection_payload payload(text);
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kEditParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (!payload.get_uniqueid(uniqueId.AsInOut()) || !args.read(payload)) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kEditInvalid);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  const uint32_t status = adapter().edit_my_networkconnection(
      uniqueId.get(), args.notes.get(), args.ipType.get(), args.startAddress.get(), args.endAddress.get(),
      args.networkType.get(), args.expiresIn.get(), settingsReference(), &resultCode);
  notify_cud_result(Brenix::kFeatureNetworkConnections, Brenix::kFunctionEdit, uniqueId.get(), status == 0,
                    static_cast<int32_t>(resultCode));
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::delete_network_connection(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::delete_network_connection";
  LEDRA_LOG(logging::Normal, kFunction, __LINE__, kProcessing, request->getName().c_str());
  Brenix::ScopedVariant uniqueIds;
  const std::wstring text = request->getPayload();
  const Brenix::Delete_netconnection_payload payload(text);
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kDeleteParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (!payload.get_uniqueids(uniqueIds.AsInOut())) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kDeleteInvalid);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  const uint32_t status = adapter().delete_my_networkconnection(uniqueIds.get(), settingsReference());
  notify_cud_result(Brenix::kFeatureNetworkConnections, Brenix::kFunctionDelete, uniqueIds.get(), status == 0,
                    -1);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::refresh_network_connection(const std::shared_ptr<Message>&) {
  LEDRA_LOG(logging::Normal, L"Ledra::TarnModuleImpl::refresh_network_connection", __LINE__, kRefreshing);
  // The component publishes the list itself; the payload is not read.
  return adapter().get_my_netconnsettings(settingsReference());
}

}  // namespace Ledra
