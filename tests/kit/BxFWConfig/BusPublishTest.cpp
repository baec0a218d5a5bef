// The as_Get operations publish their lists on the process-wide bus of the
// real MessageBus.dll beside the component.
#include "KitTestSupport.h"

#include <mutex>

#include "include/BusLibrary.h"
#include "include/MessageHeader.h"
#include "wrappers/ScopedHandle.h"

namespace BxKitTest {
namespace {

using V = Values;

// One subscriber on the bus that keeps the last payload under each name.
class BusListener {
 public:
  BusListener()
      : arrived_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
        library_(::LoadLibraryW((BinFolder() + L"\\MessageBus.dll").c_str())) {
    if (!library_) return;
    auto create = reinterpret_cast<Ledra::BusCreateObjectFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(library_.get(), "CreateObject")));
    functions_ = create ? create(Ledra::kBusLibraryVersion) : nullptr;
    if (functions_ && functions_->create(&handle_) != 0) handle_ = nullptr;
  }
  ~BusListener() {
    for (uint32_t id : subscriptions_) functions_->unsubscribe(handle_, id);
    if (handle_) functions_->release(handle_);
  }
  bool ready() const { return handle_ != nullptr; }
  bool Subscribe(const wchar_t* name) {
    const uint32_t id = functions_->subscribe(handle_, this, &BusListener::Deliver, name);
    if (id != 0) subscriptions_.push_back(id);
    return id != 0;
  }
  // The payload published under name, waiting up to ten seconds for it.
  std::wstring Await(const std::wstring& name) {
    for (int round = 0; round < 100; ++round) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = payloads_.find(name);
        if (found != payloads_.end()) return found->second;
      }
      ::WaitForSingleObject(arrived_.get(), 100);
    }
    return L"<nothing published>";
  }

 private:
  static uint32_t Deliver(void* context, const Ledra::MessageHeader*, const wchar_t* name, const wchar_t*,
                          const wchar_t* payload) {
    auto* self = static_cast<BusListener*>(context);
    {
      std::lock_guard<std::mutex> lock(self->mutex_);
      self->payloads_[name] = payload;
    }
    ::SetEvent(self->arrived_.get());
    return 0;
  }

  Ledra::ScopedHandle arrived_;
  Ledra::ScopedLibrary library_;
  const Ledra::BusFunctions* functions_ = nullptr;
  void* handle_ = nullptr;
  std::vector<uint32_t> subscriptions_;
  std::mutex mutex_;
  std::map<std::wstring, std::wstring> payloads_;
};

using BusPublishTest = KitTest;

TEST_F(BusPublishTest, ListsArePublishedAsJsonUnderTheComponentsNames) {
  BusListener bus;
  ASSERT_TRUE(bus.ready());
  const wchar_t* const names[] = {
      L"Core.Firewall.Component.ProgramPermissions", L"Core.Firewall.Component.IPAddresses",
      L"Core.Firewall.Component.SystemServices", L"Core.Firewall.Component.IPReputation"};
  for (const wchar_t* name : names) ASSERT_TRUE(bus.Subscribe(name));

  ComPtr<IBxFWSettings> settings = Settings();
  FakeBag bag;
  long result = -1;
  ASSERT_HRESULT_SUCCEEDED(settings->AddProgramPermission(V::Text(L"C:\\Apps\\\"quoted\".exe").get(),
                                                          V::Int(1).get(), V::Int(0).get(), V::Int(1).get(),
                                                          bag.desc(), &result));
  ASSERT_EQ(result, 0);
  ASSERT_HRESULT_SUCCEEDED(settings->as_GetProgramPermissions(bag.desc(), &result));
  ASSERT_EQ(result, 0);
  ASSERT_HRESULT_SUCCEEDED(settings->as_GetIPAddresses(bag.desc(), &result));
  ASSERT_HRESULT_SUCCEEDED(settings->as_GetSystemServices(bag.desc(), &result));
  ASSERT_HRESULT_SUCCEEDED(settings->as_GetIPReputation(bag.desc(), &result));

  const std::wstring programs = bus.Await(names[0]);
  EXPECT_EQ(programs.rfind(L"{\"programs\":[{\"id\":1,", 0), 0u) << programs;
  EXPECT_NE(
      programs.find(L"{\"id\":3,\"file\":\"C:\\\\Apps\\\\\\\"quoted\\\".exe\",\"permission\":1,\"scope\":0,"
                    L"\"net_guard\":1}]}"),
      std::wstring::npos)
      << programs;
  EXPECT_NE(bus.Await(names[1]).find(L"\"start\":\"192.168.0.1\""), std::wstring::npos);
  EXPECT_NE(bus.Await(names[2]).find(L"\"name\":\"DNS\""), std::wstring::npos);
  EXPECT_EQ(bus.Await(names[3]).rfind(L"{\"enabled\":true,\"entries\":[{\"id\":1,\"action\":true}", 0), 0u);
}

}  // namespace
}  // namespace BxKitTest
