#include "bus/MessageBusShimImpl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "include/ModuleStatus.h"
#include "message/Message.h"
#include "include/ModuleException.h"

namespace Ledra {
namespace {

// A bus library table whose entries record which slot was called with what.
struct Recorder {
  std::vector<int> slots;
  void* handle = nullptr;
  const MessageHeader* header = nullptr;
  std::wstring text;
  uint64_t index = 0;
  void* context = nullptr;
  uint32_t timeout = 0;
  BusReplyAdapter replyAdapter = nullptr;
  BusDeliveryAdapter deliveryAdapter = nullptr;
};
Recorder recorder;

template <int Slot>
uint32_t publishEntry(void* handle, const MessageHeader* header, const wchar_t* name, const wchar_t*,
                      const wchar_t*) {
  recorder.slots.push_back(Slot);
  recorder.handle = handle;
  recorder.header = header;
  recorder.text = name;
  return 0;
}
template <int Slot>
uint32_t requestEntry(void* handle, uint64_t index, void* context, BusReplyAdapter adapter,
                      const MessageHeader* header, const wchar_t* name, const wchar_t*, const wchar_t*,
                      uint32_t timeout) {
  recorder.slots.push_back(Slot);
  recorder.handle = handle;
  recorder.index = index;
  recorder.context = context;
  recorder.replyAdapter = adapter;
  recorder.header = header;
  recorder.text = name;
  recorder.timeout = timeout;
  return 0;
}
template <int Slot>
uint32_t subscribeEntry(void* handle, void* context, BusDeliveryAdapter adapter, const wchar_t* name) {
  recorder.slots.push_back(Slot);
  recorder.handle = handle;
  recorder.context = context;
  recorder.deliveryAdapter = adapter;
  recorder.text = name;
  return 40 + Slot;
}
uint32_t unsubscribeEntry(void* handle, uint32_t id) {
  recorder.slots.push_back(6);
  recorder.handle = handle;
  recorder.index = id;
  return 0;
}
uint32_t releaseReplyAdapterEntry(void* handle, BusReplyAdapter adapter) {
  recorder.slots.push_back(7);
  recorder.handle = handle;
  recorder.replyAdapter = adapter;
  return 0;
}

const BusFunctions kTable = {nullptr,
                             nullptr,
                             &publishEntry<2>,
                             &requestEntry<3>,
                             &subscribeEntry<4>,
                             &subscribeEntry<5>,
                             &unsubscribeEntry,
                             &releaseReplyAdapterEntry,
                             &publishEntry<8>,
                             &requestEntry<9>};
int busHandle;

class ShimTest : public ::testing::Test {
 protected:
  void SetUp() override { recorder = Recorder(); }
};

TEST_F(ShimTest, NullHandleOrTableIsRefused) {
  EXPECT_THROW(MessageBusShimImpl(nullptr, &kTable), ModuleException);
  EXPECT_THROW(MessageBusShimImpl(&busHandle, nullptr), ModuleException);
  EXPECT_TRUE(recorder.slots.empty());
}

TEST_F(ShimTest, EachOperationCallsItsEntryWithTheHandleFirst) {
  auto message = Message::create(L"Core.Q", L"me", L"{}");
  MessageBusShim::ReplyFunction replyFunction;
  MessageBusShim::Callback callback;
  {
    MessageBusShimImpl shim(&busHandle, &kTable);
    EXPECT_EQ(0u, shim.publish(message, false));
    EXPECT_EQ(message->getHeader(), recorder.header);
    EXPECT_EQ(L"Core.Q", recorder.text);
    EXPECT_EQ(0u, shim.publish(message, true));

    EXPECT_EQ(0u, shim.request(message, 77, &replyFunction, 1500, false));
    EXPECT_EQ(77u, recorder.index);
    EXPECT_EQ(&replyFunction, recorder.context);
    EXPECT_EQ(&MessageBusShimImpl::replyAdapter, recorder.replyAdapter);
    EXPECT_EQ(1500u, recorder.timeout);
    EXPECT_EQ(0u, shim.request(message, 78, &replyFunction, 1500, true));

    EXPECT_EQ(44u, shim.subscribe(L"Core.Q", &callback));
    EXPECT_EQ(&callback, recorder.context);
    EXPECT_EQ(&MessageBusShimImpl::deliveryAdapter, recorder.deliveryAdapter);
    EXPECT_EQ(45u, shim.subscribeFilter(L"Core\\..*", &callback));
    EXPECT_EQ(L"Core\\..*", recorder.text);
    shim.unsubscribe(44);
    EXPECT_EQ(44u, recorder.index);
    EXPECT_EQ(&busHandle, recorder.handle);
  }
  // Destruction tells the library to stop calling the reply adapter.
  EXPECT_EQ((std::vector<int>{2, 8, 3, 9, 4, 5, 6, 7}), recorder.slots);
  EXPECT_EQ(&MessageBusShimImpl::replyAdapter, recorder.replyAdapter);
}

TEST_F(ShimTest, DeliveryBuildsTheMessageAndUpgradesAVersion1Header) {
  MessageHeader delivered = Message::defaultHeader(200);
  delivered.version = 1;
  delivered.flags = kMessageFlagExpectsReply;
  delivered.originCookie[0] = 9;
  delivered.sessionId = 0xDEAD;  // beyond the 100 bytes of a version-1 header
  std::shared_ptr<Message> received;
  MessageBusShim::Callback callback = [&](std::shared_ptr<Message> message) -> unsigned long {
    received = message;
    return 42;
  };
  EXPECT_EQ(42u, MessageBusShimImpl::deliveryAdapter(&callback, &delivered, L"Core.N", L"bus", L"{\"a\":1}"));
  ASSERT_NE(nullptr, received);
  EXPECT_EQ(L"Core.N", received->getName());
  EXPECT_EQ(L"bus", received->getSender());
  EXPECT_EQ(L"{\"a\":1}", received->getPayload());
  const MessageHeader* header = received->getHeader();
  EXPECT_EQ(kMessageHeaderVersion, header->version);
  EXPECT_EQ(kMessageFlagExpectsReply, header->flags);
  EXPECT_EQ(9, header->originCookie[0]);
  EXPECT_EQ(208u, header->totalLength);
  EXPECT_EQ(0u, header->sessionId);
}

TEST_F(ShimTest, ReplyAdapterBuildsAMessageOnlyForSuccess) {
  MessageHeader delivered = Message::defaultHeader(150);
  struct Call {
    uint64_t index;
    std::shared_ptr<Message> message;
    unsigned long status;
  };
  std::vector<Call> calls;
  MessageBusShim::ReplyFunction replyFunction = [&](uint64_t index, const std::shared_ptr<Message>& message,
                                                    unsigned long status) -> unsigned long {
    calls.push_back({index, message, status});
    return 7;
  };
  EXPECT_EQ(7u, MessageBusShimImpl::replyAdapter(&replyFunction, 3, &delivered, L"R", L"s", L"p", 0));
  EXPECT_EQ(7u, MessageBusShimImpl::replyAdapter(&replyFunction, 4, nullptr, nullptr, nullptr, nullptr,
                                                 MODULE_STATUS_TIMEOUT));
  ASSERT_EQ(2u, calls.size());
  EXPECT_EQ(3u, calls[0].index);
  ASSERT_NE(nullptr, calls[0].message);
  EXPECT_EQ(L"R", calls[0].message->getName());
  EXPECT_EQ(4u, calls[1].index);
  EXPECT_EQ(nullptr, calls[1].message);
  EXPECT_EQ(MODULE_STATUS_TIMEOUT, calls[1].status);
}

}  // namespace
}  // namespace Ledra
