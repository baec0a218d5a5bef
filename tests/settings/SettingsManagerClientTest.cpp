// The settings client against a fake bus: request shapes, text conversions,
// reply checks, list and prefix maps, notification filters and the log line of
// every failure.
#include "settings/SettingsManagerClient.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "bus/MessageBus.h"
#include "include/ModuleStatus.h"
#include "message/Message.h"
#include "message/Reply.h"
#include "tests/support/LogScope.h"

namespace settings_test {
namespace {

// A hand fake of the message bus for the settings client: records every
// request and subscription, answers each request with a reply the test
// scripts, and delivers test messages to the recorded subscriptions the way
// the bus would (exact names, and patterns matched against the whole name).
class FakeReply : public Ledra::Reply {
 public:
  FakeReply(uint32_t status, std::shared_ptr<Ledra::Message> message)
      : status_(status), message_(std::move(message)) {}
  uint32_t getStatus() const override { return waited_ ? status_ : Ledra::kReplyPending; }
  std::shared_ptr<Ledra::Message> getMessage() const override {
    return waited_ && status_ == Ledra::kReplyArrived ? message_ : nullptr;
  }
  uint32_t wait() override {
    waited_ = true;
    return status_;
  }
  uint32_t waitFor(std::chrono::milliseconds) override { return wait(); }

 private:
  uint32_t status_;
  std::shared_ptr<Ledra::Message> message_;
  bool waited_ = false;
};

class FakeBus : public Ledra::MessageBus {
 public:
  using MessagePtr = std::shared_ptr<Ledra::Message>;
  using ReplyPtr = std::shared_ptr<Ledra::Reply>;
  struct Request {
    std::wstring name, sender, payload;
    Timeout timeout;
  };
  struct Subscription {
    std::wstring nameOrPattern, alias;
    bool filter;
    Callback callback;
  };

  // What the next requests get: the bus's result, then the reply's status and payload.
  unsigned long requestResult = 0;
  uint32_t replyStatus = Ledra::kReplyArrived;
  std::wstring replyPayload;
  unsigned long subscribeResult = 0;
  unsigned long unsubscribeResult = 0;

  std::vector<Request> requests;
  std::vector<Subscription> subscriptions;
  std::vector<std::wstring> unsubscribed;
  int otherCalls = 0;

  unsigned long request(const MessagePtr& message, ReplyPtr& reply, const Timeout& timeout) override {
    if (!message) return Ledra::MODULE_STATUS_INVALID_PARAMETER;
    requests.push_back({message->getName(), message->getSender(), message->getPayload(), timeout});
    if (requestResult != 0) return requestResult;
    reply =
        std::make_shared<FakeReply>(replyStatus, Ledra::Message::create(L"Reply", L"service", replyPayload));
    return 0;
  }
  unsigned long subscribe(const std::wstring& name, const std::wstring& alias, Callback callback) override {
    subscriptions.push_back({name, alias, false, std::move(callback)});
    return subscribeResult;
  }
  unsigned long subscribe(const std::wstring& name, Callback callback) override {
    return subscribe(name, name, std::move(callback));
  }
  unsigned long subscribeFilter(const std::wstring& nameRegex, const std::wstring& alias,
                                Callback callback) override {
    subscriptions.push_back({nameRegex, alias, true, std::move(callback)});
    return subscribeResult;
  }
  unsigned long subscribeFilter(const std::wstring& nameRegex, Callback callback) override {
    return subscribeFilter(nameRegex, nameRegex, std::move(callback));
  }
  unsigned long unsubscribe(const std::wstring& alias) override {
    unsubscribed.push_back(alias);
    return unsubscribeResult;
  }

  // Hands the message to every subscription that would receive it; answers
  // the callbacks' results in subscription order.
  std::vector<unsigned long> deliver(const std::wstring& name, const std::wstring& payload) {
    std::vector<unsigned long> results;
    for (const auto& subscription : subscriptions) {
      const bool matches = subscription.filter
                               ? std::regex_match(name, std::wregex(subscription.nameOrPattern))
                               : subscription.nameOrPattern == name;
      if (matches)
        results.push_back(subscription.callback(Ledra::Message::create(name, L"service", payload)));
    }
    return results;
  }

  // The forms the client never uses.
  unsigned long publish(const MessagePtr&) override { return other(); }
  unsigned long publishVariant(const MessagePtr&) override { return other(); }
  unsigned long request(const MessagePtr&, ReplyCallback, const Timeout&) override { return other(); }
  unsigned long requestVariant(const MessagePtr&, ReplyCallback, const Timeout&) override { return other(); }
  unsigned long requestVariant(const MessagePtr&, ReplyPtr&, const Timeout&) override { return other(); }
  unsigned long subscribeInSession(const std::wstring&, const std::wstring&, Callback) override {
    return other();
  }
  unsigned long subscribeInSession(const std::wstring&, Callback) override { return other(); }
  unsigned long subscribeFilterInSession(const std::wstring&, const std::wstring&, Callback) override {
    return other();
  }
  unsigned long subscribeFilterInSession(const std::wstring&, Callback) override { return other(); }

 private:
  unsigned long other() {
    ++otherCalls;
    return Ledra::MODULE_STATUS_NOT_SUPPORTED;
  }
};

using Ledra::SettingsManager;
using Ledra::SettingsManagerClient;
using tarn_test::LogScope;
using Timeout = SettingsManager::Timeout;
using Call = std::function<bool(SettingsManager&)>;
using Lines = std::vector<std::wstring>;  // "(Severity) message", in order

const Timeout kTimeout(4321);
const std::wstring kWarning = L"(Warning) ", kError = L"(Error) ";

// The lines logged since `log` began; every one carries the client's file tag.
Lines logged(const LogScope& log) {
  Lines lines;
  for (const auto& line : log.lines()) {
    EXPECT_EQ(L"SettingsManagerClien", line.file) << line.message;
    lines.push_back(L"(" + line.severity + L") " + line.message);
  }
  return lines;
}

class SettingsClientTest : public ::testing::Test {
 protected:
  std::shared_ptr<FakeBus> bus = std::make_shared<FakeBus>();
  SettingsManagerClient client{bus};

  // The service holds P, with `text`.
  void storedText(const std::wstring& text) {
    bus->replyPayload = L"{\"name\":\"P\",\"status\":true,\"value\":\"" + text + L"\"}";
  }
  const FakeBus::Request& lastRequest() const { return bus->requests.back(); }
};

// --- writes ---

// A write of `value` to P, volatile or not.
template <typename T>
std::function<bool(SettingsManager&, bool)> writes(T value) {
  return [value](SettingsManager& s, bool isVolatile) {
    return isVolatile ? s.setVolatileProperty(L"P", value, kTimeout) : s.setProperty(L"P", value, kTimeout);
  };
}

TEST_F(SettingsClientTest, WritesEveryValueTypeAsTextAndSaysWhetherItIsVolatile) {
  struct Case {
    std::function<bool(SettingsManager&, bool)> write;
    const wchar_t* text;
    const wchar_t* volatileText;  // doubles get six decimals there
  };
  const Case cases[] = {
      {writes(0.1), L"0.1", L"0.100000"},
      {writes(1.0 / 3), L"0.3333333333333333", L"0.333333"},
      {writes(4000000000u), L"4000000000", nullptr},
      {writes(std::numeric_limits<unsigned long long>::max()), L"18446744073709551615", nullptr},
      {writes(7ul), L"7", nullptr},
      {writes(-9000000000ll), L"-9000000000", nullptr},
      {writes(-12), L"-12", nullptr},
      {writes(true), L"1", nullptr},
      {writes(false), L"0", nullptr},
      {writes(L"pointer text"), L"pointer text", nullptr},
      {writes(std::wstring(L"wide")), L"wide", nullptr},
  };
  storedText(L"1");
  for (const auto& c : cases) {
    for (const bool isVolatile : {false, true}) {
      const std::wstring text = isVolatile && c.volatileText ? c.volatileText : c.text;
      SCOPED_TRACE(testing::Message() << text << (isVolatile ? " volatile" : ""));
      ASSERT_TRUE(c.write(client, isVolatile));
      EXPECT_EQ(
          L"{\"name\":\"P\",\"value\":\"" + text + L"\",\"volatile\":" + (isVolatile ? L"true}" : L"false}"),
          lastRequest().payload);
    }
  }
}

// --- reads and conversions ---

// A read of P into an output holding `start`: true when it leaves `expected`
// there and succeeds exactly when that differs from `start`.
template <typename T>
Call reads(T start, T expected) {
  return [start, expected](SettingsManager& s) {
    T value = start;
    const bool read = s.getProperty(L"P", value, kTimeout);
    return value == expected && read == !(expected == start);
  };
}

TEST_F(SettingsClientTest, ConvertsStoredTextOrLeavesTheOutputAndLogsWhy) {
  const wchar_t* invalid = L"Conversion failed due to invalid arguments.";
  const wchar_t* range = L"Conversion failed, out of range for destination type.";
  struct Case {
    const wchar_t* text;
    Call read;
    const wchar_t* line;  // a warning, or none
  };
  const Case cases[] = {
      {L"0.1", reads(0.0, 0.1), nullptr},
      {L"4000000000", reads(0u, 4000000000u), nullptr},
      {L"18446744073709551615", reads(0ull, std::numeric_limits<unsigned long long>::max()), nullptr},
      {L"4294967295", reads(0ul, 4294967295ul), nullptr},
      {L"-9000000000", reads(0ll, -9000000000ll), nullptr},
      {L"12abc", reads(0, 12), nullptr},  // the conversion stops at the first non-digit
      {L"0", reads(true, false), nullptr},
      {L"2", reads(false, true), nullptr},  // any non-zero number is true
      {L"-1", reads(false, true), nullptr},
      {L"abc", reads(5, 5), invalid},
      {L"99999999999", reads(5, 5), range},
      {L"99999999999", reads(5u, 5u), range},
      {L"x1", reads(5.0, 5.0), invalid},
      {L"", reads(true, true), invalid},
      {L"99999999999999999999", reads(5ll, 5ll), range},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    storedText(c.text);
    const LogScope log;
    EXPECT_TRUE(c.read(client));
    const Lines expected = c.line ? Lines{kWarning + c.line} : Lines();
    EXPECT_EQ(expected, logged(log));
    EXPECT_EQ(expected.size(),
              log.count({L"", c.line ? c.line : L"", L"", L"Ledra::SettingsManagerClient::tryConvert"}));
  }
}

// --- failures ---

// Each operation on P, false when it failed and changed nothing.
const Call set = [](SettingsManager& s) { return s.setProperty(L"P", 1, kTimeout); };
const Call get = [](SettingsManager& s) {
  std::wstring text = L"kept";
  return s.getProperty(L"P", text, kTimeout) || text != L"kept";
};
const Call remove = [](SettingsManager& s) { return s.removeProperty(L"P", kTimeout); };
const Call getList = [](SettingsManager& s) {
  SettingsManager::PropertyMap out;
  return s.getProperties({L"P"}, out, kTimeout).at(L"P") || !out.empty();
};
const Call getPrefix = [](SettingsManager& s) {
  SettingsManager::PropertyMap out;
  return s.getPropertiesByPrefix(L"P", out, kTimeout) || !out.empty();
};
const Call setList = [](SettingsManager& s) { return s.setProperties({{L"P", L"1"}}, kTimeout).at(L"P"); };
const Call removeList = [](SettingsManager& s) { return s.removeProperties({L"P"}, kTimeout).at(L"P"); };
const Call removePrefix = [](SettingsManager& s) { return s.removePropertiesByPrefix(L"P", kTimeout); };

// Every call of `calls`, each whatever the others answered; true when any succeeded.
Call each(std::vector<Call> calls) {
  return [calls](SettingsManager& s) {
    bool any = false;
    for (const Call& call : calls) any = call(s) || any;
    return any;
  };
}

TEST_F(SettingsClientTest, EachFailureAnswersFalseAndLogsItsLinesWithTheirSeverity) {
  const std::wstring noStatus = L"Failed to read settings manager response status.";
  const std::wstring mismatch = L"Response property name (Other) does not match expected property name (P).";
  const std::wstring unknown = L"Property list request failed on wait() with unknown error.";
  const std::wstring setListParse = L"Failed to set properties. Unable to parse responses.";
  const std::wstring noStatuses = L"Failed to parse statuses from remove properties response.";
  const std::wstring code = L" Error code: MODULE_STATUS_UNSUCCESSFUL(2147483650)";
  const std::wstring notRemoved = L"Failed to parse remove properties response.";
  struct Case {
    const char* what;
    Call call;
    std::wstring reply;
    Lines lines;
    uint32_t status = Ledra::kReplyArrived;
    unsigned long requestResult = 0;
  };
  const Case cases[] = {
      // Single replies that arrived.
      {"no name", set, L"{\"status\":true}",
       Lines{kWarning + L"Failed to read settings manager response property name."}},
      {"another name", each({set, get, remove}), L"{\"name\":\"Other\",\"status\":true,\"value\":\"v\"}",
       Lines(3, kWarning + mismatch)},
      {"a name in another case", set, L"{\"name\":\"p\",\"status\":true}",
       Lines{kWarning + L"Response property name (p) does not match expected property name (P)."}},
      {"no status", each({get, remove}), L"{\"name\":\"P\",\"status\":\"yes\"}",
       Lines(2, kWarning + noStatus)},
      {"refused by the service", each({set, remove, get}), L"{\"name\":\"P\",\"status\":false}",
       Lines{kWarning + L"Settings Manager failed to set property value.",
             kWarning + L"Settings Manager failed to remove property."}},  // a lacking property is no news
      {"value not text", get, L"{\"name\":\"P\",\"status\":true,\"value\":5}",
       Lines{kWarning + L"Failed to read settings manager response value."}},
      {"not json", remove, L"not json",
       Lines{kWarning + L"Failed to parse settings manager response message. Returning."}},
      {"no list", each({setList, getList, getPrefix}), L"{\"responses\":{\"name\":\"P\"}}",
       Lines{kError + setListParse}},
      {"no list to remove", each({removeList, removePrefix}), L"{\"responses\":7}",
       Lines(2, kError + noStatuses)},
      // Replies that did not arrive.
      {"timed out", each({set, getList, removeList}), L"",
       Lines{kWarning + L"Property request timed out. Returning.",
             kWarning + L"Property list request timed out. Returning.",
             kWarning + L"Property list request timed out. Returning.",
             kWarning + notRemoved + L" Error code: MODULE_STATUS_TIMEOUT(2147483661)"},
       Ledra::kReplyTimedOut},
      {"no reply", each({set, getPrefix, setList}), L"",
       Lines{kWarning + L"Property request failed with DATA_ERROR. Returning.",
             kWarning + L"Property list request failed with DATA_ERROR. Returning.",
             kWarning + L"Property list request failed with DATA_ERROR. Returning.", kError + setListParse},
       Ledra::kReplyNoReply},
      {"unknown status", each({set, getList, removePrefix}), L"",
       Lines{kWarning + L"Property request failed on wait() with unknown error.", kWarning + unknown,
             kWarning + unknown, kWarning + notRemoved + code},
       7},
      // Requests the bus refused.
      {"refused by the bus", each({set, get, remove, getList, getPrefix, setList, removeList, removePrefix}),
       L"",
       Lines{kWarning + L"Failed to make set property request." + code,
             kWarning + L"Failed to make get property request." + code,
             kWarning + L"Failed to make remove property request." + code,
             kWarning + L"Failed to make get properties request." + code,
             kWarning + L"Failed to make get properties request." + code,
             kWarning + L"Failed to make set properties request." + code,
             kError + L"Failed to set properties. Unable to make request.",
             kWarning + L"Failed to make remove properties request." + code,
             kWarning + L"Failed to make remove properties by prefix request." + code},
       Ledra::kReplyArrived, Ledra::MODULE_STATUS_UNSUCCESSFUL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    bus->replyPayload = c.reply;
    bus->replyStatus = c.status;
    bus->requestResult = c.requestResult;
    const LogScope log;
    EXPECT_FALSE(c.call(client));
    EXPECT_EQ(c.lines, logged(log));
  }
}

TEST_F(SettingsClientTest, RequestsGoOutWithTheModuleAsSenderAndTheCallersTimeout) {
  storedText(L"1");
  each({set, get, remove, getList, getPrefix, setList, removeList, removePrefix})(client);
  const std::wstring ownName = Ledra::Message::create(L"x", L"", L"")->getSender();
  ASSERT_FALSE(ownName.empty());
  const wchar_t* names[] = {L"SETTINGS_MANAGER_SET_PROPERTY",
                            L"SETTINGS_MANAGER_GET_PROPERTY",
                            L"SETTINGS_MANAGER_REMOVE_PROPERTY",
                            L"SettingsManager.GetProperties.Request",
                            L"SettingsManager.GetProperties.Request",
                            L"SettingsManager.SetProperties.Request",
                            L"SettingsManager.RemoveProperties.Request",
                            L"SettingsManager.RemoveProperties.Request"};
  ASSERT_EQ(std::size(names), bus->requests.size());
  for (size_t i = 0; i < std::size(names); ++i) {
    EXPECT_EQ(names[i], bus->requests[i].name);
    EXPECT_EQ(ownName, bus->requests[i].sender);
    EXPECT_EQ(kTimeout, bus->requests[i].timeout);
  }
  EXPECT_EQ(L"{\"name\":\"P\"}", bus->requests[1].payload);
  EXPECT_EQ(0, bus->otherCalls);  // only the reply-handle form of request
}

// --- lists ---

TEST_F(SettingsClientTest, GetPropertiesChecksEachItemLikeASingleReadAndSkipsStrangers) {
  bus->replyPayload =
      L"{\"responses\":[{\"name\":\"a\",\"status\":true,\"value\":\"1\"},{\"name\":\"b\",\"status\":false},"
      L"{\"name\":\"c\"},{\"name\":\"d\",\"status\":true,\"value\":false},"
      L"{\"name\":\"e\",\"status\":true,\"value\":\"\"},{\"name\":\"x\",\"status\":true,\"value\":\"3\"},"
      L"{\"status\":true,\"value\":\"4\"}]}";
  SettingsManager::PropertyMap out;
  const LogScope log;
  const auto results = client.getProperties({L"a", L"b", L"c", L"d", L"e"}, out, kTimeout);
  EXPECT_EQ(
      L"{\"properties\":[{\"name\":\"a\"},{\"name\":\"b\"},{\"name\":\"c\"},{\"name\":\"d\"},{\"name\":\"e\"}"
      L"]}",
      lastRequest().payload);
  EXPECT_EQ(
      (SettingsManager::ResultMap{{L"a", true}, {L"b", false}, {L"c", false}, {L"d", false}, {L"e", true}}),
      results);
  EXPECT_EQ((SettingsManager::PropertyMap{{L"a", L"1"}, {L"e", L""}}), out);
  EXPECT_EQ((Lines{kWarning + L"Failed to read settings manager response status.",
                   kWarning + L"Failed to read settings manager response value.",
                   kWarning + L"Received an unexpected setting property. Name: x.",
                   kWarning + L"Failed to read settings property response name."}),
            logged(log));
}

TEST_F(SettingsClientTest, SetPropertiesSendsEntriesInOrderAndMapsEachStatus) {
  bus->replyPayload =
      L"{\"responses\":[{\"name\":\"z\",\"status\":true},{\"name\":\"a\",\"status\":false},"
      L"{\"name\":\"m\"},{\"name\":\"c\",\"status\":true}]}";
  const LogScope log;
  const auto results = client.setProperties({{L"z", L"1"}, {L"a", L"2"}, {L"m", L"3"}}, kTimeout);
  EXPECT_EQ(
      L"{\"properties\":[{\"name\":\"z\",\"value\":\"1\",\"volatile\":false},"
      L"{\"name\":\"a\",\"value\":\"2\",\"volatile\":false},{\"name\":\"m\",\"value\":\"3\",\"volatile\":"
      L"false}]}",
      lastRequest().payload);
  EXPECT_EQ((SettingsManager::ResultMap{{L"z", true}, {L"a", false}, {L"m", false}}), results);
  EXPECT_EQ((Lines{kWarning + L"Settings Manager failed to set property value. Property Name: a",
                   kWarning + L"Failed to read settings manager response status. Property Name: m",
                   kWarning + L"Received unexpected setting property response. Name: c."}),
            logged(log));

  client.setVolatileProperties({{L"z", L"1"}}, kTimeout);
  EXPECT_EQ(L"{\"properties\":[{\"name\":\"z\",\"value\":\"1\",\"volatile\":true}]}", lastRequest().payload);
}

TEST_F(SettingsClientTest, RemovePropertiesMapsEachStatus) {
  bus->replyPayload =
      L"{\"responses\":[{\"name\":\"a\",\"status\":true},{\"name\":\"b\",\"status\":false},"
      L"{\"name\":\"c\",\"status\":true}]}";
  const LogScope log;
  const auto results = client.removeProperties({L"a", L"b"}, kTimeout);
  EXPECT_EQ(L"{\"properties\":[{\"name\":\"a\"},{\"name\":\"b\"}]}", lastRequest().payload);
  EXPECT_EQ((SettingsManager::ResultMap{{L"a", true}, {L"b", false}}), results);
  EXPECT_EQ((Lines{kWarning + L"Settings Manager failed to remove property. Property Name: b",
                   kWarning + L"Received unexpected setting property. Name: c."}),
            logged(log));
}

// --- prefixes ---

TEST_F(SettingsClientTest, GetByPrefixKeepsEveryAnsweredPropertyWhateverItsName) {
  bus->replyPayload =
      L"{\"responses\":[{\"name\":\"App.x\",\"status\":true,\"value\":\"1\"},"
      L"{\"name\":\"Elsewhere\",\"status\":true,\"value\":\"2\"},{\"name\":\"App.y\",\"status\":false},"
      L"{\"status\":true,\"value\":\"3\"}]}";
  SettingsManager::PropertyMap out;
  const LogScope log;
  EXPECT_TRUE(client.getPropertiesByPrefix(std::vector<std::wstring>{L"App.", L"Sys."}, out, kTimeout));
  EXPECT_EQ(L"{\"properties\":[{\"name\":\"App.\",\"isPrefix\":true},{\"name\":\"Sys.\",\"isPrefix\":true}]}",
            lastRequest().payload);
  EXPECT_EQ((SettingsManager::PropertyMap{{L"App.x", L"1"}, {L"Elsewhere", L"2"}}), out);
  EXPECT_EQ((Lines{kWarning + L"Failed to read settings property response name. Skipping"}), logged(log));

  bus->replyPayload = L"{\"responses\":[]}";
  EXPECT_TRUE(client.getPropertiesByPrefix(L"None.", out, kTimeout));
}

TEST_F(SettingsClientTest, RemoveByPrefixAddsEachRemovedNameAndAnswersThePrefixEntry) {
  bus->replyPayload =
      L"{\"responses\":[{\"name\":\"App.\",\"status\":true},{\"name\":\"App.x\",\"status\":true},"
      L"{\"name\":\"App.y\",\"status\":false}]}";
  const auto results = client.removePropertiesByPrefix(std::vector<std::wstring>{L"App.", L"Sys."}, kTimeout);
  EXPECT_EQ(L"{\"properties\":[{\"name\":\"App.\",\"isPrefix\":true},{\"name\":\"Sys.\",\"isPrefix\":true}]}",
            lastRequest().payload);
  EXPECT_EQ((SettingsManager::ResultMap{{L"App.", true}, {L"Sys.", false}, {L"App.x", true}}), results);

  EXPECT_TRUE(client.removePropertiesByPrefix(L"App.", kTimeout));
  EXPECT_EQ(L"{\"properties\":[{\"name\":\"App.\",\"isPrefix\":true}]}", lastRequest().payload);
  bus->replyPayload = L"{\"responses\":[{\"name\":\"App.x\",\"status\":true}]}";
  EXPECT_FALSE(client.removePropertiesByPrefix(L"App.", kTimeout));
}

// --- notifications ---

TEST_F(SettingsClientTest, NameWatchesFilterOnTheNameAndHearOnlyTheirMessage) {
  const std::wstring set = L"SETTINGS_MANAGER_PROPERTY_SET", removed = L"SETTINGS_MANAGER_PROPERTY_REMOVED";
  std::vector<std::wstring> setOne, setAll, removedOne, removedAll;
  const auto into = [](std::vector<std::wstring>& seen) {
    return [&seen](const std::wstring& name) { seen.push_back(name); };
  };
  ASSERT_TRUE(client.subscribePropertySet(into(setOne), L"Core.X") &&
              client.subscribePropertySet(into(setAll)) &&
              client.subscribePropertyRemoved(into(removedOne), L"Core.X") &&
              client.subscribePropertyRemoved(into(removedAll)));
  ASSERT_EQ(4u, bus->subscriptions.size());
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_FALSE(bus->subscriptions[i].filter);
    EXPECT_EQ(i < 2 ? set : removed, bus->subscriptions[i].nameOrPattern);
    EXPECT_EQ(i < 2 ? set : removed, bus->subscriptions[i].alias);
  }
  for (const std::wstring& message : {set, removed}) {
    for (const wchar_t* name : {L"{\"name\":\"Core.X\"}", L"{\"name\":\"Core.XY\"}"})
      EXPECT_EQ((std::vector<unsigned long>{0, 0}), bus->deliver(message, name));
  }
  for (const auto* seen : {&setOne, &removedOne}) EXPECT_EQ((std::vector<std::wstring>{L"Core.X"}), *seen);
  for (const auto* seen : {&setAll, &removedAll})
    EXPECT_EQ((std::vector<std::wstring>{L"Core.X", L"Core.XY"}), *seen);
}

TEST_F(SettingsClientTest, BadNotificationsAnswerDataErrorWithoutCallingBack) {
  int calls = 0;
  client.subscribePropertySet([&](const std::wstring&) { ++calls; });
  client.subscribeNotifySet([&](const std::wstring&, const std::wstring&) { ++calls; }, L"P");
  client.subscribeNotifyDelete([&](const std::wstring&) { ++calls; }, L"P");
  const unsigned long dataError = Ledra::MODULE_STATUS_DATA_ERROR;
  struct Case {
    const wchar_t* name;
    const wchar_t* payload;
    const wchar_t* line;
  };
  const Case cases[] = {
      {L"SETTINGS_MANAGER_PROPERTY_SET", L"{oops", L"Failed to parse setting property data."},
      {L"SETTINGS_MANAGER_PROPERTY_SET", L"{\"value\":\"1\"}", L"Failed to read setting property name."},
      {L"SettingsManager.Notify.Set.P", L"[]", L"Failed to parse setting property data."},
      {L"SettingsManager.Notify.Set.P", L"{\"value\":\"1\"}", L"Failed to read setting property name."},
      {L"SettingsManager.Notify.Set.P", L"{\"name\":\"P\",\"value\":1}", L"Failed to read setting value."},
      {L"SettingsManager.Notify.Delete.P", L"", L"Failed to parse setting property data."},
      {L"SettingsManager.Notify.Delete.P", L"{\"nam\":\"P\"}", L"Failed to read setting property name."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.payload);
    const LogScope log;
    EXPECT_EQ((std::vector<unsigned long>{dataError}), bus->deliver(c.name, c.payload));
    EXPECT_EQ((Lines{kWarning + c.line}), logged(log));
  }
  EXPECT_EQ(0, calls);
}

TEST_F(SettingsClientTest, NotifyWatchesTakeTheNameUnescapedInTheirOwnPattern) {
  std::vector<std::pair<std::wstring, std::wstring>> set;
  std::vector<std::wstring> deleted;
  ASSERT_TRUE(client.subscribeNotifySet(
      [&](const std::wstring& n, const std::wstring& v) { set.emplace_back(n, v); }, L"Core.X"));
  ASSERT_TRUE(client.subscribeNotifyDelete([&](const std::wstring& n) { deleted.push_back(n); }, L"Core.X"));
  const std::wstring patterns[] = {L"^SettingsManager.Notify.Set.Core.X.*",
                                   L"^SettingsManager.Notify.Delete.Core.X.*"};
  ASSERT_EQ(2u, bus->subscriptions.size());
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_TRUE(bus->subscriptions[i].filter);
    EXPECT_EQ(patterns[i], bus->subscriptions[i].nameOrPattern);
    EXPECT_EQ(patterns[i], bus->subscriptions[i].alias);
  }

  const std::pair<const wchar_t*, size_t> names[] = {
      {L"SettingsManager.Notify.Set.Core.X", 1},
      {L"SettingsManager.Notify.Set.CoreYX", 1},  // the dot matches any character
      {L"SettingsManager.Notify.Set.Core.X.Sub", 1},
      {L"SettingsManager.Notify.Set.Core.Y", 0},
      {L"SettingsManager.Notify.Delete.Core.X", 1},
  };
  for (const auto& n : names) {
    SCOPED_TRACE(n.first);
    EXPECT_EQ(std::vector<unsigned long>(n.second, 0),
              bus->deliver(n.first, L"{\"name\":\"Core.X\",\"value\":\"on\"}"));
  }
  EXPECT_EQ(3u, set.size());
  EXPECT_EQ((std::pair<std::wstring, std::wstring>(L"Core.X", L"on")), set.front());
  EXPECT_EQ((std::vector<std::wstring>{L"Core.X"}), deleted);

  ASSERT_TRUE(client.unsubscribeNotifySet(L"Core.X"));
  ASSERT_TRUE(client.unsubscribeNotifyDelete(L"Core.X"));
  EXPECT_EQ((std::vector<std::wstring>(std::begin(patterns), std::end(patterns))), bus->unsubscribed);
}

TEST_F(SettingsClientTest, BusRefusalsMakeSubscribeOperationsFalseButEmptyNamesAskNothing) {
  bus->subscribeResult = Ledra::MODULE_STATUS_UNSUCCESSFUL;
  bus->unsubscribeResult = Ledra::MODULE_STATUS_UNSUCCESSFUL;
  EXPECT_TRUE(client.subscribeNotifySet([](const std::wstring&, const std::wstring&) {}, L""));
  EXPECT_TRUE(client.subscribeNotifyDelete([](const std::wstring&) {}, L""));
  EXPECT_TRUE(client.unsubscribeNotifySet(L""));
  EXPECT_TRUE(client.unsubscribeNotifyDelete(L""));
  EXPECT_TRUE(bus->subscriptions.empty());
  EXPECT_TRUE(bus->unsubscribed.empty());

  EXPECT_FALSE(client.subscribePropertySet([](const std::wstring&) {}, L"P"));
  EXPECT_FALSE(client.subscribePropertySet([](const std::wstring&) {}));
  EXPECT_FALSE(client.subscribePropertyRemoved([](const std::wstring&) {}, L"P"));
  EXPECT_FALSE(client.subscribePropertyRemoved([](const std::wstring&) {}));
  EXPECT_FALSE(client.subscribeNotifySet([](const std::wstring&, const std::wstring&) {}, L"P"));
  EXPECT_FALSE(client.subscribeNotifyDelete([](const std::wstring&) {}, L"P"));
  EXPECT_FALSE(client.unsubscribeNotifySet(L"P"));
  EXPECT_FALSE(client.unsubscribeNotifyDelete(L"P"));
}

}  // namespace
}  // namespace settings_test
