#include "bus/MessageBusClient.h"

#include <cstring>
#include <limits>
#include <system_error>

#include "Logging/Log.h"
#include "bus/MessageBusLib.h"
#include "bus/ReplyImpl.h"
#include "include/MessageHeader.h"
#include "include/ModuleStatus.h"
#include "message/Message.h"
#include "include/ModuleException.h"

namespace Ledra {
namespace {

constexpr wchar_t kLogFile[] = L"MessageBusClient";

constexpr wchar_t kInvalidShim[] = L"Invalid message bus shim. Throwing ModuleException.";
constexpr wchar_t kFoundSessionId[] = L"Found session id %ld for process %ld";
constexpr wchar_t kNoSessionId[] = L"Failed to get the session id for process %ld - defaulting to %ld";
constexpr wchar_t kPublishFailed[] = L"Failed to publish message. Error code %lu.";
constexpr wchar_t kCopyPublishFailed[] = L"Failed to publish non-reply copy of the message. Error code %lu.";
constexpr wchar_t kNoPromise[] = L"Unable to create reply promise. Returning.";
constexpr wchar_t kRequestFailed[] = L"Failed to make request. Error code %lu.";
constexpr wchar_t kReplyIndexNotFound[] = L"Reply index not found. Returning";
constexpr wchar_t kSubscribeFailed[] = L"Failed to subscribe. Alias: %ls Message name: %ls";
constexpr wchar_t kRegexError[] = L"subscribeFilter failed. Regex error with regex \"%ls\" [caught: %hs]";
constexpr wchar_t kSubscribeFilterFailed[] = L"Failed to subscribeFilter. Alias: %ls Message nameRegex: %ls";
constexpr wchar_t kSubscriptionNotFound[] = L"Subscription not found. Alias: %ls.";

// Error codes of the generic category a failed reply completes with.
constexpr int kReplyCanceled = 105;      // the library's timeout
constexpr int kReplyNoMessage = 120;     // any other failure status
constexpr int64_t kReplyGraceMs = 1000;  // waiting outlasts the library's own timeout by this much

uint32_t libraryTimeout(const MessageBus::Timeout& timeout) {
  const auto count = timeout.count();
  if (count <= 0) return 0;
  if (static_cast<uint64_t>(count) > std::numeric_limits<uint32_t>::max()) {
    return std::numeric_limits<uint32_t>::max();
  }
  return static_cast<uint32_t>(count);
}

int64_t replyDeadline(const MessageBus::Timeout& timeout) {
  return ReplyImpl::nowMilliseconds() + kReplyGraceMs + timeout.count();
}

}  // namespace

MessageBusClient::MessageBusClient() : MessageBusClient(std::make_shared<MessageBusLib>()) {}

MessageBusClient::MessageBusClient(std::shared_ptr<MessageBusShim> shim,
                                   std::shared_ptr<ProcessAPI> processApi)
    : shim_(std::move(shim)), processApi_(std::move(processApi)) {
  if (!shim_) {
    LEDRA_LOG(logging::Error, L"Ledra::MessageBusClient::MessageBusClient", __LINE__, kInvalidShim);
    throw ModuleException("Invalid message bus shim");
  }
  if (!processApi_) processApi_ = std::make_shared<ProcessAPIImpl>();
  replyFunction_ = [this](uint64_t index, const std::shared_ptr<Message>& message, unsigned long status) {
    return replyCallback(index, message, status);
  };
  readSessionId();
}

MessageBusClient::~MessageBusClient() {
  {
    std::lock_guard<Ledra::SrwMutex> lock(subscriptionLock_);
    for (const auto& entry : subscriptions_) unsubscribeNode(entry.second);
    subscriptions_.clear();
  }
  shim_->releaseReplyAdapter();
}

void MessageBusClient::readSessionId() {
  const uint32_t processId = processApi_->getCurrentProcessId();
  uint32_t session = 0;
  if (processApi_->processIdToSessionId(processId, &session)) {
    LEDRA_LOG(logging::Normal, L"Ledra::MessageBusClient::MessageBusClient", __LINE__, kFoundSessionId,
              static_cast<long>(session), static_cast<long>(processId));
    sessionId_ = session;
  } else {
    LEDRA_LOG(logging::Error, L"Ledra::MessageBusClient::MessageBusClient", __LINE__, kNoSessionId,
              static_cast<long>(processId), 0L);
    sessionId_ = 0;
  }
}

// ---- publish ----

unsigned long MessageBusClient::publish(const std::shared_ptr<Message>& message) {
  return internalPublish(message, false);
}

unsigned long MessageBusClient::publishVariant(const std::shared_ptr<Message>& message) {
  return internalPublish(message, true);
}

unsigned long MessageBusClient::internalPublish(const std::shared_ptr<Message>& message, bool variant) {
  if (!message) return MODULE_STATUS_INVALID_PARAMETER;
  MessageHeader* header = message->getHeader();
  // A reply reaches its requester first, then goes out once more as an
  // ordinary message to every subscriber of its name; bit 4 marks that this
  // copy was made so that it is never copied again.
  bool sendCopy = false;
  if ((header->flags & kMessageFlagReply) != 0 &&
      (header->flags & (kMessageFlagCopyHandled | kMessageFlagNonReplyCopy)) == 0) {
    header->flags |= kMessageFlagNonReplyCopy;
    sendCopy = true;
  }
  const uint32_t result = shim_->publish(message, variant);
  if (result != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(logging::Error, L"Ledra::MessageBusClient::internalPublish", __LINE__, kPublishFailed,
              static_cast<unsigned long>(result));
    return result;
  }
  if (sendCopy) {
    header->flags &= ~kMessageFlagReply;
    std::memset(header->destinationCookie, 0, sizeof(header->destinationCookie));
    const uint32_t copyResult = shim_->publish(message, variant);
    if (copyResult != MODULE_STATUS_SUCCESS) {
      LEDRA_LOG(logging::Warning, L"Ledra::MessageBusClient::internalPublish", __LINE__, kCopyPublishFailed,
                static_cast<unsigned long>(copyResult));
    }
  }
  return MODULE_STATUS_SUCCESS;
}

// ---- request ----

unsigned long MessageBusClient::request(const std::shared_ptr<Message>& message, ReplyCallback callback,
                                        const Timeout& timeout) {
  return internalRequest(message, std::move(callback), timeout, false);
}

unsigned long MessageBusClient::request(const std::shared_ptr<Message>& message,
                                        std::shared_ptr<Reply>& reply, const Timeout& timeout) {
  return internalRequest(message, reply, timeout, false);
}

unsigned long MessageBusClient::requestVariant(const std::shared_ptr<Message>& message,
                                               ReplyCallback callback, const Timeout& timeout) {
  return internalRequest(message, std::move(callback), timeout, true);
}

unsigned long MessageBusClient::requestVariant(const std::shared_ptr<Message>& message,
                                               std::shared_ptr<Reply>& reply, const Timeout& timeout) {
  return internalRequest(message, reply, timeout, true);
}

unsigned long MessageBusClient::addPendingReply(ReplyCallback callback, bool keepFuture, uint64_t& index,
                                                ReplyFuture& future) {
  std::lock_guard<Ledra::SrwMutex> lock(replyLock_);
  index = replyCounter_++;
  PendingReply& entry = pendingReplies_[index];
  entry.promise = SrwPromise<std::shared_ptr<Message>>();
  ReplyFuture taken = entry.promise.get_future();
  if (!taken.valid()) {
    pendingReplies_.erase(index);
    LEDRA_LOG(logging::Error, L"Ledra::MessageBusClient::internalRequest", __LINE__, kNoPromise);
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  if (keepFuture) {
    entry.future = std::move(taken);
    entry.callback = std::move(callback);
  } else {
    future = std::move(taken);
  }
  return MODULE_STATUS_SUCCESS;
}

unsigned long MessageBusClient::sendRequest(const std::shared_ptr<Message>& message, uint64_t index,
                                            const Timeout& timeout, bool variant) {
  // The reply lock is not held: the library may answer before it returns.
  const uint32_t result = shim_->request(message, index, &replyFunction_, libraryTimeout(timeout), variant);
  if (result != MODULE_STATUS_SUCCESS) {
    {
      std::lock_guard<Ledra::SrwMutex> lock(replyLock_);
      pendingReplies_.erase(index);
    }
    LEDRA_LOG(logging::Error, L"Ledra::MessageBusClient::internalRequest", __LINE__, kRequestFailed,
              static_cast<unsigned long>(result));
  }
  return result;
}

unsigned long MessageBusClient::internalRequest(const std::shared_ptr<Message>& message,
                                                std::shared_ptr<Reply>& reply, const Timeout& timeout,
                                                bool variant) {
  if (!message) return MODULE_STATUS_INVALID_PARAMETER;
  uint64_t index = 0;
  ReplyFuture future;
  unsigned long result = addPendingReply(nullptr, false, index, future);
  if (result != MODULE_STATUS_SUCCESS) return result;
  result = sendRequest(message, index, timeout, variant);
  if (result != MODULE_STATUS_SUCCESS) return result;
  reply = std::make_shared<ReplyImpl>(std::move(future), replyDeadline(timeout));
  return MODULE_STATUS_SUCCESS;
}

unsigned long MessageBusClient::internalRequest(const std::shared_ptr<Message>& message,
                                                ReplyCallback callback, const Timeout& timeout,
                                                bool variant) {
  if (!message) return MODULE_STATUS_INVALID_PARAMETER;
  uint64_t index = 0;
  ReplyFuture unused;
  const unsigned long result = addPendingReply(std::move(callback), true, index, unused);
  if (result != MODULE_STATUS_SUCCESS) return result;
  return sendRequest(message, index, timeout, variant);
}

unsigned long MessageBusClient::replyCallback(uint64_t replyIndex, const std::shared_ptr<Message>& message,
                                              unsigned long status) {
  PendingReply entry;
  {
    std::lock_guard<Ledra::SrwMutex> lock(replyLock_);
    auto found = pendingReplies_.find(replyIndex);
    if (found == pendingReplies_.end()) {
      LEDRA_LOG(logging::Warning, L"Ledra::MessageBusClient::replyCallback", __LINE__, kReplyIndexNotFound);
      return MODULE_STATUS_NOT_FOUND;
    }
    entry = std::move(found->second);
    pendingReplies_.erase(found);
  }
  if (status == MODULE_STATUS_TIMEOUT) {
    entry.promise.set_exception(
        std::make_exception_ptr(std::system_error(std::error_code(kReplyCanceled, std::generic_category()))));
  } else if (status == MODULE_STATUS_SUCCESS) {
    entry.promise.set_value(message);
  } else {
    entry.promise.set_exception(std::make_exception_ptr(
        std::system_error(std::error_code(kReplyNoMessage, std::generic_category()))));
  }
  if (entry.callback) {
    // The future is ready, so settling the status does not block.
    auto reply = std::make_shared<ReplyImpl>(std::move(entry.future), replyDeadline(Timeout(0)));
    reply->wait();
    entry.callback(reply);
  }
  return MODULE_STATUS_SUCCESS;
}

// ---- subscribe ----

MessageBus::Callback MessageBusClient::inSession(Callback callback) const {
  if (sessionId_ == 0) return callback;
  const uint32_t ownSession = sessionId_;
  return [ownSession, callback = std::move(callback)](std::shared_ptr<Message> message) -> unsigned long {
    const MessageHeader* header = message ? message->getHeader() : nullptr;
    // Only version-2 headers carry a session; 0 means the sender has none.
    if (header != nullptr && header->version == kMessageHeaderVersion && header->sessionId != 0 &&
        header->sessionId != ownSession) {
      return MODULE_STATUS_SUCCESS;
    }
    return callback(std::move(message));
  };
}

unsigned long MessageBusClient::subscribe(const std::wstring& name, const std::wstring& alias,
                                          Callback callback) {
  std::lock_guard<Ledra::SrwMutex> lock(subscriptionLock_);
  SubscriptionNode& node = subscriptions_[alias];
  node.exact.push_back(ExactSubscription{0, name, std::make_shared<Callback>(std::move(callback))});
  const uint32_t id = shim_->subscribe(name, node.exact.back().callback.get());
  if (id != 0) {
    node.exact.back().id = id;
    return MODULE_STATUS_SUCCESS;
  }
  LEDRA_LOG(logging::Error, L"Ledra::MessageBusClient::subscribe", __LINE__, kSubscribeFailed, alias.c_str(),
            name.c_str());
  node.exact.pop_back();
  if (node.exact.empty() && node.filters.empty()) subscriptions_.erase(alias);
  return MODULE_STATUS_UNSUCCESSFUL;
}

unsigned long MessageBusClient::subscribe(const std::wstring& name, Callback callback) {
  return subscribe(name, name, std::move(callback));
}

unsigned long MessageBusClient::subscribeInSession(const std::wstring& name, const std::wstring& alias,
                                                   Callback callback) {
  return subscribe(name, alias, inSession(std::move(callback)));
}

unsigned long MessageBusClient::subscribeInSession(const std::wstring& name, Callback callback) {
  return subscribe(name, name, inSession(std::move(callback)));
}

unsigned long MessageBusClient::subscribeFilter(const std::wstring& nameRegex, const std::wstring& alias,
                                                Callback callback) {
  return addFilter(nameRegex, alias, std::move(callback));
}

unsigned long MessageBusClient::subscribeFilter(const std::wstring& nameRegex, Callback callback) {
  return addFilter(nameRegex, nameRegex, std::move(callback));
}

unsigned long MessageBusClient::subscribeFilterInSession(const std::wstring& nameRegex,
                                                         const std::wstring& alias, Callback callback) {
  return addFilter(nameRegex, alias, inSession(std::move(callback)));
}

unsigned long MessageBusClient::subscribeFilterInSession(const std::wstring& nameRegex, Callback callback) {
  return addFilter(nameRegex, nameRegex, inSession(std::move(callback)));
}

unsigned long MessageBusClient::addFilter(const std::wstring& nameRegex, const std::wstring& alias,
                                          Callback callback) {
  std::wregex pattern;
  try {
    pattern.assign(nameRegex, std::regex_constants::ECMAScript | std::regex_constants::nosubs |
                                  std::regex_constants::optimize);
  } catch (const std::regex_error& error) {
    LEDRA_LOG(logging::Error, L"Ledra::MessageBusClient::subscribeFilter", __LINE__, kRegexError,
              nameRegex.c_str(), error.what());
    return MODULE_STATUS_INVALID_PARAMETER;
  }
  std::lock_guard<Ledra::SrwMutex> lock(subscriptionLock_);
  SubscriptionNode& node = subscriptions_[alias];
  node.filters.push_back(
      FilterSubscription{0, nameRegex, std::make_shared<Callback>(std::move(callback)), std::move(pattern)});
  const uint32_t id = shim_->subscribeFilter(nameRegex, node.filters.back().callback.get());
  if (id != 0) {
    node.filters.back().id = id;
    return MODULE_STATUS_SUCCESS;
  }
  LEDRA_LOG(logging::Error, L"Ledra::MessageBusClient::subscribeFilter", __LINE__, kSubscribeFilterFailed,
            alias.c_str(), nameRegex.c_str());
  node.filters.pop_back();
  if (node.exact.empty() && node.filters.empty()) subscriptions_.erase(alias);
  return MODULE_STATUS_UNSUCCESSFUL;
}

// ---- unsubscribe ----

void MessageBusClient::unsubscribeNode(const SubscriptionNode& node) {
  for (const auto& subscription : node.exact) shim_->unsubscribe(subscription.id);
  for (const auto& subscription : node.filters) shim_->unsubscribe(subscription.id);
}

unsigned long MessageBusClient::unsubscribe(const std::wstring& alias) {
  std::lock_guard<Ledra::SrwMutex> lock(subscriptionLock_);
  auto found = subscriptions_.find(alias);
  if (found == subscriptions_.end()) {
    LEDRA_LOG(logging::Warning, L"Ledra::MessageBusClient::unsubscribe", __LINE__, kSubscriptionNotFound,
              alias.c_str());
    return MODULE_STATUS_SUCCESS;
  }
  unsubscribeNode(found->second);
  subscriptions_.erase(found);
  return MODULE_STATUS_SUCCESS;
}

// ---- direct delivery ----

unsigned long MessageBusClient::deliverDirect(const std::shared_ptr<Message>& message) {
  if (!message) return MODULE_STATUS_INVALID_PARAMETER;
  const std::wstring& name = message->getName();
  std::lock_guard<Ledra::SrwMutex> lock(subscriptionLock_);
  for (const auto& entry : subscriptions_) {
    for (const auto& subscription : entry.second.exact) {
      if (subscription.name == name) (*subscription.callback)(message);
    }
    for (const auto& subscription : entry.second.filters) {
      if (std::regex_match(name, subscription.pattern)) (*subscription.callback)(message);
    }
  }
  return MODULE_STATUS_SUCCESS;
}

}  // namespace Ledra
