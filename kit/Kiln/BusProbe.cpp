#include "kit/Kiln/BusProbe.h"

#include <chrono>

#include "include/ModuleStatus.h"

namespace Kiln {

BusProbe::BusProbe(const HostBus& bus, const std::wstring& pattern) : functions_(bus.functions()) {
  if (!functions_ || functions_->create(&handle_) != Ledra::MODULE_STATUS_SUCCESS) {
    handle_ = nullptr;
    return;
  }
  subscription_ = functions_->subscribeFilter(handle_, this, &BusProbe::deliver, pattern.c_str());
}

BusProbe::~BusProbe() {
  // Waits for a delivery or reply call in progress; none comes after.
  if (handle_) functions_->release(handle_);
}

size_t BusProbe::mark() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return forgotten_ + seen_.size();
}

bool BusProbe::waitFor(const std::wstring& name, size_t from, const Accept& accept, uint32_t milliseconds,
                       SeenMessage* found) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] {
    for (size_t i = from > forgotten_ ? from - forgotten_ : 0; i < seen_.size(); ++i) {
      if (seen_[i].name == name && (!accept || accept(seen_[i]))) {
        if (found) *found = seen_[i];
        return true;
      }
    }
    return false;
  });
}

void BusProbe::forget() {
  std::lock_guard<std::mutex> lock(mutex_);
  forgotten_ += seen_.size();
  seen_.clear();
}

uint32_t BusProbe::publish(const std::wstring& name, const std::wstring& payload, uint32_t session) {
  Ledra::MessageHeader header = HostBus::makeHeader(name, kProbeSender, payload);
  header.sessionId = session;
  return functions_->publish(handle_, &header, name.c_str(), kProbeSender, payload.c_str());
}

bool BusProbe::ask(const std::wstring& name, const std::wstring& payload, uint32_t milliseconds,
                   SeenMessage* reply) {
  uint64_t index = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    index = ++lastIndex_;
  }
  const Ledra::MessageHeader header = HostBus::makeHeader(name, kProbeSender, payload);
  if (functions_->request(handle_, index, this, &BusProbe::replied, &header, name.c_str(), kProbeSender,
                          payload.c_str(), milliseconds) != Ledra::MODULE_STATUS_SUCCESS) {
    return false;
  }
  // The bus calls back once, with the reply or its timeout; the slack covers a late timer.
  std::unique_lock<std::mutex> lock(mutex_);
  if (!changed_.wait_for(lock, std::chrono::milliseconds(milliseconds) + std::chrono::seconds(10),
                         [&] { return answers_.count(index) != 0; })) {
    return false;
  }
  const Answer answer = answers_[index];
  answers_.erase(index);
  if (reply) *reply = answer.reply;
  return answer.status == Ledra::MODULE_STATUS_SUCCESS;
}

uint32_t BusProbe::deliver(void* context, const Ledra::MessageHeader* header, const wchar_t* name,
                           const wchar_t* sender, const wchar_t* payload) {
  BusProbe* self = static_cast<BusProbe*>(context);
  SeenMessage message = seenFrom(header, name, sender, payload);
  std::lock_guard<std::mutex> lock(self->mutex_);
  self->seen_.push_back(std::move(message));
  self->changed_.notify_all();
  return Ledra::MODULE_STATUS_SUCCESS;
}

uint32_t BusProbe::replied(void* context, uint64_t replyIndex, const Ledra::MessageHeader* header,
                           const wchar_t* name, const wchar_t* sender, const wchar_t* payload,
                           uint32_t status) {
  BusProbe* self = static_cast<BusProbe*>(context);
  Answer answer{status, status == Ledra::MODULE_STATUS_SUCCESS ? seenFrom(header, name, sender, payload)
                                                               : SeenMessage()};
  std::lock_guard<std::mutex> lock(self->mutex_);
  self->answers_[replyIndex] = std::move(answer);
  self->changed_.notify_all();
  return Ledra::MODULE_STATUS_SUCCESS;
}

}  // namespace Kiln
