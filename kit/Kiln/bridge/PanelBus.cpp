#include "kit/Kiln/bridge/PanelBus.h"

#include "include/ModuleStatus.h"
#include "kit/Kiln/HostBus.h"

namespace Kiln {

uint32_t PanelBus::open() {
  uint32_t status = functions_->create(&handle_);
  if (status != Ledra::MODULE_STATUS_SUCCESS || !handle_) {
    handle_ = nullptr;
    return status != Ledra::MODULE_STATUS_SUCCESS ? status : Ledra::MODULE_STATUS_UNSUCCESSFUL;
  }
  subscription_ = functions_->subscribeFilter(handle_, this, &PanelBus::deliver, L".*");
  return subscription_ != 0 ? Ledra::MODULE_STATUS_SUCCESS : Ledra::MODULE_STATUS_UNSUCCESSFUL;
}

void PanelBus::close() {
  if (!handle_) return;
  // Each of these waits for a call in progress, so nothing is called after.
  if (subscription_ != 0) functions_->unsubscribe(handle_, subscription_);
  functions_->releaseReplyAdapter(handle_, &PanelBus::replied);
  functions_->release(handle_);
  handle_ = nullptr;
  subscription_ = 0;
}

uint32_t PanelBus::publish(const std::wstring& name, const std::wstring& payload) {
  const Ledra::MessageHeader header = HostBus::makeHeader(name, kPanelSender, payload);
  return functions_->publish(handle_, &header, name.c_str(), kPanelSender, payload.c_str());
}

uint32_t PanelBus::request(const std::wstring& name, const std::wstring& payload, uint32_t timeoutMs,
                           ReplySink done) {
  uint64_t index = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    index = ++lastIndex_;
    pending_[index] = std::move(done);
  }
  const Ledra::MessageHeader header = HostBus::makeHeader(name, kPanelSender, payload);
  const uint32_t status = functions_->request(handle_, index, this, &PanelBus::replied, &header, name.c_str(),
                                              kPanelSender, payload.c_str(), timeoutMs);
  if (status != Ledra::MODULE_STATUS_SUCCESS) {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.erase(index);
  }
  return status;
}

uint32_t PanelBus::deliver(void* context, const Ledra::MessageHeader* header, const wchar_t* name,
                           const wchar_t* sender, const wchar_t* payload) {
  PanelBus* self = static_cast<PanelBus*>(context);
  SeenMessage message = seenFrom(header, name, sender, payload);
  if (message.name == kSyncName && message.sender == kHostSender) return Ledra::MODULE_STATUS_SUCCESS;
  self->sink_(message);
  return Ledra::MODULE_STATUS_SUCCESS;
}

uint32_t PanelBus::replied(void* context, uint64_t replyIndex, const Ledra::MessageHeader* header,
                           const wchar_t* name, const wchar_t* sender, const wchar_t* payload,
                           uint32_t status) {
  PanelBus* self = static_cast<PanelBus*>(context);
  ReplySink done;
  {
    std::lock_guard<std::mutex> lock(self->mutex_);
    const auto found = self->pending_.find(replyIndex);
    if (found == self->pending_.end()) return Ledra::MODULE_STATUS_SUCCESS;
    done = std::move(found->second);
    self->pending_.erase(found);
  }
  if (status == Ledra::MODULE_STATUS_SUCCESS) {
    const SeenMessage reply = seenFrom(header, name, sender, payload);
    done(status, &reply);
  } else {
    done(status, nullptr);
  }
  return Ledra::MODULE_STATUS_SUCCESS;
}

}  // namespace Kiln
