// The service's protocol and store without a bus: what each request is
// answered with, which notifications follow, what reaches the state file.
#include "kit/SettingsManager/SettingsService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "kit/SettingsManager/PropertyStore.h"
#include "tests/kit/SettingsManager/TempState.h"
#include "wrappers/ScopedHandle.h"

namespace settings_kit_test {
namespace {

using SettingsKit::Answer;
using SettingsKit::Outgoing;
using SettingsKit::PropertyStore;
using SettingsKit::SettingsService;

std::vector<std::wstring> names(const std::vector<Outgoing>& notifications) {
  std::vector<std::wstring> result;
  for (const auto& n : notifications) result.push_back(n.name + L" " + n.payload);
  return result;
}

class SettingsServiceTest : public ::testing::Test {
 protected:
  TempState state;
  std::shared_ptr<PropertyStore> store = std::make_shared<PropertyStore>(state.path());
  SettingsService service{store};

  void SetUp() override { ASSERT_TRUE(store->load()); }  // a missing file is an empty store

  Answer ask(const wchar_t* name, const wchar_t* payload) { return service.handle(name, payload); }

  // What a fresh service on the same state file holds.
  std::wstring afterRestart(const wchar_t* name) {
    auto reopened = std::make_shared<PropertyStore>(state.path());
    EXPECT_TRUE(reopened->load());
    SettingsService again(reopened);
    return again.handle(L"SETTINGS_MANAGER_GET_PROPERTY", L"{\"name\":\"" + std::wstring(name) + L"\"}")
        .reply;
  }
};

TEST_F(SettingsServiceTest, WriteIsAnsweredStoredAndAnnouncedTwice) {
  const Answer set =
      ask(L"SETTINGS_MANAGER_SET_PROPERTY", L"{\"name\":\"A.b\",\"value\":\"1\",\"volatile\":false}");
  EXPECT_EQ(L"{\"name\":\"A.b\",\"status\":true}", set.reply);
  EXPECT_EQ((std::vector<std::wstring>{L"SETTINGS_MANAGER_PROPERTY_SET {\"name\":\"A.b\"}",
                                       L"SettingsManager.Notify.Set.A.b {\"name\":\"A.b\",\"value\":\"1\"}"}),
            names(set.notifications));
  EXPECT_EQ(L"{\"name\":\"A.b\",\"status\":true,\"value\":\"1\"}",
            ask(L"SETTINGS_MANAGER_GET_PROPERTY", L"{\"name\":\"A.b\"}").reply);
  EXPECT_EQ(L"{\"name\":\"A.b\",\"status\":true,\"value\":\"1\"}", afterRestart(L"A.b"));
}

TEST_F(SettingsServiceTest, VolatilePropertiesStayOutOfTheStateFile) {
  ask(L"SETTINGS_MANAGER_SET_PROPERTY", L"{\"name\":\"Keep\",\"value\":\"k\",\"volatile\":false}");
  ask(L"SETTINGS_MANAGER_SET_PROPERTY", L"{\"name\":\"Gone\",\"value\":\"g\",\"volatile\":false}");
  // A persisted property made volatile leaves the file too.
  const Answer set =
      ask(L"SETTINGS_MANAGER_SET_PROPERTY", L"{\"name\":\"Gone\",\"value\":\"v\",\"volatile\":true}");
  EXPECT_EQ(L"{\"name\":\"Gone\",\"status\":true}", set.reply);
  EXPECT_EQ(2u, set.notifications.size());
  ask(L"SettingsManager.SetProperties.Request",
      L"{\"properties\":[{\"name\":\"Temp\",\"value\":\"t\",\"volatile\":true}]}");

  EXPECT_EQ(L"{\"name\":\"Gone\",\"status\":true,\"value\":\"v\"}",
            ask(L"SETTINGS_MANAGER_GET_PROPERTY", L"{\"name\":\"Gone\"}").reply);
  EXPECT_EQ(L"{\"name\":\"Keep\",\"status\":true,\"value\":\"k\"}", afterRestart(L"Keep"));
  EXPECT_EQ(L"{\"name\":\"Gone\",\"status\":false,\"value\":\"\"}", afterRestart(L"Gone"));
  EXPECT_EQ(L"{\"name\":\"Temp\",\"status\":false,\"value\":\"\"}", afterRestart(L"Temp"));
}

TEST_F(SettingsServiceTest, RemoveAnswersWhetherThePropertyExistedAndAnnouncesIt) {
  ask(L"SETTINGS_MANAGER_SET_PROPERTY", L"{\"name\":\"R\",\"value\":\"1\"}");
  const Answer removed = ask(L"SETTINGS_MANAGER_REMOVE_PROPERTY", L"{\"name\":\"R\"}");
  EXPECT_EQ(L"{\"name\":\"R\",\"status\":true}", removed.reply);
  EXPECT_EQ((std::vector<std::wstring>{L"SETTINGS_MANAGER_PROPERTY_REMOVED {\"name\":\"R\"}",
                                       L"SettingsManager.Notify.Delete.R {\"name\":\"R\"}"}),
            names(removed.notifications));
  const Answer again = ask(L"SETTINGS_MANAGER_REMOVE_PROPERTY", L"{\"name\":\"R\"}");
  EXPECT_EQ(L"{\"name\":\"R\",\"status\":false}", again.reply);
  EXPECT_TRUE(again.notifications.empty());
  EXPECT_EQ(L"{\"name\":\"R\",\"status\":false,\"value\":\"\"}", afterRestart(L"R"));
}

TEST_F(SettingsServiceTest, ListsAnswerEachEntryInOrder) {
  const Answer set = ask(L"SettingsManager.SetProperties.Request",
                         L"{\"properties\":[{\"name\":\"L.a\",\"value\":\"1\",\"volatile\":false},"
                         L"{\"name\":\"L.b\",\"volatile\":false},{\"value\":\"3\"}]}");
  EXPECT_EQ(
      L"{\"responses\":[{\"name\":\"L.a\",\"status\":true},{\"name\":\"L.b\",\"status\":false},"
      L"{\"status\":false}]}",
      set.reply);
  EXPECT_EQ(2u, set.notifications.size());  // only the entry that was written

  const Answer get = ask(L"SettingsManager.GetProperties.Request",
                         L"{\"properties\":[{\"name\":\"L.b\"},{\"name\":\"L.a\"}]}");
  EXPECT_EQ(
      L"{\"responses\":[{\"name\":\"L.b\",\"status\":false},{\"name\":\"L.a\",\"status\":true,\"value\":"
      L"\"1\"}]}",
      get.reply);

  const Answer removed = ask(L"SettingsManager.RemoveProperties.Request",
                             L"{\"properties\":[{\"name\":\"L.a\"},{\"name\":\"L.b\"}]}");
  EXPECT_EQ(L"{\"responses\":[{\"name\":\"L.a\",\"status\":true},{\"name\":\"L.b\",\"status\":false}]}",
            removed.reply);
  EXPECT_EQ(2u, removed.notifications.size());
}

TEST_F(SettingsServiceTest, PrefixEntriesSelectByTheStartOfTheName) {
  ask(L"SettingsManager.SetProperties.Request",
      L"{\"properties\":[{\"name\":\"P.x\",\"value\":\"1\"},{\"name\":\"P.y\",\"value\":\"2\"},"
      L"{\"name\":\"Q.z\",\"value\":\"3\"},{\"name\":\"PX\",\"value\":\"4\"}]}");
  const Answer get =
      ask(L"SettingsManager.GetProperties.Request",
          L"{\"properties\":[{\"name\":\"P.\",\"isPrefix\":true},{\"name\":\"None.\",\"isPrefix\":true}]}");
  EXPECT_EQ(
      L"{\"responses\":[{\"name\":\"P.x\",\"status\":true,\"value\":\"1\"},"
      L"{\"name\":\"P.y\",\"status\":true,\"value\":\"2\"}]}",
      get.reply);

  const Answer removed = ask(L"SettingsManager.RemoveProperties.Request",
                             L"{\"properties\":[{\"name\":\"P.\",\"isPrefix\":true}]}");
  EXPECT_EQ(
      L"{\"responses\":[{\"name\":\"P.x\",\"status\":true},{\"name\":\"P.y\",\"status\":true},"
      L"{\"name\":\"P.\",\"status\":true}]}",
      removed.reply);
  EXPECT_EQ((std::vector<std::wstring>{L"SETTINGS_MANAGER_PROPERTY_REMOVED {\"name\":\"P.x\"}",
                                       L"SettingsManager.Notify.Delete.P.x {\"name\":\"P.x\"}",
                                       L"SETTINGS_MANAGER_PROPERTY_REMOVED {\"name\":\"P.y\"}",
                                       L"SettingsManager.Notify.Delete.P.y {\"name\":\"P.y\"}"}),
            names(removed.notifications));
  EXPECT_EQ(L"{\"name\":\"Q.z\",\"status\":true,\"value\":\"3\"}", afterRestart(L"Q.z"));
  EXPECT_EQ(L"{\"name\":\"P.x\",\"status\":false,\"value\":\"\"}", afterRestart(L"P.x"));
}

TEST_F(SettingsServiceTest, UnknownNamesAndMalformedRequestsAreAnsweredWithStatusFalseAndAnnounceNothing) {
  struct Case {
    const wchar_t* name;
    const wchar_t* payload;
    const wchar_t* reply;
  };
  const Case cases[] = {
      {L"SETTINGS_MANAGER_GET_PROPERTY", L"{\"name\":\"Nope\"}",
       L"{\"name\":\"Nope\",\"status\":false,\"value\":\"\"}"},
      {L"SETTINGS_MANAGER_SET_PROPERTY", L"not json", L"{\"status\":false}"},
      {L"SETTINGS_MANAGER_SET_PROPERTY", L"{\"value\":\"1\"}", L"{\"status\":false}"},
      {L"SETTINGS_MANAGER_SET_PROPERTY", L"{\"name\":\"M\",\"value\":1}",
       L"{\"name\":\"M\",\"status\":false}"},
      {L"SETTINGS_MANAGER_GET_PROPERTY", L"[\"M\"]", L"{\"status\":false}"},
      {L"SETTINGS_MANAGER_REMOVE_PROPERTY", L"{\"name\":5}", L"{\"status\":false}"},
      {L"SettingsManager.GetProperties.Request", L"{\"properties\":{}}",
       L"{\"responses\":[],\"status\":false}"},
      {L"SettingsManager.SetProperties.Request", L"", L"{\"responses\":[],\"status\":false}"},
      {L"SettingsManager.RemoveProperties.Request", L"{\"properties\":[1]}",
       L"{\"responses\":[],\"status\":false}"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.payload);
    const Answer answer = ask(c.name, c.payload);
    EXPECT_EQ(c.reply, answer.reply);
    EXPECT_TRUE(answer.notifications.empty());
  }
}

TEST_F(SettingsServiceTest, ReplyNamesNeverNameARequest) {
  const auto& requests = SettingsService::requestNames();
  ASSERT_EQ(6u, requests.size());
  for (const auto& request : requests) {
    const std::wstring reply = SettingsService::replyName(request);
    EXPECT_EQ(requests.end(), std::find(requests.begin(), requests.end(), reply)) << reply.c_str();
  }
}

TEST(PropertyStoreTest, UnreadableStateFileStartsEmptyAndIsReplacedOnWrite) {
  TempState state;
  {
    PropertyStore first(state.path());
    ASSERT_TRUE(first.set(L"A", L"1", false));  // makes the folder and the file
  }
  {
    Ledra::ScopedFileHandle file(
        CreateFileW(state.path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file.valid());
    DWORD written = 0;
    WriteFile(file.get(), "garbage", 7, &written, nullptr);
  }

  PropertyStore broken(state.path());
  EXPECT_FALSE(broken.load());
  std::wstring value;
  EXPECT_FALSE(broken.get(L"A", value));
  ASSERT_TRUE(broken.set(L"B", L"2", false));
  PropertyStore reopened(state.path());
  ASSERT_TRUE(reopened.load());
  ASSERT_TRUE(reopened.get(L"B", value));
  EXPECT_EQ(L"2", value);
}

}  // namespace
}  // namespace settings_kit_test
