// Calls the bus library's function table for one bus handle, and turns the
// library's two callback forms back into messages for the client.
#pragma once

#include "bus/MessageBusShim.h"
#include "include/BusLibrary.h"

namespace Ledra {

class MessageBusShimImpl : public MessageBusShim {
 public:
  // Throws ModuleException for a null handle or a null table. Neither is owned.
  MessageBusShimImpl(void* handle, const BusFunctions* functions);
  // Tells the library to make no more reply calls (entry 7).
  ~MessageBusShimImpl() override;

  MessageBusShimImpl(const MessageBusShimImpl&) = delete;
  MessageBusShimImpl& operator=(const MessageBusShimImpl&) = delete;

  uint32_t publish(const std::shared_ptr<Message>& message, bool variant) override;
  uint32_t request(const std::shared_ptr<Message>& message, uint64_t replyIndex, ReplyFunction* replyFunction,
                   uint32_t timeoutMs, bool variant) override;
  uint32_t subscribe(const std::wstring& name, Callback* callback) override;
  uint32_t subscribeFilter(const std::wstring& pattern, Callback* callback) override;
  uint32_t unsubscribe(uint32_t subscriptionId) override;
  uint32_t releaseReplyAdapter() override;

  // The library's delivery callback: context is the subscriber's Callback.
  // Builds the message, copies the delivered header in and answers the
  // subscriber's result.
  static uint32_t deliveryAdapter(void* context, const MessageHeader* header, const wchar_t* name,
                                  const wchar_t* sender, const wchar_t* payload);
  // The library's reply callback: context is the client's ReplyFunction. A
  // message is built only for status 0.
  static uint32_t replyAdapter(void* context, uint64_t replyIndex, const MessageHeader* header,
                               const wchar_t* name, const wchar_t* sender, const wchar_t* payload,
                               uint32_t status);

 private:
  void* handle_;
  const BusFunctions* functions_;
};

}  // namespace Ledra
