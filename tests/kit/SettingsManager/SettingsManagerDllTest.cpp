// The signed SettingsManager.dll driven through its module function table on
// the real MessageBus.dll, with a real SettingsManagerClient talking to it over
// a bus client of its own: the whole settings protocol end to end.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "bus/MessageBusClient.h"
#include "include/ModuleFunctionTable.h"
#include "include/ModuleStatus.h"
#include "message/Message.h"
#include "message/Reply.h"
#include "settings/SettingsManagerClient.h"
#include "module/SettingsRegistration.h"
#include "tests/kit/KitBus.h"
#include "tests/kit/SettingsManager/TempState.h"
#include "wrappers/ScopedHandle.h"

namespace settings_kit_test {
namespace {

using Ledra::SettingsManager;
using Ledra::SettingsManagerClient;

using Inbox = kit_test::Inbox<std::wstring>;

const SettingsManager::Timeout kTimeout(10000);

uint32_t noUnload(void*, const wchar_t*, void*) { return 0; }

// One life of the service module: NewModule to DestroyModule.
class ServiceModule {
 public:
  ServiceModule(const Ledra::ModuleFunctionTable* table, const Ledra::BusFunctions* bus, void* busHandle,
                const std::wstring& stateFile)
      : table_(table) {
    status_ = table_->newModule(&handle_, L"settingskit");
    if (status_ != 0) return;
    const wchar_t* names[] = {L"StateFile"};
    const wchar_t* values[] = {stateFile.c_str()};
    status_ = table_->initializeModuleV2(handle_, L"SettingsManager", L"", 1, names, values, nullptr,
                                         noUnload, busHandle, bus);
    if (status_ == 0) status_ = table_->startModule(handle_);
  }
  ~ServiceModule() {
    if (handle_ == nullptr) return;
    table_->stopModule(handle_);
    table_->uninitializeModule(handle_);
    table_->destroyModule(handle_);
  }
  uint32_t status() const { return status_; }

 private:
  const Ledra::ModuleFunctionTable* table_;
  void* handle_ = nullptr;
  uint32_t status_ = Ledra::MODULE_STATUS_UNSUCCESSFUL;
};

class SettingsManagerDllTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library_.reset(LoadLibraryW(L"SettingsManager.dll"));
    ASSERT_TRUE(library_) << "SettingsManager.dll not loadable: " << GetLastError();
    auto create = kit_test::procAddress<Ledra::ModuleCreateObjectFn>(library_.get(), "CreateObject");
    ASSERT_NE(nullptr, create);
    table_ = create();
    ASSERT_NE(nullptr, table_);
    ASSERT_NE(nullptr, handle_.get());
    service_ = std::make_unique<ServiceModule>(table_, bus_.table(), handle_.get(), state_.path());
    ASSERT_EQ(0u, service_->status());
    client_ = std::make_unique<SettingsManagerClient>(std::make_shared<Ledra::MessageBusClient>());
  }
  void TearDown() override {
    client_.reset();
    service_.reset();
  }

  TempState state_;
  Ledra::ScopedLibrary library_;
  const Ledra::ModuleFunctionTable* table_ = nullptr;
  kit_test::LoadedBus bus_;
  kit_test::BusHandle handle_{bus_.table()};
  std::unique_ptr<ServiceModule> service_;
  std::unique_ptr<SettingsManagerClient> client_;
};

TEST_F(SettingsManagerDllTest, WrittenPropertiesReadBackInEveryForm) {
  ASSERT_TRUE(client_->setProperty(L"Kit.Int", -42, kTimeout));
  ASSERT_TRUE(client_->setProperty(L"Kit.Double", 0.1, kTimeout));
  ASSERT_TRUE(client_->setProperty(L"Kit.Flag", true, kTimeout));
  ASSERT_TRUE(client_->setProperty(L"Kit.Text", L"hello", kTimeout));

  int i = 0;
  double d = 0;
  bool b = false;
  std::wstring text;
  ASSERT_TRUE(client_->getProperty(L"Kit.Int", i, kTimeout));
  ASSERT_TRUE(client_->getProperty(L"Kit.Double", d, kTimeout));
  ASSERT_TRUE(client_->getProperty(L"Kit.Flag", b, kTimeout));
  ASSERT_TRUE(client_->getProperty(L"Kit.Text", text, kTimeout));
  EXPECT_EQ(-42, i);
  EXPECT_DOUBLE_EQ(0.1, d);
  EXPECT_TRUE(b);
  EXPECT_EQ(L"hello", text);
  EXPECT_FALSE(client_->getProperty(L"Kit.Missing", text, kTimeout));
}

TEST_F(SettingsManagerDllTest, ListAndPrefixOperationsAnswerPerName) {
  const auto written =
      client_->setProperties({{L"List.a", L"1"}, {L"List.b", L"2"}, {L"Other.c", L"3"}}, kTimeout);
  EXPECT_EQ((SettingsManager::ResultMap{{L"List.a", true}, {L"List.b", true}, {L"Other.c", true}}), written);

  SettingsManager::PropertyMap values;
  const auto read = client_->getProperties({L"List.a", L"List.none"}, values, kTimeout);
  EXPECT_EQ((SettingsManager::ResultMap{{L"List.a", true}, {L"List.none", false}}), read);
  EXPECT_EQ((SettingsManager::PropertyMap{{L"List.a", L"1"}}), values);

  SettingsManager::PropertyMap byPrefix;
  ASSERT_TRUE(client_->getPropertiesByPrefix(L"List.", byPrefix, kTimeout));
  EXPECT_EQ((SettingsManager::PropertyMap{{L"List.a", L"1"}, {L"List.b", L"2"}}), byPrefix);

  EXPECT_TRUE(client_->removePropertiesByPrefix(L"List.", kTimeout));
  byPrefix.clear();
  ASSERT_TRUE(client_->getPropertiesByPrefix(L"List.", byPrefix, kTimeout));
  EXPECT_TRUE(byPrefix.empty());

  const auto removed = client_->removeProperties({L"Other.c", L"Other.none"}, kTimeout);
  EXPECT_EQ((SettingsManager::ResultMap{{L"Other.c", true}, {L"Other.none", false}}), removed);
  EXPECT_TRUE(client_->setProperty(L"Single", 1, kTimeout));
  EXPECT_TRUE(client_->removeProperty(L"Single", kTimeout));
  EXPECT_FALSE(client_->removeProperty(L"Single", kTimeout));
}

TEST_F(SettingsManagerDllTest, SubscribersHearOfWritesAndRemovals) {
  Inbox propertySet, notifySet, removed, notifyDelete;
  ASSERT_TRUE(client_->subscribePropertySet([&](const std::wstring& n) { propertySet.add(n); }, L"Watch.A"));
  ASSERT_TRUE(client_->subscribeNotifySet(
      [&](const std::wstring& n, const std::wstring& v) { notifySet.add(n + L"=" + v); }, L"Watch.A"));
  ASSERT_TRUE(client_->subscribePropertyRemoved([&](const std::wstring& n) { removed.add(n); }, L"Watch.A"));
  ASSERT_TRUE(
      client_->subscribeNotifyDelete([&](const std::wstring& n) { notifyDelete.add(n); }, L"Watch.A"));

  ASSERT_TRUE(client_->setProperty(L"Watch.Other", L"x", kTimeout));  // filtered out by name
  ASSERT_TRUE(client_->setProperty(L"Watch.A", L"on", kTimeout));
  ASSERT_TRUE(propertySet.waitFor(1));
  ASSERT_TRUE(notifySet.waitFor(1));
  ASSERT_TRUE(client_->removeProperty(L"Watch.A", kTimeout));
  ASSERT_TRUE(removed.waitFor(1));
  ASSERT_TRUE(notifyDelete.waitFor(1));

  // Everything for Watch.Other was published before Watch.A's notifications, on the same subscriptions.
  EXPECT_EQ((std::vector<std::wstring>{L"Watch.A"}), propertySet.items());
  EXPECT_EQ((std::vector<std::wstring>{L"Watch.A=on"}), notifySet.items());
  EXPECT_EQ((std::vector<std::wstring>{L"Watch.A"}), removed.items());
  EXPECT_EQ((std::vector<std::wstring>{L"Watch.A"}), notifyDelete.items());

  ASSERT_TRUE(client_->unsubscribeNotifySet(L"Watch.A"));
  ASSERT_TRUE(client_->setProperty(L"Watch.A", L"again", kTimeout));
  ASSERT_TRUE(propertySet.waitFor(2));      // the name watch still hears it ...
  EXPECT_EQ(1u, notifySet.items().size());  // ... the ended one, published just before, did not
}

TEST_F(SettingsManagerDllTest, MalformedRequestGetsAReplyWithStatusFalse) {
  Ledra::MessageBusClient raw;
  std::shared_ptr<Ledra::Reply> reply;
  ASSERT_EQ(0u, raw.request(Ledra::Message::create(L"SETTINGS_MANAGER_GET_PROPERTY", L"test", L"not json"),
                            reply, kTimeout));
  ASSERT_EQ(Ledra::kReplyArrived, reply->wait());
  EXPECT_EQ(L"SettingsManager.Reply.SETTINGS_MANAGER_GET_PROPERTY", reply->getMessage()->getName());
  EXPECT_EQ(L"{\"status\":false}", reply->getMessage()->getPayload());
}

TEST_F(SettingsManagerDllTest, GetInstanceAndTheRegisteredClientReachTheServiceOnTheProcessBus) {
  std::unique_ptr<SettingsManager> instance = SettingsManagerClient::getInstance();
  ASSERT_NE(nullptr, instance);
  ASSERT_TRUE(instance->setProperty(L"Instance.A", 5ll, kTimeout));
  long long value = 0;
  ASSERT_TRUE(client_->getProperty(L"Instance.A", value, kTimeout));
  EXPECT_EQ(5ll, value);

  Basalt::IOCContainer container;
  Ledra::registerSettingsManager(container);
  const auto asInterface = container.resolve<SettingsManager>();
  const auto asClient = container.resolve<SettingsManagerClient>(Basalt::kUnnamedRegistration);
  ASSERT_NE(nullptr, asInterface);
  EXPECT_EQ(asInterface.get(), static_cast<SettingsManager*>(asClient.get()));
  EXPECT_EQ(1u, container.registrationCount<SettingsManager>());
  ASSERT_TRUE(asInterface->setProperty(L"Registered.A", L"yes", kTimeout));
  std::wstring text;
  ASSERT_TRUE(client_->getProperty(L"Registered.A", text, kTimeout));
  EXPECT_EQ(L"yes", text);
}

}  // namespace
}  // namespace settings_kit_test
