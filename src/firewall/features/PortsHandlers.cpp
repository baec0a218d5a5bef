// Ports and system services requests: add, update, delete and refresh of the
// component's system services. Add, update and delete publish their outcome.
#include "Logging/Log.h"
#include "firewall/TarnModuleImpl.h"
#include "firewall/adapter/ScopedVariant.h"
#include "firewall/features/NotifyCudResult.h"
#include "firewall/features/PortsPayloads.h"
#include "message/Message.h"

namespace Ledra {
namespace {

constexpr wchar_t kLogFile[] = L"TarnModuleImpl";

constexpr wchar_t kProcessing[] = L"Processing: %s";
constexpr wchar_t kAddParseFailed[] = L"AddPortsAndSystemServices:Failed to parse user data";
constexpr wchar_t kAddInvalid[] = L"AddPortsAndSystemServices:Invalid parameter received in user data.";
constexpr wchar_t kUpdateParseFailed[] = L"UpdatePortsAndSystemServices:Failed to parse user data";
constexpr wchar_t kUpdateInvalid[] = L"UpdatePortsAndSystemServices:Invalid parameter received in user data.";
constexpr wchar_t kDeleteParseFailed[] = L"DeletePortsAndSystemServices:Failed to parse user data";
constexpr wchar_t kDeleteInvalid[] = L"DeletePortsAndSystemServices:Invalid parameter received in user data.";
constexpr wchar_t kRefreshing[] = L"Request to have the Ports ans SystemService Setting published";

// The arguments an add and an update share, prepared as the component expects
// them before the payload is read.
struct ServiceArguments {
  Brenix::ScopedVariant name;
  Brenix::ScopedVariant enabled;
  Brenix::ScopedVariant category;
  Brenix::ScopedVariant tcpLocal;
  Brenix::ScopedVariant udpLocal;
  Brenix::ScopedVariant portList3;
  Brenix::ScopedVariant portList4;
  Brenix::ScopedVariant description;
  Brenix::ScopedVariant networkType{-1L};
  Brenix::ScopedVariant forwardActivity;

  ServiceArguments() {
    enabled.SetBool(false);
    forwardActivity.SetBool(false);
  }

  // The members after the name (and, for an update, the id), in the component's order.
  bool readAfterName(const Brenix::Add_portsandsysserv_payload& payload) {
    if (!payload.get_ssenable_setting(enabled.AsInOut()) || !payload.get_sscategory(category.AsInOut()) ||
        !payload.get_tcp_localport(tcpLocal.AsInOut()) || !payload.get_udp_localport(udpLocal.AsInOut())) {
      return false;
    }
    // Nothing in a request fills the third and fourth port lists.
    portList3.SetBstr(L"");
    portList4.SetBstr(L"");
    return payload.get_ssdescription(description.AsInOut()) &&
           payload.get_networktype(networkType.AsInOut()) &&
           payload.get_fwdportactivity_setting(forwardActivity.AsInOut());
  }
};

}  // namespace

ModuleStatus TarnModuleImpl::add_portsandsystem_services(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::add_portsandsystem_services";
  LEDRA_LOG(logging::Normal, kFunction, __LINE__, kProcessing, request->getName().c_str());
  ServiceArguments args;
  Brenix::ScopedVariant newId(-1L);
  const std::wstring text = request->getPayload();
  const Brenix::Add_portsandsysserv_payload payload(text);
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kAddParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (!payload.get_ssname(args.name.AsInOut()) || !args.readAfterName(payload)) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kAddInvalid);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  const uint32_t status = adapter().add_portsandsystemservices_settings(
      args.name.get(), args.enabled.get(), args.category.get(), args.tcpLocal.get(), args.udpLocal.get(),
      args.portList3.get(), args.portList4.get(), args.description.get(), args.networkType.get(),
      args.forwardActivity.get(), settingsReference(), newId.AsInOut());
  notify_cud_result(Brenix::kFeaturePortsAndSystemServices, Brenix::kFunctionAdd, newId.get(), status == 0,
                    -1);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::update_portsandsystem_services(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::update_portsandsystem_services";
  LEDRA_LOG(logging::Normal, kFunction, __LINE__, kProcessing, request->getName().c_str());
  ServiceArguments args;
  Brenix::ScopedVariant serviceId(-1L);
  const std::wstring text = request->getPayload();
  const Brenix::Update_portsandsysserv_payload payload(text);
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kUpdateParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (!payload.get_ssname(args.name.AsInOut()) || !payload.get_portsysid(serviceId.AsInOut()) ||
      !args.readAfterName(payload)) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kUpdateInvalid);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  const uint32_t status = adapter().update_portsandsystemservices_settings(
      serviceId.get(), args.name.get(), args.enabled.get(), args.category.get(), args.tcpLocal.get(),
      args.udpLocal.get(), args.portList3.get(), args.portList4.get(), args.description.get(),
      args.networkType.get(), args.forwardActivity.get(), settingsReference());
  notify_cud_result(Brenix::kFeaturePortsAndSystemServices, Brenix::kFunctionEdit, serviceId.get(),
                    status == 0, -1);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::delete_portsandsystem_services(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::delete_portsandsystem_services";
  LEDRA_LOG(logging::Normal, kFunction, __LINE__, kProcessing, request->getName().c_str());
  Brenix::ScopedVariant serviceIds;
  const std::wstring text = request->getPayload();
  const Brenix::Delete_portsandsysserv_payload payload(text);
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kDeleteParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (!payload.get_portsysid(serviceIds.AsInOut())) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kDeleteInvalid);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  const uint32_t status =
      adapter().delete_portsandsystemservices_settings(serviceIds.get(), settingsReference());
  notify_cud_result(Brenix::kFeaturePortsAndSystemServices, Brenix::kFunctionDelete, serviceIds.get(),
                    status == 0, -1);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::refresh_portsandsystem_services(const std::shared_ptr<Message>&) {
  LEDRA_LOG(logging::Normal, L"Ledra::TarnModuleImpl::refresh_portsandsystem_services", __LINE__,
            kRefreshing);
  // The component publishes the list itself; the payload is not read.
  return adapter().get_portsandsystemservice_settings(settingsReference());
}

}  // namespace Ledra
