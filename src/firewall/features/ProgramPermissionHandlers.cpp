// Program permission requests: add, edit, delete and refresh of the
// component's per-program entries. Edit and delete publish their outcome.
#include "Logging/Log.h"
#include "firewall/TarnModuleImpl.h"
#include "firewall/adapter/ScopedVariant.h"
#include "firewall/features/NotifyCudResult.h"
#include "firewall/features/ProgramPermissionPayloads.h"
#include "message/Message.h"

namespace Ledra {
namespace {

constexpr wchar_t kLogFile[] = L"TarnModuleImpl";

constexpr wchar_t kProcessing[] = L"Processing: %s";
constexpr wchar_t kAddParseFailed[] = L"AddProgInternetConn: Failed to parse user data";
constexpr wchar_t kAddInvalid[] = L"AddProgInternetConn: Invalid parameter received in user data.";
constexpr wchar_t kEditParseFailed[] = L"EditProgInternetConn:Failed to parse user data";
constexpr wchar_t kEditInvalid[] = L"EditProgInternetConn:Invalid parameter received in user data.";
constexpr wchar_t kDeleteParseFailed[] = L"DeleteProgInternetConn:Failed to parse user data";
constexpr wchar_t kDeleteInvalid[] = L"DeleteProgInternetConn:Invalid parameter received in user data.";
constexpr wchar_t kRefreshing[] = L"Request to have the Program internet connection Setting published";

}  // namespace

ModuleStatus TarnModuleImpl::add_proginternet_conn(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::add_proginternet_conn";
  LEDRA_LOG(logging::Normal, kFunction, __LINE__, kProcessing, request->getName().c_str());
  Brenix::ScopedVariant fileName;
  Brenix::ScopedVariant permission(-1L);
  Brenix::ScopedVariant scope(-1L);
  Brenix::ScopedVariant netGuard(-1L);
  const std::wstring text = request->getPayload();
  const Brenix::Add_proginternetconn_payload payload(text);
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kAddParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (!payload.get_program_filepath(fileName.AsInOut()) ||
      !payload.get_program_permission(permission.AsInOut()) || !payload.get_program_scope(scope.AsInOut()) ||
      !payload.get_program_ipreputationn(netGuard.AsInOut())) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kAddInvalid);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  return adapter().firewall_add_proginternetconn(fileName.get(), permission.get(), scope.get(),
                                                 netGuard.get(), settingsReference());
}

ModuleStatus TarnModuleImpl::edit_proginternet_conn(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::edit_proginternet_conn";
  LEDRA_LOG(logging::Normal, kFunction, __LINE__, kProcessing, request->getName().c_str());
  Brenix::ScopedVariant programId(-1L);
  Brenix::ScopedVariant permission(-1L);
  Brenix::ScopedVariant scope(-1L);
  Brenix::ScopedVariant netGuard(-1L);
  const std::wstring text = request->getPayload();
  const Brenix::Edit_proginternetconn_payload payload(text);
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kEditParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (!payload.get_programid(programId.AsInOut()) || !payload.get_program_permission(permission.AsInOut()) ||
      !payload.get_program_scope(scope.AsInOut()) || !payload.get_program_ipreputationn(netGuard.AsInOut())) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kEditInvalid);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  const uint32_t status = adapter().firewall_edit_proginternetconn(
      programId.get(), permission.get(), scope.get(), netGuard.get(), settingsReference());
  // The outcome travels in the notification; the request itself was handled.
  notify_cud_result(Brenix::kFeatureProgramPermissions, Brenix::kFunctionEdit, programId.get(), status == 0,
                    -1);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::delete_proginternet_conn(const std::shared_ptr<Message>& request) {
  constexpr wchar_t kFunction[] = L"Ledra::TarnModuleImpl::delete_proginternet_conn";
  LEDRA_LOG(logging::Normal, kFunction, __LINE__, kProcessing, request->getName().c_str());
  Brenix::ScopedVariant programIds;
  const std::wstring text = request->getPayload();
  const Brenix::Delete_proginternetconn_payload payload(text);
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kDeleteParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (!payload.get_programids(programIds.AsInOut())) {
    LEDRA_LOG(logging::Error, kFunction, __LINE__, kDeleteInvalid);
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  const uint32_t status = adapter().firewall_delete_proginternetconn(programIds.get(), settingsReference());
  notify_cud_result(Brenix::kFeatureProgramPermissions, Brenix::kFunctionDelete, programIds.get(),
                    status == 0, -1);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::refresh_proginternet_conn(const std::shared_ptr<Message>&) {
  LEDRA_LOG(logging::Normal, L"Ledra::TarnModuleImpl::refresh_proginternet_conn", __LINE__, kRefreshing);
  // The component publishes the list itself; the payload is not read.
  return adapter().get_proginternetconn_settings(settingsReference());
}

}  // namespace Ledra
