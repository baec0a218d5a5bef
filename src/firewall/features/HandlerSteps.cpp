#include "firewall/features/HandlerSteps.h"

#include <new>
#include <utility>

#include "Logging/Log.h"
#include "firewall/TarnModuleImpl.h"
#include "firewall/adapter/BxDynamicInterface.h"
#include "firewall/features/ModuleResponse.h"
#include "firewall/features/PayloadReading.h"
#include "message/Message.h"

namespace {

// The lines of the handlers carry the module's file tag.
constexpr wchar_t kLogFile[] = L"TarnModuleImpl";

}  // namespace

namespace Brenix {

ChangeValues::ChangeValues(const payload::RequestPayload& payload) : payload_(payload) {
  for (size_t i = 0; i < payload.count; ++i) {
    if (!payload::prepare(*payload.fields[i], values_[i])) throw std::bad_alloc();
  }
}

bool ChangeValues::read(const Request& request) {
  for (size_t i = 0; i < payload_.count; ++i) {
    const payload::Field& field = *payload_.fields[i];
    if (waived(i)) continue;
    if (!request.read(field, values_[i])) return false;
  }
  for (size_t i = 0; i < payload_.count; ++i) {
    if (payload_.fields[i]->handedOn == payload::HandedOn::AsUnsigned) {
      values_[i].setLong(V_I4(&values_[i].get()), VT_UI4);
    }
  }
  return true;
}

bool ChangeValues::waived(size_t index) const {
  if (payload_.fields[index] != payload_.waived) return false;
  for (size_t i = 0; i < index; ++i) {
    // The waiving word was read as VARIANT_TRUE.
    if (payload_.fields[i] == payload_.waivedBy) return V_BOOL(&values_[i].get()) == VARIANT_TRUE;
  }
  return false;
}

const VARIANT& ChangeValues::id(const ChangeResult& result) const {
  switch (result.id) {
    case ResultId::Value:
      return values_[result.idValue].get();
    case ResultId::NewId:
      return newId_.get();
    case ResultId::None:
      break;
  }
  return noId_.get();
}

int32_t ChangeValues::errorCode(const ChangeResult& result) const {
  return result.error == ResultError::ResultCode ? static_cast<int32_t>(resultCode_) : -1;
}

}  // namespace Brenix

namespace Brenix {

uint32_t refresh_list(const ListRefresh& list, TarnIf& adapter, TarnIf::SettingsPtr settings) {
  LEDRA_LOG(Ledra::logging::Normal, list.function, list.request.line, list.request.text);
  return (adapter.*list.get)(std::move(settings));
}

}  // namespace Brenix

namespace Ledra {

ModuleStatus TarnModuleImpl::refresh_group(const Brenix::RefreshGroup& group) {
  LEDRA_LOG(logging::Normal, group.function, group.request.line, group.request.text);
  Brenix::BxDynamicInterface bag;
  Ledra::ScopedVariant desc;  // released before the bag it points to
  desc.setDispatch(&bag);
  const ModuleStatus status = (adapter().*group.read)(desc.get(), settingsReference());
  if (status != MODULE_STATUS_SUCCESS) return status;
  Brenix::Module_response response(group.answer->name);
  if (!Brenix::answer::build(*group.answer, desc.get(), response)) {
    LEDRA_LOG(logging::Error, group.function, group.badData.line, group.badData.text);
    return MODULE_STATUS_DATA_ERROR;
  }
  post_response(response);
  return MODULE_STATUS_SUCCESS;
}

ModuleStatus TarnModuleImpl::handle_change(const Brenix::ChangeRequest& change,
                                           const std::shared_ptr<Message>& request,
                                           const Brenix::AdapterStep& step) {
  LEDRA_LOG(logging::Normal, change.function, change.processing.line, change.processing.text,
            request->getName().c_str());
  Brenix::ChangeValues values(*change.payload);
  const Brenix::Request payload(request->getPayload());
  if (!payload.isParsed()) {
    LEDRA_LOG(logging::Error, change.function, change.parseFailed.line, change.parseFailed.text);
    return change.parseStatus;
  }
  if (!values.read(payload)) {
    LEDRA_LOG(logging::Error, change.function, change.invalid.line, change.invalid.text);
    return change.invalidStatus;
  }
  const uint32_t status = step(values);
  const Brenix::ChangeResult& result = change.result;
  if (result.featureId == 0) return status;
  // The outcome travels in the change result; the request itself was handled.
  notify_cud_result(result.featureId, result.functionId, values.id(result), status == MODULE_STATUS_SUCCESS,
                    values.errorCode(result));
  return MODULE_STATUS_SUCCESS;
}

}  // namespace Ledra
