// The bus client's view of the bus library: every transfer the client makes
// goes through one of these calls. MessageBusShimImpl calls the library's
// function table; tests give the client a fake.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Ledra {

class Message;

class MessageBusShim {
 public:
  // The subscriber's function; its address is the context of a subscription.
  using Callback = std::function<unsigned long(std::shared_ptr<Message>)>;
  // The client's reply function (reply index, reply message or empty, status);
  // its address is the context of every request.
  using ReplyFunction =
      std::function<unsigned long(uint64_t, const std::shared_ptr<Message>&, unsigned long)>;

  virtual ~MessageBusShim() = default;

  // Entry 2, or entry 8 for the variant. 0 = sent.
  virtual uint32_t publish(const std::shared_ptr<Message>& message, bool variant) = 0;
  // Entry 3, or entry 9 for the variant. 0 = accepted; the reply function is
  // then called once with this reply index.
  virtual uint32_t request(const std::shared_ptr<Message>& message, uint64_t replyIndex,
                           ReplyFunction* replyFunction, uint32_t timeoutMs, bool variant) = 0;
  // Entry 4: the subscription id, 0 = failed.
  virtual uint32_t subscribe(const std::wstring& name, Callback* callback) = 0;
  // Entry 5: names matching the ECMAScript pattern; the subscription id, 0 = failed.
  virtual uint32_t subscribeFilter(const std::wstring& pattern, Callback* callback) = 0;
  // Entry 6.
  virtual uint32_t unsubscribe(uint32_t subscriptionId) = 0;
  // Entry 7: the library makes no more reply calls.
  virtual uint32_t releaseReplyAdapter() = 0;
};

}  // namespace Ledra
