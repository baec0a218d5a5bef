// Stand-ins for the bus and the settings manager that the module core's tests
// drive directly: subscriptions are kept so the test can deliver messages, and
// everything published is recorded.
#pragma once

#include <chrono>
#include <condition_variable>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "bus/MessageBus.h"
#include "message/Message.h"
#include "settings/SettingsManager.h"

namespace tarn_test {

class FakeBus : public Ledra::MessageBus {
  using MessagePtr = std::shared_ptr<Ledra::Message>;
  using ReplyPtr = std::shared_ptr<Ledra::Reply>;
  using Name = std::wstring;
  static constexpr unsigned long kUnused = 0x80000004;

 public:
  struct Subscription {
    std::wstring name;
    bool inSession;
    Callback callback;
  };

  std::mutex mutex;
  std::condition_variable changed;
  std::vector<Subscription> subscriptions;
  std::vector<std::wstring> unsubscribed;
  std::vector<std::shared_ptr<Ledra::Message>> published;
  // Subscription number (1-based) that fails, 0 for none; aliases whose unsubscribe fails.
  size_t failSubscription = 0;
  std::map<std::wstring, unsigned long> failUnsubscribe;

  // Delivers a message to the callbacks subscribed to its name, as the bus would.
  void deliver(const std::shared_ptr<Ledra::Message>& message) {
    std::vector<Callback> targets;
    {
      std::lock_guard<std::mutex> lock(mutex);
      for (const auto& s : subscriptions)
        if (s.name == message->getName()) targets.push_back(s.callback);
    }
    for (const auto& callback : targets) callback(message);
  }

  // Waits until a message of this name has been published count times; answers the last.
  std::shared_ptr<Ledra::Message> waitForPublished(const std::wstring& name, size_t count = 1) {
    std::unique_lock<std::mutex> lock(mutex);
    std::shared_ptr<Ledra::Message> last;
    changed.wait_for(lock, std::chrono::seconds(20), [&] {
      size_t seen = 0;
      for (const auto& m : published)
        if (m->getName() == name && ++seen == count) last = m;
      return last != nullptr;
    });
    return last;
  }

  size_t publishedCount(const std::wstring& name) {
    std::lock_guard<std::mutex> lock(mutex);
    size_t seen = 0;
    for (const auto& m : published) seen += m->getName() == name ? 1 : 0;
    return seen;
  }

  unsigned long publish(const MessagePtr& message) override {
    std::lock_guard<std::mutex> lock(mutex);
    published.push_back(message);
    changed.notify_all();
    return 0;
  }
  unsigned long publishVariant(const MessagePtr& message) override { return publish(message); }
  // Requests and pattern subscriptions are not used by the module.
  unsigned long request(const MessagePtr&, ReplyCallback, const Timeout&) override { return kUnused; }
  unsigned long request(const MessagePtr&, ReplyPtr&, const Timeout&) override { return kUnused; }
  unsigned long requestVariant(const MessagePtr&, ReplyCallback, const Timeout&) override { return kUnused; }
  unsigned long requestVariant(const MessagePtr&, ReplyPtr&, const Timeout&) override { return kUnused; }
  unsigned long subscribe(const Name& n, const Name&, Callback c) override { return add(n, false, c); }
  unsigned long subscribe(const Name& n, Callback c) override { return add(n, false, c); }
  unsigned long subscribeInSession(const Name& n, const Name&, Callback c) override {
    return add(n, true, c);
  }
  unsigned long subscribeInSession(const Name& n, Callback c) override { return add(n, true, c); }
  unsigned long subscribeFilter(const Name&, const Name&, Callback) override { return kUnused; }
  unsigned long subscribeFilter(const Name&, Callback) override { return kUnused; }
  unsigned long subscribeFilterInSession(const Name&, const Name&, Callback) override { return kUnused; }
  unsigned long subscribeFilterInSession(const Name&, Callback) override { return kUnused; }
  unsigned long unsubscribe(const std::wstring& alias) override {
    std::lock_guard<std::mutex> lock(mutex);
    unsubscribed.push_back(alias);
    const auto failure = failUnsubscribe.find(alias);
    return failure == failUnsubscribe.end() ? 0 : failure->second;
  }

 private:
  unsigned long add(const std::wstring& name, bool inSession, Callback callback) {
    std::lock_guard<std::mutex> lock(mutex);
    if (failSubscription != 0 && subscriptions.size() + 1 == failSubscription) return 0x80000002;
    subscriptions.push_back({name, inSession, std::move(callback)});
    return 0;
  }
};

// A settings manager holding one property text; only what the module uses answers.
class FakeSettingsManager : public Ledra::SettingsManager {
  using Names = std::vector<std::wstring>;

 public:
  std::mutex mutex;
  bool hasValue = true;
  std::wstring value = L"{\"ignore_firewall\":false}";
  bool acceptWatch = true;
  NameCallback watcher;
  std::wstring watchedName;
  int reads = 0;
  std::function<void()> duringRead;  // runs on the reading thread, before the value is read

  void setValue(const std::wstring& text) {
    std::lock_guard<std::mutex> lock(mutex);
    value = text;
    hasValue = true;
  }

  bool getProperty(const std::wstring&, std::wstring& out, const Timeout&) override {
    if (duringRead) duringRead();
    std::lock_guard<std::mutex> lock(mutex);
    ++reads;
    if (!hasValue) return false;
    out = value;
    return true;
  }
  bool subscribePropertySet(NameCallback callback, const std::wstring& name) override {
    if (!acceptWatch) return false;
    watcher = std::move(callback);
    watchedName = name;
    return true;
  }

#define TARN_UNUSED_SET(T)                                                            \
  bool setProperty(const std::wstring&, T, const Timeout&) override { return false; } \
  bool setVolatileProperty(const std::wstring&, T, const Timeout&) override { return false; }
  TARN_UNUSED_SET(double)
  TARN_UNUSED_SET(unsigned int)
  TARN_UNUSED_SET(unsigned long long)
  TARN_UNUSED_SET(unsigned long)
  TARN_UNUSED_SET(long long)
  TARN_UNUSED_SET(int)
  TARN_UNUSED_SET(bool)
  TARN_UNUSED_SET(const wchar_t*)
  TARN_UNUSED_SET(const std::wstring&)
#undef TARN_UNUSED_SET
#define TARN_UNUSED_GET(T) \
  bool getProperty(const std::wstring&, T&, const Timeout&) override { return false; }
  TARN_UNUSED_GET(double)
  TARN_UNUSED_GET(unsigned int)
  TARN_UNUSED_GET(unsigned long long)
  TARN_UNUSED_GET(unsigned long)
  TARN_UNUSED_GET(long long)
  TARN_UNUSED_GET(int)
  TARN_UNUSED_GET(bool)
#undef TARN_UNUSED_GET
  ResultMap setProperties(const NameValuePairs&, const Timeout&) override { return {}; }
  ResultMap setVolatileProperties(const NameValuePairs&, const Timeout&) override { return {}; }
  ResultMap getProperties(const Names&, PropertyMap&, const Timeout&) override { return {}; }
  bool getPropertiesByPrefix(const Names&, PropertyMap&, const Timeout&) override { return false; }
  bool getPropertiesByPrefix(const std::wstring&, PropertyMap&, const Timeout&) override { return false; }
  bool removeProperty(const std::wstring&, const Timeout&) override { return false; }
  ResultMap removeProperties(const Names&, const Timeout&) override { return {}; }
  ResultMap removePropertiesByPrefix(const Names&, const Timeout&) override { return {}; }
  bool removePropertiesByPrefix(const std::wstring&, const Timeout&) override { return false; }
  bool subscribePropertySet(NameCallback) override { return false; }
  bool unsubscribePropertySet() override {
    std::lock_guard<std::mutex> lock(mutex);
    watchEnded = true;
    return true;
  }
  std::atomic<bool> watchEnded{false};
  bool subscribeNotifySet(NameValueCallback, const std::wstring&) override { return false; }
  bool unsubscribeNotifySet(const std::wstring&) override { return false; }
  bool subscribeNotifyDelete(NameCallback, const std::wstring&) override { return false; }
  bool unsubscribeNotifyDelete(const std::wstring&) override { return false; }
  bool subscribePropertyRemoved(NameCallback, const std::wstring&) override { return false; }
  bool subscribePropertyRemoved(NameCallback) override { return false; }
};

}  // namespace tarn_test
