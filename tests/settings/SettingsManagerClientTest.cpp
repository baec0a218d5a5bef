// The settings client against a fake bus: request shapes, text conversions,
// reply checks, list and prefix maps, notification filters and the log line of
// every failure.
#include "settings/SettingsManagerClient.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "include/ModuleStatus.h"
#include "message/JSONFormatter.h"
#include "message/Message.h"
#include "tests/settings/FakeBus.h"
#include "tests/support/LogScope.h"

namespace settings_test {
namespace {

using Ledra::SettingsManager;
using Ledra::SettingsManagerClient;
using tarn_test::LogScope;
using Timeout = SettingsManager::Timeout;

const Timeout kTimeout(4321);

// A reply for the property the request named: {"name": N, "status": status[, "value": value]}.
std::function<std::wstring(const std::wstring&)> answerFor(bool status, const std::wstring* value = nullptr) {
  std::wstring valueCopy = value ? *value : std::wstring();
  const bool withValue = value != nullptr;
  return [status, valueCopy, withValue](const std::wstring& request) {
    Ledra::JSONFormatter in;
    std::wstring name;
    in.fromString(request);
    in.getString(L"name", name);
    Ledra::JSONFormatter out;
    out.setString(L"name", name);
    out.setBool(L"status", status);
    if (withValue) out.setString(L"value", valueCopy);
    return out.toString();
  };
}

class SettingsClientTest : public ::testing::Test {
 protected:
  std::shared_ptr<FakeBus> bus = std::make_shared<FakeBus>();
  SettingsManagerClient client{bus};

  // The service holds text for every property asked for.
  void storedText(const std::wstring& text) { bus->responder = answerFor(true, &text); }
  void answerAll(bool status) { bus->responder = answerFor(status); }
  const FakeBus::Request& lastRequest() const { return bus->requests.back(); }
};

// --- writes ---

TEST_F(SettingsClientTest, WritesEveryValueTypeAsTextWithVolatileFalse) {
  struct Case {
    std::function<bool(SettingsManager&)> write;
    const wchar_t* text;
  };
  const Case cases[] = {
      {[](SettingsManager& s) { return s.setProperty(L"P", 0.1, kTimeout); }, L"0.1"},
      {[](SettingsManager& s) { return s.setProperty(L"P", 1.0 / 3, kTimeout); }, L"0.3333333333333333"},
      {[](SettingsManager& s) { return s.setProperty(L"P", 4000000000u, kTimeout); }, L"4000000000"},
      {[](SettingsManager& s) {
         return s.setProperty(L"P", std::numeric_limits<unsigned long long>::max(), kTimeout);
       },
       L"18446744073709551615"},
      {[](SettingsManager& s) { return s.setProperty(L"P", 7ul, kTimeout); }, L"7"},
      {[](SettingsManager& s) { return s.setProperty(L"P", -9000000000ll, kTimeout); }, L"-9000000000"},
      {[](SettingsManager& s) { return s.setProperty(L"P", -12, kTimeout); }, L"-12"},
      {[](SettingsManager& s) { return s.setProperty(L"P", true, kTimeout); }, L"1"},
      {[](SettingsManager& s) { return s.setProperty(L"P", false, kTimeout); }, L"0"},
      {[](SettingsManager& s) { return s.setProperty(L"P", L"pointer text", kTimeout); }, L"pointer text"},
      {[](SettingsManager& s) { return s.setProperty(L"P", std::wstring(L"wide"), kTimeout); }, L"wide"},
  };
  answerAll(true);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_TRUE(c.write(client));
    EXPECT_EQ(L"SETTINGS_MANAGER_SET_PROPERTY", lastRequest().name);
    EXPECT_EQ(L"{\"name\":\"P\",\"value\":\"" + std::wstring(c.text) + L"\",\"volatile\":false}",
              lastRequest().payload);
  }
}

TEST_F(SettingsClientTest, VolatileWritesSayVolatileAndGiveDoublesSixDecimals) {
  struct Case {
    std::function<bool(SettingsManager&)> write;
    const wchar_t* text;
  };
  const Case cases[] = {
      {[](SettingsManager& s) { return s.setVolatileProperty(L"V", 0.1, kTimeout); }, L"0.100000"},
      {[](SettingsManager& s) { return s.setVolatileProperty(L"V", 5u, kTimeout); }, L"5"},
      {[](SettingsManager& s) { return s.setVolatileProperty(L"V", 6ull, kTimeout); }, L"6"},
      {[](SettingsManager& s) { return s.setVolatileProperty(L"V", 7ul, kTimeout); }, L"7"},
      {[](SettingsManager& s) { return s.setVolatileProperty(L"V", -8ll, kTimeout); }, L"-8"},
      {[](SettingsManager& s) { return s.setVolatileProperty(L"V", -9, kTimeout); }, L"-9"},
      {[](SettingsManager& s) { return s.setVolatileProperty(L"V", true, kTimeout); }, L"1"},
      {[](SettingsManager& s) { return s.setVolatileProperty(L"V", L"p", kTimeout); }, L"p"},
      {[](SettingsManager& s) { return s.setVolatileProperty(L"V", std::wstring(L"w"), kTimeout); }, L"w"},
  };
  answerAll(true);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_TRUE(c.write(client));
    EXPECT_EQ(L"{\"name\":\"V\",\"value\":\"" + std::wstring(c.text) + L"\",\"volatile\":true}",
              lastRequest().payload);
  }
}

TEST_F(SettingsClientTest, RequestsGoOutWithTheModuleAsSenderAndTheCallersTimeout) {
  answerAll(true);
  std::wstring text;
  client.setProperty(L"A", 1, kTimeout);
  client.getProperty(L"A", text, kTimeout);
  client.removeProperty(L"A", kTimeout);
  SettingsManager::PropertyMap out;
  client.getProperties({L"A"}, out, kTimeout);
  client.getPropertiesByPrefix(L"A", out, kTimeout);
  client.setProperties({{L"A", L"1"}}, kTimeout);
  client.removeProperties({L"A"}, kTimeout);
  client.removePropertiesByPrefix(L"A", kTimeout);

  const std::wstring ownName = Ledra::Message::create(L"x", L"", L"")->getSender();
  ASSERT_FALSE(ownName.empty());
  const std::vector<std::wstring> names = {L"SETTINGS_MANAGER_SET_PROPERTY",
                                           L"SETTINGS_MANAGER_GET_PROPERTY",
                                           L"SETTINGS_MANAGER_REMOVE_PROPERTY",
                                           L"SettingsManager.GetProperties.Request",
                                           L"SettingsManager.GetProperties.Request",
                                           L"SettingsManager.SetProperties.Request",
                                           L"SettingsManager.RemoveProperties.Request",
                                           L"SettingsManager.RemoveProperties.Request"};
  ASSERT_EQ(names.size(), bus->requests.size());
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(names[i], bus->requests[i].name);
    EXPECT_EQ(ownName, bus->requests[i].sender);
    EXPECT_EQ(kTimeout, bus->requests[i].timeout);
  }
  EXPECT_EQ(0, bus->otherCalls);  // only the reply-handle form of request
}

// --- reads and conversions ---

// A read of P whose stored text converts to `expected`.
template <typename T>
std::function<bool(SettingsManager&)> reads(T expected) {
  return [expected](SettingsManager& s) {
    T value{};
    return s.getProperty(L"P", value, kTimeout) && value == expected;
  };
}

// A read of P that fails and leaves the output as it was.
template <typename T>
std::function<bool(SettingsManager&)> failsKeeping(T start) {
  return [start](SettingsManager& s) {
    T value = start;
    return !s.getProperty(L"P", value, kTimeout) && value == start;
  };
}

TEST_F(SettingsClientTest, ConvertsStoredTextToEachNumberType) {
  const std::pair<const wchar_t*, std::function<bool(SettingsManager&)>> cases[] = {
      {L"0.1", reads(0.1)},
      {L"4000000000", reads(4000000000u)},
      {L"18446744073709551615", reads(std::numeric_limits<unsigned long long>::max())},
      {L"4294967295", reads(4294967295ul)},
      {L"-9000000000", reads(-9000000000ll)},
      {L"12abc", reads(12)},  // the conversion stops at the first non-digit
  };
  for (const auto& c : cases) {
    storedText(c.first);
    EXPECT_TRUE(c.second(client)) << c.first;
  }
  EXPECT_EQ(L"{\"name\":\"P\"}", lastRequest().payload);
}

TEST_F(SettingsClientTest, BoolIsTrueForAnyNonZeroNumber) {
  const std::pair<const wchar_t*, bool> cases[] = {{L"0", false}, {L"1", true}, {L"2", true}, {L"-1", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    storedText(c.first);
    bool value = !c.second;
    ASSERT_TRUE(client.getProperty(L"B", value, kTimeout));
    EXPECT_EQ(c.second, value);
  }
}

TEST_F(SettingsClientTest, ConversionFailuresLeaveTheOutputAndLogTheReason) {
  const std::wstring invalid = L"Conversion failed due to invalid arguments.";
  const std::wstring range = L"Conversion failed, out of range for destination type.";
  struct Case {
    const wchar_t* text;
    std::function<bool(SettingsManager&)> read;
    std::wstring line;
  };
  const Case cases[] = {
      {L"abc", failsKeeping(5), invalid},        {L"99999999999", failsKeeping(5), range},
      {L"99999999999", failsKeeping(5u), range}, {L"x1", failsKeeping(5.0), invalid},
      {L"", failsKeeping(true), invalid},        {L"99999999999999999999", failsKeeping(5ll), range},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    storedText(c.text);
    const LogScope log;
    EXPECT_TRUE(c.read(client));
    EXPECT_EQ(1u, log.count({L"Warning", c.line, L"", L"Ledra::SettingsManagerClient::tryConvert"}));
  }
}

TEST_F(SettingsClientTest, ReadOfAPropertyTheServiceLacksFailsQuietly) {
  bus->replyPayload = L"{\"name\":\"P\",\"status\":false}";
  std::wstring text = L"kept";
  const LogScope log;
  EXPECT_FALSE(client.getProperty(L"P", text, kTimeout));
  EXPECT_EQ(L"kept", text);
  EXPECT_TRUE(log.lines().empty());
}

// --- single replies ---

TEST_F(SettingsClientTest, ReplyForAnotherPropertyFailsEvenWithTrueStatus) {
  bus->replyPayload = L"{\"name\":\"Other\",\"status\":true,\"value\":\"v\"}";
  const std::wstring mismatch = L"Response property name (Other) does not match expected property name (P).";
  std::wstring text = L"kept";
  const LogScope log;
  EXPECT_FALSE(client.setProperty(L"P", 1, kTimeout));
  EXPECT_FALSE(client.getProperty(L"P", text, kTimeout));
  EXPECT_FALSE(client.removeProperty(L"P", kTimeout));
  EXPECT_EQ(L"kept", text);
  EXPECT_EQ(3u, log.countMessage(mismatch));

  // A name that differs only in case is another name.
  bus->replyPayload = L"{\"name\":\"p\",\"status\":true}";
  EXPECT_FALSE(client.setProperty(L"P", 1, kTimeout));
}

TEST_F(SettingsClientTest, EachBadSingleReplyLogsWhatWasWrong) {
  struct Case {
    const wchar_t* reply;
    std::function<bool(SettingsManager&)> call;
    std::wstring line;
  };
  std::wstring sink;
  const Case cases[] = {
      {L"{\"status\":true}", [](SettingsManager& s) { return s.setProperty(L"P", 1, kTimeout); },
       L"Failed to read settings manager response property name."},
      {L"{\"name\":\"P\"}", [](SettingsManager& s) { return s.setProperty(L"P", 1, kTimeout); },
       L"Failed to read settings manager response status."},
      {L"{\"name\":\"P\",\"status\":false}",
       [](SettingsManager& s) { return s.setProperty(L"P", 1, kTimeout); },
       L"Settings Manager failed to set property value."},
      {L"{\"name\":\"P\",\"status\":false}",
       [](SettingsManager& s) { return s.setVolatileProperty(L"P", 1, kTimeout); },
       L"Settings Manager failed to set property value."},
      {L"{\"name\":\"P\",\"status\":\"yes\"}",
       [](SettingsManager& s) { return s.removeProperty(L"P", kTimeout); },
       L"Failed to read settings manager response status."},
      {L"{\"name\":\"P\",\"status\":false}",
       [](SettingsManager& s) { return s.removeProperty(L"P", kTimeout); },
       L"Settings Manager failed to remove property."},
      {L"{\"name\":\"P\"}", [&sink](SettingsManager& s) { return s.getProperty(L"P", sink, kTimeout); },
       L"Failed to read settings manager response status."},
      {L"{\"name\":\"P\",\"status\":true,\"value\":5}",
       [&sink](SettingsManager& s) { return s.getProperty(L"P", sink, kTimeout); },
       L"Failed to read settings manager response value."},
      {L"not json", [](SettingsManager& s) { return s.removeProperty(L"P", kTimeout); },
       L"Failed to parse settings manager response message. Returning."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reply);
    bus->replyPayload = c.reply;
    const LogScope log;
    EXPECT_FALSE(c.call(client));
    EXPECT_TRUE(log.hasMessage(c.line)) << c.line.c_str();
  }
}

TEST_F(SettingsClientTest, ReplyStatusesOtherThanArrivedFailWithTheirLine) {
  const std::pair<uint32_t, const wchar_t*> single[] = {
      {Ledra::kReplyTimedOut, L"Property request timed out. Returning."},
      {Ledra::kReplyNoReply, L"Property request failed with DATA_ERROR. Returning."},
      {Ledra::kReplyPending, L"Property request failed on wait() with unknown error."},
      {7, L"Property request failed on wait() with unknown error."},
  };
  const std::pair<uint32_t, const wchar_t*> list[] = {
      {Ledra::kReplyTimedOut, L"Property list request timed out. Returning."},
      {Ledra::kReplyNoReply, L"Property list request failed with DATA_ERROR. Returning."},
      {7, L"Property list request failed on wait() with unknown error."},
  };
  answerAll(true);
  for (const auto& c : single) {
    SCOPED_TRACE(c.second);
    bus->replyStatus = c.first;
    const LogScope log;
    EXPECT_FALSE(client.setProperty(L"P", 1, kTimeout));
    EXPECT_EQ(1u, log.count({L"", c.second, L"SettingsManagerClien"}));
  }
  for (const auto& c : list) {
    SCOPED_TRACE(c.second);
    bus->replyStatus = c.first;
    SettingsManager::PropertyMap out;
    const LogScope log;
    const auto results = client.getProperties({L"a"}, out, kTimeout);
    EXPECT_FALSE(results.at(L"a"));
    EXPECT_FALSE(client.getPropertiesByPrefix(L"a", out, kTimeout));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(2u, log.countMessage(c.second));
  }
}

TEST_F(SettingsClientTest, RefusedRequestsLogTheStatusNameAndCode) {
  bus->requestResult = Ledra::MODULE_STATUS_UNSUCCESSFUL;
  const std::wstring code = L"Error code: MODULE_STATUS_UNSUCCESSFUL(2147483650)";
  std::wstring text;
  SettingsManager::PropertyMap out;
  struct Case {
    std::function<bool(SettingsManager&)> call;  // true when the call reported success anywhere
    std::wstring line;
  };
  const Case cases[] = {
      {[](SettingsManager& s) { return s.setProperty(L"P", 1, kTimeout); },
       L"Failed to make set property request. " + code},
      {[&](SettingsManager& s) { return s.getProperty(L"P", text, kTimeout); },
       L"Failed to make get property request. " + code},
      {[](SettingsManager& s) { return s.removeProperty(L"P", kTimeout); },
       L"Failed to make remove property request. " + code},
      {[&](SettingsManager& s) { return s.getProperties({L"P"}, out, kTimeout).at(L"P"); },
       L"Failed to make get properties request. " + code},
      {[&](SettingsManager& s) { return s.getPropertiesByPrefix(L"P", out, kTimeout); },
       L"Failed to make get properties request. " + code},
      {[](SettingsManager& s) {
         return s.setProperties({{L"P", L"1"}}, kTimeout).at(L"P");
       },
       L"Failed to make set properties request. " + code},
      {[](SettingsManager& s) {
         return s.setProperties({{L"P", L"1"}}, kTimeout).at(L"P");
       },
       L"Failed to set properties. Unable to make request."},
      {[](SettingsManager& s) { return s.removeProperties({L"P"}, kTimeout).at(L"P"); },
       L"Failed to make remove properties request. " + code},
      {[](SettingsManager& s) { return s.removePropertiesByPrefix(L"P", kTimeout); },
       L"Failed to make remove properties by prefix request. " + code},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line.c_str());
    const LogScope log;
    EXPECT_FALSE(c.call(client));
    EXPECT_TRUE(log.hasMessage(c.line));
  }
  const LogScope log;
  client.setProperties({{L"P", L"1"}}, kTimeout);
  EXPECT_EQ(1u, log.count({L"Error", L"Failed to set properties. Unable to make request."}));
}

// --- lists ---

TEST_F(SettingsClientTest, GetPropertiesMarksOnlyAnsweredNamesAndSkipsStrangers) {
  bus->replyPayload =
      L"{\"responses\":[{\"name\":\"a\",\"status\":true,\"value\":\"1\"},"
      L"{\"name\":\"c\",\"status\":true,\"value\":\"3\"},{\"status\":true,\"value\":\"4\"}]}";
  SettingsManager::PropertyMap out;
  const LogScope log;
  const auto results = client.getProperties({L"a", L"b"}, out, kTimeout);
  EXPECT_EQ(L"SettingsManager.GetProperties.Request", lastRequest().name);
  EXPECT_EQ(L"{\"properties\":[{\"name\":\"a\"},{\"name\":\"b\"}]}", lastRequest().payload);
  EXPECT_EQ((SettingsManager::ResultMap{{L"a", true}, {L"b", false}}), results);
  EXPECT_EQ((SettingsManager::PropertyMap{{L"a", L"1"}}), out);
  EXPECT_TRUE(log.hasMessage(L"Received an unexpected setting property. Name: c."));
  EXPECT_TRUE(log.hasMessage(L"Failed to read settings property response name."));
}

TEST_F(SettingsClientTest, GetPropertiesChecksEachItemLikeASingleRead) {
  bus->replyPayload =
      L"{\"responses\":[{\"name\":\"a\",\"status\":false},{\"name\":\"b\"},"
      L"{\"name\":\"c\",\"status\":true,\"value\":false},{\"name\":\"d\",\"status\":true,\"value\":\"\"}]}";
  SettingsManager::PropertyMap out;
  const LogScope log;
  const auto results = client.getProperties({L"a", L"b", L"c", L"d"}, out, kTimeout);
  EXPECT_EQ((SettingsManager::ResultMap{{L"a", false}, {L"b", false}, {L"c", false}, {L"d", true}}), results);
  EXPECT_EQ((SettingsManager::PropertyMap{{L"d", L""}}), out);
  EXPECT_TRUE(log.hasMessage(L"Failed to read settings manager response status."));
  EXPECT_TRUE(log.hasMessage(L"Failed to read settings manager response value."));
}

TEST_F(SettingsClientTest, SetPropertiesSendsEntriesInOrderAndMapsEachStatus) {
  bus->replyPayload =
      L"{\"responses\":[{\"name\":\"z\",\"status\":true},{\"name\":\"a\",\"status\":false},"
      L"{\"name\":\"m\"},{\"name\":\"c\",\"status\":true}]}";
  const LogScope log;
  const auto results = client.setProperties({{L"z", L"1"}, {L"a", L"2"}, {L"m", L"3"}}, kTimeout);
  EXPECT_EQ(L"SettingsManager.SetProperties.Request", lastRequest().name);
  EXPECT_EQ(
      L"{\"properties\":[{\"name\":\"z\",\"value\":\"1\",\"volatile\":false},"
      L"{\"name\":\"a\",\"value\":\"2\",\"volatile\":false},{\"name\":\"m\",\"value\":\"3\",\"volatile\":"
      L"false}]}",
      lastRequest().payload);
  EXPECT_EQ((SettingsManager::ResultMap{{L"z", true}, {L"a", false}, {L"m", false}}), results);
  EXPECT_TRUE(log.hasMessage(L"Settings Manager failed to set property value. Property Name: a"));
  EXPECT_TRUE(log.hasMessage(L"Failed to read settings manager response status. Property Name: m"));
  EXPECT_TRUE(log.hasMessage(L"Received unexpected setting property response. Name: c."));

  client.setVolatileProperties({{L"z", L"1"}}, kTimeout);
  EXPECT_EQ(L"{\"properties\":[{\"name\":\"z\",\"value\":\"1\",\"volatile\":true}]}", lastRequest().payload);
}

TEST_F(SettingsClientTest, UnreadableListRepliesLeaveEveryEntryFalse) {
  const wchar_t* replies[] = {L"{\"responses\":{\"name\":\"a\"}}", L"{\"responses\":[\"a\"]}", L"[1]"};
  for (const wchar_t* reply : replies) {
    SCOPED_TRACE(reply);
    bus->replyPayload = reply;
    SettingsManager::PropertyMap out;
    const LogScope log;
    EXPECT_EQ((SettingsManager::ResultMap{{L"a", false}}), client.setProperties({{L"a", L"1"}}, kTimeout));
    EXPECT_EQ((SettingsManager::ResultMap{{L"a", false}}), client.getProperties({L"a"}, out, kTimeout));
    EXPECT_EQ((SettingsManager::ResultMap{{L"a", false}}), client.removeProperties({L"a"}, kTimeout));
    EXPECT_FALSE(client.getPropertiesByPrefix(L"a", out, kTimeout));
    EXPECT_TRUE(log.hasMessage(L"Failed to set properties. Unable to parse responses."));
  }
  bus->replyPayload = L"{\"responses\":7}";
  const LogScope log;
  client.removeProperties({L"a"}, kTimeout);
  EXPECT_EQ(1u, log.count({L"Error", L"Failed to parse statuses from remove properties response."}));
}

TEST_F(SettingsClientTest, RemovePropertiesMapsEachStatusAndReportsAFailedReply) {
  bus->replyPayload =
      L"{\"responses\":[{\"name\":\"a\",\"status\":true},{\"name\":\"b\",\"status\":false},"
      L"{\"name\":\"c\",\"status\":true}]}";
  const LogScope log;
  const auto results = client.removeProperties({L"a", L"b"}, kTimeout);
  EXPECT_EQ(L"SettingsManager.RemoveProperties.Request", lastRequest().name);
  EXPECT_EQ(L"{\"properties\":[{\"name\":\"a\"},{\"name\":\"b\"}]}", lastRequest().payload);
  EXPECT_EQ((SettingsManager::ResultMap{{L"a", true}, {L"b", false}}), results);
  EXPECT_TRUE(log.hasMessage(L"Settings Manager failed to remove property. Property Name: b"));
  EXPECT_TRUE(log.hasMessage(L"Received unexpected setting property. Name: c."));

  bus->replyStatus = Ledra::kReplyTimedOut;
  const LogScope timedOut;
  EXPECT_EQ((SettingsManager::ResultMap{{L"a", false}}), client.removeProperties({L"a"}, kTimeout));
  EXPECT_TRUE(timedOut.hasMessage(
      L"Failed to parse remove properties response. Error code: MODULE_STATUS_TIMEOUT(2147483661)"));
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
  EXPECT_EQ(L"SettingsManager.GetProperties.Request", lastRequest().name);
  EXPECT_EQ(L"{\"properties\":[{\"name\":\"App.\",\"isPrefix\":true},{\"name\":\"Sys.\",\"isPrefix\":true}]}",
            lastRequest().payload);
  EXPECT_EQ((SettingsManager::PropertyMap{{L"App.x", L"1"}, {L"Elsewhere", L"2"}}), out);
  EXPECT_TRUE(log.hasMessage(L"Failed to read settings property response name. Skipping"));

  bus->replyPayload = L"{\"responses\":[]}";
  EXPECT_TRUE(client.getPropertiesByPrefix(L"None.", out, kTimeout));
}

TEST_F(SettingsClientTest, RemoveByPrefixAddsEachRemovedNameAndAnswersThePrefixEntry) {
  bus->replyPayload =
      L"{\"responses\":[{\"name\":\"App.\",\"status\":true},{\"name\":\"App.x\",\"status\":true},"
      L"{\"name\":\"App.y\",\"status\":false}]}";
  const auto results = client.removePropertiesByPrefix(std::vector<std::wstring>{L"App.", L"Sys."}, kTimeout);
  EXPECT_EQ(L"SettingsManager.RemoveProperties.Request", lastRequest().name);
  EXPECT_EQ(L"{\"properties\":[{\"name\":\"App.\",\"isPrefix\":true},{\"name\":\"Sys.\",\"isPrefix\":true}]}",
            lastRequest().payload);
  EXPECT_EQ((SettingsManager::ResultMap{{L"App.", true}, {L"Sys.", false}, {L"App.x", true}}), results);

  EXPECT_TRUE(client.removePropertiesByPrefix(L"App.", kTimeout));
  EXPECT_EQ(L"{\"properties\":[{\"name\":\"App.\",\"isPrefix\":true}]}", lastRequest().payload);
  bus->replyPayload = L"{\"responses\":[{\"name\":\"App.x\",\"status\":true}]}";
  EXPECT_FALSE(client.removePropertiesByPrefix(L"App.", kTimeout));
}

// --- notifications ---

TEST_F(SettingsClientTest, PropertySetWatchFiltersOnTheName) {
  std::vector<std::wstring> one, all;
  ASSERT_TRUE(client.subscribePropertySet([&](const std::wstring& n) { one.push_back(n); }, L"Core.X"));
  ASSERT_TRUE(client.subscribePropertySet([&](const std::wstring& n) { all.push_back(n); }));
  ASSERT_EQ(2u, bus->subscriptions.size());
  for (const auto& s : bus->subscriptions) {
    EXPECT_FALSE(s.filter);
    EXPECT_EQ(L"SETTINGS_MANAGER_PROPERTY_SET", s.nameOrPattern);
    EXPECT_EQ(L"SETTINGS_MANAGER_PROPERTY_SET", s.alias);
  }
  EXPECT_EQ((std::vector<unsigned long>{0, 0}),
            bus->deliver(L"SETTINGS_MANAGER_PROPERTY_SET", L"{\"name\":\"Core.X\"}"));
  EXPECT_EQ((std::vector<unsigned long>{0, 0}),
            bus->deliver(L"SETTINGS_MANAGER_PROPERTY_SET", L"{\"name\":\"Core.Y\"}"));
  bus->deliver(L"SETTINGS_MANAGER_PROPERTY_REMOVED", L"{\"name\":\"Core.X\"}");
  EXPECT_EQ((std::vector<std::wstring>{L"Core.X"}), one);
  EXPECT_EQ((std::vector<std::wstring>{L"Core.X", L"Core.Y"}), all);
}

TEST_F(SettingsClientTest, PropertyRemovedWatchFiltersOnTheName) {
  std::vector<std::wstring> one, all;
  ASSERT_TRUE(client.subscribePropertyRemoved([&](const std::wstring& n) { one.push_back(n); }, L"Core.X"));
  ASSERT_TRUE(client.subscribePropertyRemoved([&](const std::wstring& n) { all.push_back(n); }));
  bus->deliver(L"SETTINGS_MANAGER_PROPERTY_REMOVED", L"{\"name\":\"Core.X\"}");
  bus->deliver(L"SETTINGS_MANAGER_PROPERTY_REMOVED", L"{\"name\":\"Core.XY\"}");
  bus->deliver(L"SETTINGS_MANAGER_PROPERTY_SET", L"{\"name\":\"Core.X\"}");
  EXPECT_EQ((std::vector<std::wstring>{L"Core.X"}), one);
  EXPECT_EQ((std::vector<std::wstring>{L"Core.X", L"Core.XY"}), all);
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
    EXPECT_TRUE(log.hasMessage(c.line));
  }
  EXPECT_EQ(0, calls);
}

TEST_F(SettingsClientTest, NotifySetPatternTakesTheNameUnescaped) {
  std::vector<std::pair<std::wstring, std::wstring>> seen;
  ASSERT_TRUE(client.subscribeNotifySet(
      [&](const std::wstring& n, const std::wstring& v) { seen.emplace_back(n, v); }, L"Core.X"));
  ASSERT_EQ(1u, bus->subscriptions.size());
  EXPECT_TRUE(bus->subscriptions[0].filter);
  EXPECT_EQ(L"^SettingsManager.Notify.Set.Core.X.*", bus->subscriptions[0].nameOrPattern);
  EXPECT_EQ(L"^SettingsManager.Notify.Set.Core.X.*", bus->subscriptions[0].alias);

  const std::pair<const wchar_t*, bool> names[] = {
      {L"SettingsManager.Notify.Set.Core.X", true},
      {L"SettingsManager.Notify.Set.CoreYX", true},  // the dot matches any character
      {L"SettingsManager.Notify.Set.Core.X.Sub", true},
      {L"SettingsManager.Notify.Set.Core.Y", false},
      {L"SettingsManager.Notify.Delete.Core.X", false},
  };
  for (const auto& n : names) {
    SCOPED_TRACE(n.first);
    const auto results = bus->deliver(n.first, L"{\"name\":\"Core.X\",\"value\":\"on\"}");
    EXPECT_EQ(n.second ? 1u : 0u, results.size());
  }
  EXPECT_EQ(3u, seen.size());
  EXPECT_EQ((std::pair<std::wstring, std::wstring>(L"Core.X", L"on")), seen.front());

  ASSERT_TRUE(client.unsubscribeNotifySet(L"Core.X"));
  EXPECT_EQ((std::vector<std::wstring>{L"^SettingsManager.Notify.Set.Core.X.*"}), bus->unsubscribed);
}

TEST_F(SettingsClientTest, NotifyDeleteSubscribesItsOwnPattern) {
  std::vector<std::wstring> seen;
  ASSERT_TRUE(client.subscribeNotifyDelete([&](const std::wstring& n) { seen.push_back(n); }, L"Core.X"));
  ASSERT_EQ(1u, bus->subscriptions.size());
  EXPECT_TRUE(bus->subscriptions[0].filter);
  EXPECT_EQ(L"^SettingsManager.Notify.Delete.Core.X.*", bus->subscriptions[0].nameOrPattern);
  EXPECT_EQ(L"^SettingsManager.Notify.Delete.Core.X.*", bus->subscriptions[0].alias);
  EXPECT_EQ((std::vector<unsigned long>{0}),
            bus->deliver(L"SettingsManager.Notify.Delete.Core.X", L"{\"name\":\"Core.X\"}"));
  bus->deliver(L"SettingsManager.Notify.Set.Core.X", L"{\"name\":\"Core.X\",\"value\":\"v\"}");
  EXPECT_EQ((std::vector<std::wstring>{L"Core.X"}), seen);
  ASSERT_TRUE(client.unsubscribeNotifyDelete(L"Core.X"));
  EXPECT_EQ((std::vector<std::wstring>{L"^SettingsManager.Notify.Delete.Core.X.*"}), bus->unsubscribed);
}

TEST_F(SettingsClientTest, EmptyNameNotifyOperationsDoNothingAndSucceed) {
  EXPECT_TRUE(client.subscribeNotifySet([](const std::wstring&, const std::wstring&) {}, L""));
  EXPECT_TRUE(client.subscribeNotifyDelete([](const std::wstring&) {}, L""));
  EXPECT_TRUE(client.unsubscribeNotifySet(L""));
  EXPECT_TRUE(client.unsubscribeNotifyDelete(L""));
  EXPECT_TRUE(bus->subscriptions.empty());
  EXPECT_TRUE(bus->unsubscribed.empty());
}

TEST_F(SettingsClientTest, BusRefusalsMakeSubscribeOperationsFalse) {
  bus->subscribeResult = Ledra::MODULE_STATUS_UNSUCCESSFUL;
  bus->unsubscribeResult = Ledra::MODULE_STATUS_UNSUCCESSFUL;
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
