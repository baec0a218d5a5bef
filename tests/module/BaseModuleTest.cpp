// The base module's binding to the host and the bus, and the IoC container.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "bus/MessageBus.h"
#include "message/Message.h"
#include "module/BaseModule.h"
#include "tests/support/LogScope.h"

namespace {

using namespace Ledra;
using tarn_test::LogScope;

constexpr wchar_t kTag[] = L"BaseModule";

// Records every bus call it forwards to.
class RecordingBus : public MessageBus {
 public:
  std::vector<std::wstring> calls;
  unsigned long answer = 0;

  unsigned long publish(const std::shared_ptr<Message>& m) override {
    return note(L"publish " + m->getName());
  }
  unsigned long publishVariant(const std::shared_ptr<Message>& m) override {
    return note(L"publishVariant " + m->getName());
  }
  unsigned long request(const std::shared_ptr<Message>& m, ReplyCallback c, const Timeout& t) override {
    return note(L"request-callback " + m->getName() + L" " + std::to_wstring(t.count()) + (c ? L" cb" : L""));
  }
  unsigned long request(const std::shared_ptr<Message>& m, std::shared_ptr<Reply>&,
                        const Timeout& t) override {
    return note(L"request " + m->getName() + L" " + std::to_wstring(t.count()));
  }
  unsigned long requestVariant(const std::shared_ptr<Message>& m, ReplyCallback, const Timeout&) override {
    return note(L"requestVariant-callback " + m->getName());
  }
  unsigned long requestVariant(const std::shared_ptr<Message>& m, std::shared_ptr<Reply>&,
                               const Timeout&) override {
    return note(L"requestVariant " + m->getName());
  }
  unsigned long subscribe(const std::wstring& n, const std::wstring& a, Callback c) override {
    return note(L"subscribe " + n + L" " + a + (c ? L" cb" : L""));
  }
  unsigned long subscribe(const std::wstring& n, Callback) override { return note(L"subscribe " + n); }
  unsigned long subscribeInSession(const std::wstring& n, const std::wstring& a, Callback) override {
    return note(L"subscribeInSession " + n + L" " + a);
  }
  unsigned long subscribeInSession(const std::wstring& n, Callback) override {
    return note(L"subscribeInSession " + n);
  }
  unsigned long subscribeFilter(const std::wstring& n, const std::wstring& a, Callback) override {
    return note(L"subscribeFilter " + n + L" " + a);
  }
  unsigned long subscribeFilter(const std::wstring& n, Callback) override {
    return note(L"subscribeFilter " + n);
  }
  unsigned long subscribeFilterInSession(const std::wstring& n, const std::wstring& a, Callback) override {
    return note(L"subscribeFilterInSession " + n + L" " + a);
  }
  unsigned long subscribeFilterInSession(const std::wstring& n, Callback) override {
    return note(L"subscribeFilterInSession " + n);
  }
  unsigned long unsubscribe(const std::wstring& a) override { return note(L"unsubscribe " + a); }

 private:
  unsigned long note(const std::wstring& call) {
    calls.push_back(call);
    return answer;
  }
};

// Exposes the bus operations a module calls on itself.
class TestModule : public BaseModule {
 public:
  using BaseModule::BaseModule;
  using BaseModule::publish;
  using BaseModule::publishVariant;
  using BaseModule::request;
  using BaseModule::requestVariant;
  using BaseModule::subscribe;
  using BaseModule::subscribeFilter;
  using BaseModule::subscribeFilterInSession;
  using BaseModule::subscribeInSession;
  using BaseModule::unsubscribe;
};

struct Host {
  int unloads = 0;
  std::wstring lastName;
  uint32_t answer = 0;
  static uint32_t unload(void* context, const wchar_t* name, void*) {
    auto* host = static_cast<Host*>(context);
    ++host->unloads;
    host->lastName = name;
    return host->answer;
  }
  std::shared_ptr<internal::ModuleManagerShim> manager() {
    return std::make_shared<internal::ModuleManagerShim>(this, &Host::unload);
  }
};

TEST(BaseInitialize, RefusesAnEmptyManagerWithoutStoringTheBus) {
  const LogScope log;
  TestModule module(nullptr);
  auto bus = std::make_shared<RecordingBus>();
  EXPECT_EQ(MODULE_STATUS_INVALID_PARAMETER, module.baseInitialize(L"m", L"s", {}, nullptr, bus));
  EXPECT_EQ(0u, module.getContainer()->registrationCount<MessageBus>());
  EXPECT_EQ(L"m", module.getName()) << "names are kept before the checks";
  EXPECT_TRUE(log.has({L"Error", L"Invalid module manager object passed to base initialize.", kTag,
                       L"Ledra::BaseModule::baseInitialize", 45}));
}

TEST(BaseInitialize, RefusesAnEmptyBusButKeepsTheManager) {
  const LogScope log;
  TestModule module(nullptr);
  Host host;
  EXPECT_EQ(MODULE_STATUS_INVALID_PARAMETER, module.baseInitialize(L"m", L"s", {}, host.manager(), nullptr));
  EXPECT_TRUE(log.has({L"Error", L"Invalid message bus object passed to base initialize.", kTag,
                       L"Ledra::BaseModule::baseInitialize", 52}));
  EXPECT_EQ(0u, module.unload());
  EXPECT_EQ(1, host.unloads);
  EXPECT_EQ(L"m", host.lastName);
}

TEST(BaseInitialize, ReplacesTheBusRegistrationOnASecondCall) {
  auto container = std::make_shared<Basalt::IOCContainer>();
  TestModule module(container);
  Host host;
  auto first = std::make_shared<RecordingBus>();
  auto second = std::make_shared<RecordingBus>();
  ASSERT_EQ(0u, module.baseInitialize(L"m", L"s", {{L"k", L"v"}}, host.manager(), first));
  ASSERT_EQ(0u, module.baseInitialize(L"m", L"s", {}, host.manager(), second));
  EXPECT_EQ(1u, container->registrationCount<MessageBus>());
  EXPECT_EQ(second, container->resolve<MessageBus>());
  EXPECT_TRUE(module.getSettings().empty());
}

TEST(Unload, BeforeInitializationSucceedsWithoutAskingAnyone) {
  const LogScope log;
  TestModule module(nullptr);
  EXPECT_EQ(0u, module.unload());
  EXPECT_TRUE(log.has(
      {L"Error", L"Failed to unload module due to nullptr", kTag, L"Ledra::BaseModule::unload", 181}));
}

TEST(Unload, PassesOnTheHostsRefusal) {
  const LogScope log;
  TestModule module(nullptr);
  Host host;
  host.answer = MODULE_STATUS_NOT_SUPPORTED;
  ASSERT_EQ(0u, module.baseInitialize(L"fw", L"s", {}, host.manager(), std::make_shared<RecordingBus>()));
  EXPECT_EQ(MODULE_STATUS_NOT_SUPPORTED, module.unload());
  EXPECT_EQ(L"fw", host.lastName);
  EXPECT_TRUE(
      log.has({L"Error",
               L"Failed to unload module. Error code: " + std::to_wstring(MODULE_STATUS_NOT_SUPPORTED) + L".",
               kTag, L"Ledra::BaseModule::unload", 175}));
}

TEST(DirectMessage, NeedsTheBusClient) {
  const LogScope log;
  TestModule module(nullptr);
  EXPECT_EQ(MODULE_STATUS_INVALID_STATE, module.directMessage(Message::create(L"n", L"s", L"{}")));
  Host host;
  ASSERT_EQ(0u, module.baseInitialize(L"m", L"s", {}, host.manager(), std::make_shared<RecordingBus>()));
  EXPECT_EQ(MODULE_STATUS_INVALID_STATE, module.directMessage(Message::create(L"n", L"s", L"{}")));
  EXPECT_EQ(2u, log.count({L"Error", L"Failed to process direct message. Invalid message bus client.", kTag,
                           L"Ledra::BaseModule::directMessage", 212}));
}

TEST(BusForwarding, PassesEveryOperationAndItsResultThrough) {
  TestModule module(nullptr);
  Host host;
  auto bus = std::make_shared<RecordingBus>();
  bus->answer = 0x80000002;
  ASSERT_EQ(0u, module.baseInitialize(L"m", L"s", {}, host.manager(), bus));
  auto message = Message::create(L"Name", L"s", L"{}");
  std::shared_ptr<Reply> reply;
  const MessageBus::Timeout timeout(250);
  auto callback = [](std::shared_ptr<Message>) -> unsigned long { return 0; };
  const unsigned long results[] = {
      module.publish(message),
      module.publishVariant(message),
      module.request(
          message, [](std::shared_ptr<Reply>) {}, timeout),
      module.request(message, reply, timeout),
      module.requestVariant(
          message, [](std::shared_ptr<Reply>) {}, timeout),
      module.requestVariant(message, reply, timeout),
      module.subscribe(L"N", L"A", callback),
      module.subscribe(L"N", callback),
      module.subscribeInSession(L"N", L"A", callback),
      module.subscribeInSession(L"N", callback),
      module.subscribeFilter(L"R", L"A", callback),
      module.subscribeFilter(L"R", callback),
      module.subscribeFilterInSession(L"R", L"A", callback),
      module.subscribeFilterInSession(L"R", callback),
      module.unsubscribe(L"A"),
  };
  for (unsigned long result : results) EXPECT_EQ(0x80000002ul, result);
  const std::vector<std::wstring> expected = {L"publish Name",
                                              L"publishVariant Name",
                                              L"request-callback Name 250 cb",
                                              L"request Name 250",
                                              L"requestVariant-callback Name",
                                              L"requestVariant Name",
                                              L"subscribe N A cb",
                                              L"subscribe N",
                                              L"subscribeInSession N A",
                                              L"subscribeInSession N",
                                              L"subscribeFilter R A",
                                              L"subscribeFilter R",
                                              L"subscribeFilterInSession R A",
                                              L"subscribeFilterInSession R",
                                              L"unsubscribe A"};
  EXPECT_EQ(expected, bus->calls);
}

TEST(IOCContainer, ResolvesByTypeAndNameAndThrowsForAnythingElse) {
  Basalt::IOCContainer container;
  auto unnamed = std::make_shared<RecordingBus>();
  auto named = std::make_shared<RecordingBus>();
  container.registerInstance<MessageBus>(unnamed);
  container.registerInstance<MessageBus>(named, L"other");
  EXPECT_EQ(unnamed, container.resolve<MessageBus>());
  EXPECT_EQ(unnamed, container.resolve<MessageBus>(L"Unnamed registration"));
  EXPECT_EQ(named, container.resolve<MessageBus>(L"other"));
  EXPECT_THROW(container.resolve<MessageBus>(L"missing"), Basalt::IOCResolutionError);
  EXPECT_THROW(container.resolve<RecordingBus>(), Basalt::IOCResolutionError);
}

}  // namespace
