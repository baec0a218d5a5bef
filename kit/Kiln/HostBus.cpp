#include "kit/Kiln/HostBus.h"

#include <cstring>

#include "include/ModuleStatus.h"

namespace Kiln {
namespace {

// Beyond a request's own timeout, how long the host waits for the bus to call
// back before it calls the request lost.
constexpr uint32_t kReplySlackMs = 5000;
// How long an answer may wait for its copy on the subscription.
constexpr uint32_t kCopyWaitMs = 2000;
constexpr uint32_t kSyncWaitMs = 10000;

}  // namespace

HostBus::~HostBus() { close(); }

uint32_t HostBus::open(const std::wstring& libraryPath, std::wstring& failure) {
  library_ = ::LoadLibraryW(libraryPath.c_str());
  if (!library_) {
    failure = L"LoadLibraryW failed with error " + std::to_wstring(::GetLastError());
    return Ledra::MODULE_STATUS_NOT_FOUND;
  }
  const auto createObject = reinterpret_cast<Ledra::BusCreateObjectFn>(
      reinterpret_cast<void*>(::GetProcAddress(library_, "CreateObject")));
  if (!createObject) {
    failure = L"no CreateObject export";
    return Ledra::MODULE_STATUS_NOT_FOUND;
  }
  functions_ = createObject(Ledra::kBusLibraryVersion);
  if (!functions_) {
    failure = L"CreateObject(2001000) answered no functions";
    return Ledra::MODULE_STATUS_NOT_SUPPORTED;
  }
  const uint32_t status = functions_->create(&handle_);
  if (status != Ledra::MODULE_STATUS_SUCCESS || !handle_) {
    failure = L"the bus refused a handle";
    handle_ = nullptr;
    return status != 0 ? status : Ledra::MODULE_STATUS_UNSUCCESSFUL;
  }
  return Ledra::MODULE_STATUS_SUCCESS;
}

uint32_t HostBus::subscribeAll() {
  subscription_ = functions_->subscribeFilter(handle_, this, &HostBus::deliver, L".*");
  return subscription_ != 0 ? Ledra::MODULE_STATUS_SUCCESS : Ledra::MODULE_STATUS_UNSUCCESSFUL;
}

void HostBus::close() {
  if (handle_) {
    if (subscription_ != 0) functions_->unsubscribe(handle_, subscription_);
    functions_->releaseReplyAdapter(handle_, &HostBus::replied);
    functions_->release(handle_);
    handle_ = nullptr;
    subscription_ = 0;
  }
  if (library_) {
    ::FreeLibrary(library_);
    library_ = nullptr;
  }
  functions_ = nullptr;
}

Ledra::MessageHeader HostBus::makeHeader(const std::wstring& name, const std::wstring& sender,
                                         const std::wstring& payload) {
  Ledra::MessageHeader header;
  std::memset(&header, 0, sizeof(header));
  header.formatMark = 1;
  header.totalLength = Ledra::kMessageHeaderBaseLength +
                       static_cast<uint32_t>(2 * (name.size() + sender.size() + payload.size()));
  header.version = Ledra::kMessageHeaderVersion;
  header.extensionMark = 11;
  header.extensionSize = 8;
  return header;
}

uint32_t HostBus::publish(const std::wstring& name, const std::wstring& payload) {
  const Ledra::MessageHeader header = makeHeader(name, kHostSender, payload);
  return functions_->publish(handle_, &header, name.c_str(), kHostSender, payload.c_str());
}

RequestOutcome HostBus::request(const std::wstring& name, const std::wstring& payload, uint32_t timeoutMs) {
  RequestOutcome outcome;
  traffic_.beginRequest();
  const Ledra::MessageHeader header = makeHeader(name, kHostSender, payload);
  outcome.sendStatus = functions_->request(handle_, ++lastReplyIndex_, this, &HostBus::replied, &header,
                                           name.c_str(), kHostSender, payload.c_str(), timeoutMs);
  if (outcome.sendStatus == Ledra::MODULE_STATUS_SUCCESS) {
    outcome.answered = traffic_.waitReply(timeoutMs + kReplySlackMs, outcome.replyStatus);
    if (outcome.answered && outcome.replyStatus == 0) traffic_.waitAnswerPrinted(kCopyWaitMs);
  }
  outcome.answerPrinted = traffic_.closeRequest();
  return outcome;
}

bool HostBus::sync() {
  const uint64_t token = traffic_.newSyncToken();
  if (publish(kSyncName, std::to_wstring(token)) != Ledra::MODULE_STATUS_SUCCESS) return false;
  return traffic_.waitSync(token, kSyncWaitMs);
}

uint32_t HostBus::deliver(void* context, const Ledra::MessageHeader* header, const wchar_t* name,
                          const wchar_t* sender, const wchar_t* payload) {
  static_cast<HostBus*>(context)->traffic_.onMessage(seenFrom(header, name, sender, payload));
  return Ledra::MODULE_STATUS_SUCCESS;
}

uint32_t HostBus::replied(void* context, uint64_t replyIndex, const Ledra::MessageHeader* header,
                          const wchar_t* name, const wchar_t* sender, const wchar_t* payload,
                          uint32_t status) {
  HostBus* self = static_cast<HostBus*>(context);
  // Only the request in flight is of interest; a late answer to an earlier one is dropped.
  if (replyIndex != self->lastReplyIndex_) return Ledra::MODULE_STATUS_SUCCESS;
  if (status == Ledra::MODULE_STATUS_SUCCESS) {
    const SeenMessage reply = seenFrom(header, name, sender, payload);
    self->traffic_.replyArrived(status, &reply);
  } else {
    self->traffic_.replyArrived(status, nullptr);
  }
  return Ledra::MODULE_STATUS_SUCCESS;
}

}  // namespace Kiln
