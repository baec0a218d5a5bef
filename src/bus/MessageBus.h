// The bus as the program sees it: publish, request with a reply, subscribe by
// exact name or by pattern, in or out of the caller's session, unsubscribe by
// alias. Results are module status codes, 0 for success.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace Ledra {

class Message;
class Reply;

class MessageBus {
 public:
  using Callback = std::function<unsigned long(std::shared_ptr<Message>)>;
  using ReplyCallback = std::function<void(std::shared_ptr<Reply>)>;
  using Timeout = std::chrono::milliseconds;

  virtual ~MessageBus() = default;

  virtual unsigned long publish(const std::shared_ptr<Message>& message) = 0;
  virtual unsigned long publishVariant(const std::shared_ptr<Message>& message) = 0;
  virtual unsigned long request(const std::shared_ptr<Message>& message, ReplyCallback callback,
                                const Timeout& timeout) = 0;
  virtual unsigned long request(const std::shared_ptr<Message>& message, std::shared_ptr<Reply>& reply,
                                const Timeout& timeout) = 0;
  virtual unsigned long requestVariant(const std::shared_ptr<Message>& message, ReplyCallback callback,
                                       const Timeout& timeout) = 0;
  virtual unsigned long requestVariant(const std::shared_ptr<Message>& message, std::shared_ptr<Reply>& reply,
                                       const Timeout& timeout) = 0;
  virtual unsigned long subscribe(const std::wstring& name, const std::wstring& alias, Callback callback) = 0;
  virtual unsigned long subscribe(const std::wstring& name, Callback callback) = 0;
  virtual unsigned long subscribeInSession(const std::wstring& name, const std::wstring& alias,
                                           Callback callback) = 0;
  virtual unsigned long subscribeInSession(const std::wstring& name, Callback callback) = 0;
  virtual unsigned long subscribeFilter(const std::wstring& nameRegex, const std::wstring& alias,
                                        Callback callback) = 0;
  virtual unsigned long subscribeFilter(const std::wstring& nameRegex, Callback callback) = 0;
  virtual unsigned long subscribeFilterInSession(const std::wstring& nameRegex, const std::wstring& alias,
                                                 Callback callback) = 0;
  virtual unsigned long subscribeFilterInSession(const std::wstring& nameRegex, Callback callback) = 0;
  virtual unsigned long unsubscribe(const std::wstring& alias) = 0;
};

}  // namespace Ledra
