// The firewall module core: subscriptions, the work queue and its worker, the
// state handlers, the ignore-firewall property and the unload watchdog.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "firewall/TarnModuleImpl.h"
#include "message/Message.h"
#include "tests/firewall/FakeComponent.h"
#include "tests/firewall/FakeServices.h"
#include "tests/support/RequestTable.h"

namespace {

using namespace Ledra;
using tarn_test::FakeBus;
using tarn_test::FakeCreator;
using tarn_test::FakeFirewall;
using tarn_test::FakeSettingsManager;

constexpr auto kDeadline = std::chrono::seconds(20);

struct Host {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<DWORD> unloadThreads;
  std::chrono::steady_clock::time_point lastUnload;
  uint32_t answer = 0;
  static uint32_t unload(void* context, const wchar_t*, void*) {
    auto* host = static_cast<Host*>(context);
    std::lock_guard<std::mutex> lock(host->mutex);
    host->unloadThreads.push_back(GetCurrentThreadId());
    host->lastUnload = std::chrono::steady_clock::now();
    host->changed.notify_all();
    return host->answer;
  }
  size_t waitForUnloads(size_t count, std::chrono::milliseconds within = kDeadline) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait_for(lock, within, [&] { return unloadThreads.size() >= count; });
    return unloadThreads.size();
  }
};

std::shared_ptr<Message> message(const std::wstring& name, const std::wstring& payload,
                                 bool expectsReply = false) {
  auto m = Message::create(name, L"ui", payload);
  if (expectsReply) m->getHeader()->flags |= kMessageFlagExpectsReply;
  return m;
}

class ModuleCore : public ::testing::Test {
 protected:
  FakeFirewall firewall;
  std::shared_ptr<FakeCreator> creator = std::make_shared<FakeCreator>(firewall);
  std::shared_ptr<FakeBus> bus = std::make_shared<FakeBus>();
  std::shared_ptr<FakeSettingsManager> settings = std::make_shared<FakeSettingsManager>();
  std::shared_ptr<Basalt::IOCContainer> container = std::make_shared<Basalt::IOCContainer>();
  Host host;
  std::unique_ptr<TarnModuleImpl> module;

  void SetUp() override { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
  void TearDown() override {
    if (module) {
      module->stop();
      module.reset();
    }
    CoUninitialize();
  }

  // Builds the module as NewModule and the initialize entries would.
  ModuleStatus create(ModuleSettings moduleSettings = {}, bool registerSettings = true) {
    if (registerSettings) container->registerInstance<SettingsManager>(settings);
    module = std::make_unique<TarnModuleImpl>(container, creator);
    const auto manager = std::make_shared<internal::ModuleManagerShim>(&host, &Host::unload);
    const ModuleStatus status = module->baseInitialize(L"Tarn", L"second", moduleSettings, manager, bus);
    return status != 0 ? status : module->initialize();
  }
};

TEST_F(ModuleCore, SubscribesEveryRequestOnceWithItsSessionKindAndUnsubscribesThemAll) {
  ASSERT_EQ(0u, create());
  std::map<std::wstring, bool> expected;  // name -> subscribed in session
  for (const auto& row : tarn_test::kRequests) expected[row.name] = !row.plain;
  std::map<std::wstring, bool> subscribed;
  for (const auto& s : bus->subscriptions) {
    EXPECT_TRUE(subscribed.emplace(s.name, s.inSession).second) << "subscribed twice";
  }
  EXPECT_EQ(expected, subscribed);

  EXPECT_EQ(0u, module->uninitialize());
  std::set<std::wstring> names, dropped(bus->unsubscribed.begin(), bus->unsubscribed.end());
  for (const auto& entry : expected) names.insert(entry.first);
  EXPECT_EQ(names, dropped);
}

TEST_F(ModuleCore, InitializeStopsAtTheFirstFailedSubscriptionWithTheWorkerRunning) {
  bus->failSubscription = 3;
  EXPECT_EQ(0x80000002u, create());
  ASSERT_EQ(2u, bus->subscriptions.size());
  // The worker runs: a request queued through a subscription that did succeed is answered.
  module->callback_enqueue_message(message(L"Core.Firewall.RefreshState", L""));
  EXPECT_NE(nullptr, bus->waitForPublished(L"Core.Firewall.State"));
}

TEST_F(ModuleCore, UninitializeTriesEveryNameAndAnswersTheLastFailure) {
  ASSERT_EQ(0u, create());
  bus->failUnsubscribe[L"Core.Firewall.RefreshState"] = 0x80000002;
  bus->failUnsubscribe[L"Core.Firewall.HIPS.State"] = 0x8000000A;
  const ModuleStatus status = module->uninitialize();
  EXPECT_EQ(std::size(tarn_test::kRequests), bus->unsubscribed.size());
  // The last failure in the table's own order wins.
  std::wstring lastFailed;
  for (const auto& alias : bus->unsubscribed)
    if (bus->failUnsubscribe.count(alias)) lastFailed = alias;
  EXPECT_EQ(bus->failUnsubscribe[lastFailed], status);
}

TEST_F(ModuleCore, ChangeStateSwitchesTheFirewallAndPublishesTheStateToEveryone) {
  ASSERT_EQ(0u, create());
  bus->deliver(message(L"Core.Firewall.ChangeState", L"{\"state\":\"off\"}", true));
  const auto state = bus->waitForPublished(L"Core.Firewall.State");
  ASSERT_NE(nullptr, state);
  EXPECT_EQ(L"{\"state\":\"off\",\"off_by_user\":false,\"error\":false}", state->getPayload());
  EXPECT_EQ(0u, state->getHeader()->flags & kMessageFlagReply) << "sent as a reply";
  EXPECT_EQ(L"Tarn", state->getSender());
  EXPECT_EQ(std::vector<std::wstring>{L"Disable"}, firewall.takeCalls());
}

TEST_F(ModuleCore, ChangeStateRefusesPayloadsItCannotRead) {
  ASSERT_EQ(0u, create());
  struct Case {
    const wchar_t* payload;
    ModuleStatus status;
  };
  const Case cases[] = {
      {L"not json", MODULE_STATUS_DATA_ERROR},         {L"{}", MODULE_STATUS_DATA_ERROR},
      {L"{\"state\":1}", MODULE_STATUS_DATA_ERROR},    {L"{\"state\":\"On\"}", MODULE_STATUS_DATA_ERROR},
      {L"{\"state\":\"\"}", MODULE_STATUS_DATA_ERROR}, {L"[\"on\"]", MODULE_STATUS_DATA_ERROR},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.status, module->change_state(message(L"Core.Firewall.ChangeState", c.payload)));
  }
  EXPECT_TRUE(firewall.takeCalls().empty());
  EXPECT_EQ(0u, bus->publishedCount(L"Core.Firewall.State"));
}

TEST_F(ModuleCore, ChangeStatePassesOnAFailedSwitchWithoutPublishing) {
  ASSERT_EQ(0u, create());
  firewall.switchResult = E_FAIL;
  EXPECT_EQ(0x80000002u, module->change_state(message(L"Core.Firewall.ChangeState", L"{\"state\":\"on\"}")));
  EXPECT_EQ(0u, bus->publishedCount(L"Core.Firewall.State"));
}

TEST_F(ModuleCore, RefreshAnswersARequestAsAReplyAndBothNamesGiveTheSameState) {
  ASSERT_EQ(0u, create());
  bus->deliver(message(L"Core.Firewall.RefreshState", L"", true));
  const auto reply = bus->waitForPublished(L"Core.Firewall.State");
  ASSERT_NE(nullptr, reply);
  EXPECT_NE(0u, reply->getHeader()->flags & kMessageFlagReply);
  bus->deliver(message(L"Core.Firewall.ProtectionStatusChange", L"not even json"));
  const auto plain = bus->waitForPublished(L"Core.Firewall.State", 2);
  ASSERT_NE(nullptr, plain);
  EXPECT_EQ(0u, plain->getHeader()->flags & kMessageFlagReply);
  EXPECT_EQ(L"{\"state\":\"on\",\"off_by_user\":false,\"error\":false}", reply->getPayload());
  EXPECT_EQ(reply->getPayload(), plain->getPayload());
}

TEST_F(ModuleCore, HipsStateAnswersExactlyOneOfTwoTexts) {
  ASSERT_EQ(0u, create());
  firewall.hipsEnabled = true;
  bus->deliver(message(L"Core.Firewall.HIPS.State", L"", true));
  const auto on = bus->waitForPublished(L"HIPS.STATUS");
  ASSERT_NE(nullptr, on);
  {
    std::lock_guard<std::mutex> lock(firewall.mutex);
    firewall.hipsEnabled = false;
  }
  bus->deliver(message(L"Core.Firewall.HIPS.State", L""));
  const auto off = bus->waitForPublished(L"HIPS.STATUS", 2);
  ASSERT_NE(nullptr, off);
  EXPECT_EQ(L"{\"hips.enabled\":true}", on->getPayload());
  EXPECT_NE(0u, on->getHeader()->flags & kMessageFlagReply);
  EXPECT_EQ(L"{\"hips.enabled\":false}", off->getPayload());
}

TEST_F(ModuleCore, SetStateNeedsAReenableTimeOnlyWhenSwitchingOff) {
  ASSERT_EQ(0u, create());
  bus->deliver(message(L"Core.Firewall.SetState", L"{\"state\":\"off\"}"));
  bus->deliver(message(L"Core.Firewall.SetState", L"{\"state\":\"off\",\"reenable\":15}"));
  bus->deliver(message(L"Core.Firewall.SetState", L"{\"state\":\"on\"}"));
  bus->deliver(message(L"Core.Firewall.ChangeState", L"{\"state\":\"on\"}"));  // marks the end
  ASSERT_NE(nullptr, bus->waitForPublished(L"Core.Firewall.State"));
  const std::vector<std::wstring> expected = {L"SetFirewallState 11:0 3:15", L"SetFirewallState 11:-1 3:-1",
                                              L"Enable"};
  EXPECT_EQ(expected, firewall.takeCalls());
  EXPECT_EQ(MODULE_STATUS_DATA_ERROR, module->set_state(message(L"Core.Firewall.SetState", L"{")));
  EXPECT_EQ(MODULE_STATUS_INVALID_PARAMETER, module->set_state(message(L"Core.Firewall.SetState", L"{}")));
}

TEST_F(ModuleCore, HandlesMessagesOneAtATimeInArrivalOrderAndSkipsUnknownNames) {
  ASSERT_EQ(0u, create());
  std::mutex gate;
  std::condition_variable opened;
  bool open = false, entered = false;
  firewall.onSwitch = [&] {
    std::unique_lock<std::mutex> lock(gate);
    if (!entered) {
      entered = true;
      opened.notify_all();
      opened.wait_for(lock, kDeadline, [&] { return open; });
    }
  };
  module->callback_enqueue_message(message(L"Core.Firewall.ChangeState", L"{\"state\":\"off\"}"));
  {
    std::unique_lock<std::mutex> lock(gate);
    ASSERT_TRUE(opened.wait_for(lock, kDeadline, [&] { return entered; }));
  }
  module->callback_enqueue_message(message(L"Core.Firewall.NoSuchRequest", L"{}"));
  module->callback_enqueue_message(message(L"Core.Firewall.ChangeState", L"{\"state\":\"on\"}"));
  EXPECT_EQ(std::vector<std::wstring>{L"Disable"}, firewall.takeCalls()) << "ran beside the first handler";
  {
    std::lock_guard<std::mutex> lock(gate);
    open = true;
  }
  opened.notify_all();
  const auto second = bus->waitForPublished(L"Core.Firewall.State", 2);
  ASSERT_NE(nullptr, second);
  EXPECT_EQ(L"{\"state\":\"on\",\"off_by_user\":false,\"error\":false}", second->getPayload());
  EXPECT_EQ(std::vector<std::wstring>{L"Enable"}, firewall.takeCalls());
}

TEST_F(ModuleCore, DestructionHandlesEveryQueuedMessageFirst) {
  ASSERT_EQ(0u, create());
  for (int i = 0; i < 50; ++i) {
    module->callback_enqueue_message(
        message(L"Core.Firewall.ChangeState", i % 2 ? L"{\"state\":\"on\"}" : L"{\"state\":\"off\"}"));
  }
  module->stop();
  module.reset();
  EXPECT_EQ(50u, firewall.takeCalls().size());
  EXPECT_EQ(50u, bus->publishedCount(L"Core.Firewall.State"));
}

TEST_F(ModuleCore, AMessageDeliveredOnceDestructionHasBegunIsNeverHandled) {
  // Destruction ends the property watch after the module stops taking messages:
  // a delivery that comes in at that point is accepted and dropped.
  struct LateDelivery : FakeSettingsManager {
    std::function<void()> whenUnwatched;
    bool unsubscribePropertySet() override {
      if (whenUnwatched) whenUnwatched();
      return FakeSettingsManager::unsubscribePropertySet();
    }
  };
  const auto late = std::make_shared<LateDelivery>();
  container->registerInstance<SettingsManager>(late);
  ASSERT_EQ(0u, create({}, false));
  ASSERT_EQ(0u, module->start());
  TarnModuleImpl* raw = module.get();
  late->whenUnwatched = [raw] {
    EXPECT_EQ(0u,
              raw->callback_enqueue_message(message(L"Core.Firewall.ChangeState", L"{\"state\":\"off\"}")));
  };
  module.reset();
  EXPECT_TRUE(late->watchEnded);
  EXPECT_EQ(std::vector<std::wstring>{}, firewall.takeCalls());
}

TEST_F(ModuleCore, AWorkerWithoutTheSettingsObjectAsksToBeUnloadedAndNeverBlocksDestruction) {
  creator->refuseSettings = REGDB_E_CLASSNOTREG;
  ASSERT_EQ(0u, create());
  ASSERT_EQ(1u, host.waitForUnloads(1));
  EXPECT_NE(GetCurrentThreadId(), host.unloadThreads[0]);
  module->callback_enqueue_message(message(L"Core.Firewall.RefreshState", L""));
  module->callback_enqueue_message(message(L"Core.Firewall.RefreshState", L""));
  module.reset();  // must return although nothing will ever handle the two messages
  EXPECT_EQ(0u, bus->publishedCount(L"Core.Firewall.State"));
  EXPECT_EQ(1u, host.unloadThreads.size());
}

TEST_F(ModuleCore, DestroyingAModuleThatNeverStartedItsWorkerReturns) {
  module = std::make_unique<TarnModuleImpl>(container, creator);
  module->callback_enqueue_message(message(L"Core.Firewall.RefreshState", L""));
  module.reset();
  EXPECT_EQ(0u, bus->publishedCount(L"Core.Firewall.State"));
}

TEST_F(ModuleCore, StartWithoutASettingsManagerFails) {
  ASSERT_EQ(0u, create({}, false));
  EXPECT_EQ(0x80000002u, module->start());
}

TEST_F(ModuleCore, StartFailsWhenThePropertyCannotBeWatchedButNotWhenItCannotBeRead) {
  settings->acceptWatch = false;
  ASSERT_EQ(0u, create());
  EXPECT_EQ(0x80000002u, module->start());
  settings->acceptWatch = true;
  settings->hasValue = false;
  EXPECT_EQ(0u, module->start());
  EXPECT_EQ(L"Core.Protection.IgnoreFirewall", settings->watchedName);
}

TEST_F(ModuleCore, IgnoreFirewallPropertyShowsAsOffByUserInTheNextState) {
  settings->setValue(L"{\"ignore_firewall\":true}");
  ASSERT_EQ(0u, create());
  ASSERT_EQ(0u, module->start());
  const auto refresh = bus->waitForPublished(L"Core.Firewall.RefreshState");
  ASSERT_NE(nullptr, refresh);
  EXPECT_EQ(L"", refresh->getPayload());
  EXPECT_EQ(0u, refresh->getHeader()->flags & kMessageFlagReply);
  bus->deliver(refresh);  // the module hears its own request
  const auto state = bus->waitForPublished(L"Core.Firewall.State");
  ASSERT_NE(nullptr, state);
  EXPECT_EQ(L"{\"state\":\"on\",\"off_by_user\":true,\"error\":false}", state->getPayload());

  // A change notification re-reads the property.
  settings->setValue(L"{\"ignore_firewall\":false}");
  settings->watcher(L"Core.Protection.IgnoreFirewall");
  bus->deliver(bus->waitForPublished(L"Core.Firewall.RefreshState", 2));
  const auto after = bus->waitForPublished(L"Core.Firewall.State", 2);
  ASSERT_NE(nullptr, after);
  EXPECT_EQ(L"{\"state\":\"on\",\"off_by_user\":false,\"error\":false}", after->getPayload());
}

TEST_F(ModuleCore, NotificationInsideThePropertyWatchDelaysDestructionAndLaterOnesNeverReachTheModule) {
  ASSERT_EQ(0u, create());
  ASSERT_EQ(0u, module->start());
  // A delivery already under way keeps the callback the module handed over.
  const SettingsManager::NameCallback watch = settings->watcher;
  ASSERT_TRUE(watch);
  std::mutex gate;
  std::condition_variable changed;
  bool inside = false, released = false, destroyed = false, destroyedWhileInside = true;
  settings->duringRead = [&] {
    std::unique_lock<std::mutex> lock(gate);
    inside = true;
    changed.notify_all();
    changed.wait_for(lock, kDeadline, [&] { return released; });
    destroyedWhileInside = destroyed;
  };
  std::thread notification([&] { watch(L"Core.Protection.IgnoreFirewall"); });
  {
    std::unique_lock<std::mutex> lock(gate);
    ASSERT_TRUE(changed.wait_for(lock, kDeadline, [&] { return inside; }));
  }
  std::thread host([&] {
    module->stop();
    module->uninitialize();
    module.reset();
    std::lock_guard<std::mutex> lock(gate);
    destroyed = true;
  });
  // Destruction has begun: the watch is removed before anything else is torn down.
  const auto until = std::chrono::steady_clock::now() + kDeadline;
  while (!settings->watchEnded && std::chrono::steady_clock::now() < until) std::this_thread::yield();
  EXPECT_TRUE(settings->watchEnded);
  {
    std::lock_guard<std::mutex> lock(gate);
    released = true;
  }
  changed.notify_all();
  notification.join();
  host.join();
  EXPECT_FALSE(destroyedWhileInside) << "the module was destroyed under a running notification";

  // A notification that comes after the module is gone never reaches it.
  settings->duringRead = nullptr;
  const int readsBefore = settings->reads;
  watch(L"Core.Protection.IgnoreFirewall");
  EXPECT_EQ(readsBefore, settings->reads);
}

TEST_F(ModuleCore, UnreadablePropertyValuesKeepTheFlagAndPublishNothing) {
  ASSERT_EQ(0u, create());
  struct Case {
    const wchar_t* value;
    ModuleStatus status;
  };
  const Case cases[] = {
      {L"not json", 0x80000002}, {L"{\"ignore_firewall\":1}", 0x80000008}, {L"{}", 0x80000008}};
  ASSERT_EQ(0u, module->start());
  const size_t before = bus->publishedCount(L"Core.Firewall.RefreshState");
  for (const Case& c : cases) {
    settings->setValue(c.value);
    EXPECT_EQ(c.status, module->onPropertyIgnoreFirewallAlert(L"Core.Protection.IgnoreFirewall", false));
  }
  EXPECT_EQ(before, bus->publishedCount(L"Core.Firewall.RefreshState"));
}

TEST_F(ModuleCore, WatchdogUnloadsOnceAfterIdlenessOnItsOwnThreadMovedByALaterMessage) {
  constexpr std::chrono::milliseconds kIdle(2000);
  ASSERT_EQ(0u, create({{L"Tarn.IdleUnloadMilliseconds", L"2000"}}));
  bus->deliver(message(L"Core.Firewall.RefreshState", L""));
  ASSERT_NE(nullptr, bus->waitForPublished(L"Core.Firewall.State"));
  // Part of the idle time passes before the second message, which must push the
  // unload back to a whole idle time after itself.
  EXPECT_EQ(0u, host.waitForUnloads(1, std::chrono::milliseconds(300)));
  const auto secondSent = std::chrono::steady_clock::now();
  bus->deliver(message(L"Core.Firewall.RefreshState", L""));
  ASSERT_NE(nullptr, bus->waitForPublished(L"Core.Firewall.State", 2));
  ASSERT_EQ(1u, host.waitForUnloads(1));
  {
    std::lock_guard<std::mutex> lock(host.mutex);
    EXPECT_NE(GetCurrentThreadId(), host.unloadThreads[0]);
    EXPECT_GE(host.lastUnload - secondSent, kIdle) << "the second message did not move the deadline";
  }
  // Idle again, nothing re-armed it: no second unload.
  module->stop();
  EXPECT_EQ(1u, host.unloadThreads.size());
}

TEST_F(ModuleCore, StopDuringTheWaitEndsTheWatchdogWithoutUnloading) {
  ASSERT_EQ(0u, create({{L"Tarn.IdleUnloadMilliseconds", L"600000"}}));
  bus->deliver(message(L"Core.Firewall.RefreshState", L""));
  ASSERT_NE(nullptr, bus->waitForPublished(L"Core.Firewall.State"));
  EXPECT_EQ(0u, module->stop());
  // After stop, handled messages do not restart it.
  bus->deliver(message(L"Core.Firewall.RefreshState", L""));
  ASSERT_NE(nullptr, bus->waitForPublished(L"Core.Firewall.State", 2));
  module.reset();
  EXPECT_TRUE(host.unloadThreads.empty());
}

TEST_F(ModuleCore, AcceptedMessagesFromManyThreadsAreHandledInOrderThroughStopAndDestruction) {
  ASSERT_EQ(0u, create());
  // Hold the worker inside a first handler so that destruction begins while
  // the publishers are still enqueuing, and cannot end before they are done.
  std::mutex gate;
  std::condition_variable opened;
  bool open = false, entered = false;
  firewall.onSwitch = [&] {
    std::unique_lock<std::mutex> lock(gate);
    entered = true;
    opened.notify_all();
    opened.wait_for(lock, kDeadline, [&] { return open; });
  };
  TarnModuleImpl* raw = module.get();
  raw->callback_enqueue_message(message(L"Core.Firewall.ChangeState", L"{\"state\":\"on\"}"));
  {
    std::unique_lock<std::mutex> lock(gate);
    ASSERT_TRUE(opened.wait_for(lock, kDeadline, [&] { return entered; }));
  }
  constexpr int kThreads = 4, kPerThread = 300;
  std::vector<std::thread> publishers;
  for (int t = 0; t < kThreads; ++t) {
    publishers.emplace_back([raw, t] {
      for (int i = 0; i < kPerThread; ++i) {
        const std::wstring payload =
            L"{\"state\":\"off\",\"reenable\":" + std::to_wstring(t * 100000 + i) + L"}";
        EXPECT_EQ(0u, raw->callback_enqueue_message(message(L"Core.Firewall.SetState", payload)));
      }
    });
  }
  raw->stop();
  std::thread destroyer([&] { module.reset(); });
  for (auto& p : publishers) p.join();
  {
    std::lock_guard<std::mutex> lock(gate);
    open = true;
  }
  opened.notify_all();
  destroyer.join();
  // Each thread's handled messages are a gap-free prefix of what it sent, in order.
  std::vector<int> next(kThreads, 0);
  for (const auto& call : firewall.takeCalls()) {
    if (call.rfind(L"SetFirewallState", 0) != 0) continue;
    const int value = std::stoi(call.substr(call.rfind(L':') + 1));
    const int thread = value / 100000, sequence = value % 100000;
    ASSERT_EQ(next[thread], sequence) << "thread " << thread;
    ++next[thread];
  }
}

}  // namespace
