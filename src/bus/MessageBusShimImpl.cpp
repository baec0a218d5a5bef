#include "bus/MessageBusShimImpl.h"

#include "Logging/Log.h"
#include "include/ModuleStatus.h"
#include "message/Message.h"
#include "include/ModuleException.h"

namespace Ledra {
namespace {

constexpr wchar_t kLogFile[] = L"MessageBusShimImpl";

constexpr wchar_t kInvalidHandle[] = L"Invalid message bus handle. Throwing ModuleException.";
constexpr wchar_t kInvalidFunctions[] = L"Invalid message bus functions object. Throwing ModuleException.";
constexpr wchar_t kMessageNotBuilt[] = L"Failed to build the delivered message %ls.";

const wchar_t* orEmpty(const wchar_t* text) { return text != nullptr ? text : L""; }

// The message the library handed over, with its header as delivered.
std::shared_ptr<Message> buildMessage(const MessageHeader* header, const wchar_t* name, const wchar_t* sender,
                                      const wchar_t* payload) {
  std::shared_ptr<Message> message = Message::create(orEmpty(name), orEmpty(sender), orEmpty(payload));
  if (message) message->copyHeaderFrom(header);
  return message;
}

}  // namespace

MessageBusShimImpl::MessageBusShimImpl(void* handle, const BusFunctions* functions)
    : handle_(handle), functions_(functions) {
  if (handle_ == nullptr) {
    LEDRA_LOG(logging::Error, L"Ledra::MessageBusShimImpl::MessageBusShimImpl", __LINE__, kInvalidHandle);
    throw ModuleException("Invalid message bus handle");
  }
  if (functions_ == nullptr) {
    LEDRA_LOG(logging::Error, L"Ledra::MessageBusShimImpl::MessageBusShimImpl", __LINE__, kInvalidFunctions);
    throw ModuleException("Invalid message bus functions object");
  }
}

MessageBusShimImpl::~MessageBusShimImpl() { releaseReplyAdapter(); }

uint32_t MessageBusShimImpl::publish(const std::shared_ptr<Message>& message, bool variant) {
  if (!message) return MODULE_STATUS_INVALID_PARAMETER;
  const BusPublishFn publishFn = variant ? functions_->publishVariant : functions_->publish;
  if (publishFn == nullptr) return MODULE_STATUS_NOT_SUPPORTED;
  return publishFn(handle_, message->getHeader(), message->getName().c_str(), message->getSender().c_str(),
                   message->getPayload().c_str());
}

uint32_t MessageBusShimImpl::request(const std::shared_ptr<Message>& message, uint64_t replyIndex,
                                     ReplyFunction* replyFunction, uint32_t timeoutMs, bool variant) {
  if (!message) return MODULE_STATUS_INVALID_PARAMETER;
  const BusRequestFn requestFn = variant ? functions_->requestVariant : functions_->request;
  if (requestFn == nullptr) return MODULE_STATUS_NOT_SUPPORTED;
  return requestFn(handle_, replyIndex, replyFunction, &MessageBusShimImpl::replyAdapter,
                   message->getHeader(), message->getName().c_str(), message->getSender().c_str(),
                   message->getPayload().c_str(), timeoutMs);
}

uint32_t MessageBusShimImpl::subscribe(const std::wstring& name, Callback* callback) {
  if (functions_->subscribe == nullptr) return 0;
  return functions_->subscribe(handle_, callback, &MessageBusShimImpl::deliveryAdapter, name.c_str());
}

uint32_t MessageBusShimImpl::subscribeFilter(const std::wstring& pattern, Callback* callback) {
  if (functions_->subscribeFilter == nullptr) return 0;
  return functions_->subscribeFilter(handle_, callback, &MessageBusShimImpl::deliveryAdapter,
                                     pattern.c_str());
}

uint32_t MessageBusShimImpl::unsubscribe(uint32_t subscriptionId) {
  if (functions_->unsubscribe == nullptr) return MODULE_STATUS_NOT_SUPPORTED;
  return functions_->unsubscribe(handle_, subscriptionId);
}

uint32_t MessageBusShimImpl::releaseReplyAdapter() {
  if (functions_->releaseReplyAdapter == nullptr) return MODULE_STATUS_NOT_SUPPORTED;
  return functions_->releaseReplyAdapter(handle_, &MessageBusShimImpl::replyAdapter);
}

uint32_t MessageBusShimImpl::deliveryAdapter(void* context, const MessageHeader* header, const wchar_t* name,
                                             const wchar_t* sender, const wchar_t* payload) {
  if (context == nullptr) return MODULE_STATUS_INVALID_PARAMETER;
  std::shared_ptr<Message> message = buildMessage(header, name, sender, payload);
  if (!message) {
    LEDRA_LOG(logging::Error, L"Ledra::MessageBusShimImpl::deliveryAdapter", __LINE__, kMessageNotBuilt,
              orEmpty(name));
    return MODULE_STATUS_NO_MEMORY;
  }
  // Exceptions from the subscriber are the subscriber's to handle.
  return static_cast<uint32_t>((*static_cast<Callback*>(context))(std::move(message)));
}

uint32_t MessageBusShimImpl::replyAdapter(void* context, uint64_t replyIndex, const MessageHeader* header,
                                          const wchar_t* name, const wchar_t* sender, const wchar_t* payload,
                                          uint32_t status) {
  if (context == nullptr) return MODULE_STATUS_INVALID_PARAMETER;
  std::shared_ptr<Message> message;
  if (status == MODULE_STATUS_SUCCESS) message = buildMessage(header, name, sender, payload);
  return static_cast<uint32_t>((*static_cast<ReplyFunction*>(context))(replyIndex, message, status));
}

}  // namespace Ledra
