// The fault switches and the BxHubHelper object.
#include "KitTestSupport.h"

#include <oleauto.h>
#include <shlobj.h>

#include <functional>

namespace BxKitTest {
namespace {

using V = Values;
using FaultTest = KitTest;

TEST_F(FaultTest, SwitchedFaultsFailTheirOperationUntilCleared) {
  struct Case {
    const wchar_t* operation;
    bool hasResult;  // whether the operation writes a result code
    std::function<HRESULT(KitTest&, long*)> call;
  };
  FakeBag bag;
  const Case cases[] = {
      {L"SetSecurityLevel", true,
       [&](KitTest&, long* r) { return Settings()->SetSecurityLevel(V::Int(4).get(), bag.desc(), r); }},
      {L"GetHips", true, [&](KitTest&, long* r) { return Settings()->GetHips(bag.desc(), r); }},
      {L"GetConfig", true,
       [&](KitTest&, long* r) {
         Ledra::ScopedVariant value;
         return FirewallConfig()->GetConfig(kBxConfigFirewall, value.receive(), r);
       }},
      {L"Enable", true, [&](KitTest&, long* r) { return FirewallConfig()->Enable(r); }},
      {L"IsAdmin", false,
       [&](KitTest&, long*) {
         VARIANT_BOOL admin = VARIANT_FALSE;
         return HubHelper()->IsAdmin(&admin);
       }},
      {L"OpenFile", false,
       [&](KitTest&, long*) {
         Ledra::ScopedVariant path;
         return HubHelper()->OpenFile(1, nullptr, path.receive());
       }},
  };
  for (const Case& c : cases) {
    const std::string name(c.operation, c.operation + wcslen(c.operation));
    SetFault(c.operation, L".hr", static_cast<DWORD>(E_ACCESSDENIED));
    long result = 0;
    EXPECT_EQ(c.call(*this, &result), E_ACCESSDENIED) << name;

    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);
    result = -1;
    EXPECT_EQ(c.call(*this, &result), S_OK) << name;
    if (c.hasResult) {
      EXPECT_EQ(result, 0) << name;
      SetFault(c.operation, L".result", 0x2A);
      EXPECT_EQ(c.call(*this, &result), S_OK) << name;
      EXPECT_EQ(result, 0x2A) << name;
      ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);
    }
  }
  // A faulted change changes nothing (the loop above left the level at 4).
  SetFault(L"SetSecurityLevel", L".result", 7);
  long result = 0;
  ASSERT_HRESULT_SUCCEEDED(Settings()->SetSecurityLevel(V::Int(2).get(), bag.desc(), &result));
  EXPECT_EQ(result, 7);
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);
  FakeBag read;
  ASSERT_HRESULT_SUCCEEDED(Settings()->GetSecurityLevel(read.desc(), &result));
  ASSERT_NE(read.Find(L"Level"), nullptr);
  EXPECT_EQ(read.Find(L"Level")->lVal, 4);
}

TEST_F(FaultTest, SpoilingSwitchesLetTheCallWorkAndSpoilWhatItHandsBack) {
  long result = -1;
  // .type: a bag entry converted (4 becomes the text "4"), one that cannot be
  // converted holding 16, the configuration object turned into a number.
  SetFault(L"GetSecurityLevel", L".type", VT_BSTR);
  FakeBag bag;
  ASSERT_EQ(Settings()->GetSecurityLevel(bag.desc(), &result), S_OK);
  EXPECT_EQ(result, 0);
  ASSERT_NE(bag.Find(L"Level"), nullptr);
  ASSERT_EQ(bag.Find(L"Level")->vt, VT_BSTR);
  EXPECT_STREQ(bag.Find(L"Level")->bstrVal, L"1");
  SetFault(L"GetConfig", L".type", VT_I4);
  Ledra::ScopedVariant config;
  ASSERT_EQ(FirewallConfig()->GetConfig(kBxConfigFirewall, config.receive(), &result), S_OK);
  EXPECT_EQ(config.get().vt, VT_I4);
  EXPECT_EQ(config.get().lVal, 16);
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);

  // .null: objects handed back are null, the call still succeeds.
  SetFault(L"GetConfig", L".null", 1);
  config.reset();
  ASSERT_EQ(FirewallConfig()->GetConfig(kBxConfigIpRules, config.receive(), &result), S_OK);
  EXPECT_EQ(config.get().vt, VT_DISPATCH);
  EXPECT_EQ(config.get().pdispVal, nullptr);
  SetFault(L"OpenFile", L".null", 1);
  SetMachineText(L"OpenFilePath", L"C:\\tool.exe");
  Ledra::ScopedVariant path;
  ASSERT_EQ(HubHelper()->OpenFile(1, nullptr, path.receive()), S_OK);
  EXPECT_EQ(path.get().vt, VT_ARRAY | VT_VARIANT);
  EXPECT_EQ(path.get().parray, nullptr);
  SetFault(L"CreateInstance", L".null", 1);
  ComPtr<IBxHubHelper> none;
  EXPECT_EQ(CreateThroughFactory(CLSID_BxHubHelper, IID_IBxHubHelper, &none), S_OK);
  EXPECT_EQ(none.Get(), nullptr);
}

using HubHelperTest = KitTest;

TEST_F(HubHelperTest, OpenFileAnswersTheConfiguredPathOrEmpty) {
  Ledra::ScopedVariant path;
  ASSERT_EQ(HubHelper()->OpenFile(1, nullptr, path.receive()), S_OK);
  EXPECT_EQ(path.get().vt, VT_EMPTY);

  SetMachineText(L"OpenFilePath", L"C:\\Program Files\\Tool\\tool.exe");
  ASSERT_EQ(HubHelper()->OpenFile(1, nullptr, path.receive()), S_OK);
  ASSERT_EQ(path.get().vt, VT_ARRAY | VT_VARIANT);
  LONG low = -1, high = -1;
  ASSERT_HRESULT_SUCCEEDED(::SafeArrayGetLBound(path.get().parray, 1, &low));
  ASSERT_HRESULT_SUCCEEDED(::SafeArrayGetUBound(path.get().parray, 1, &high));
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 0);
  Ledra::ScopedVariant element;
  LONG index = 0;
  ASSERT_HRESULT_SUCCEEDED(::SafeArrayGetElement(path.get().parray, &index, element.receive()));
  ASSERT_EQ(element.get().vt, VT_BSTR);
  EXPECT_STREQ(element.get().bstrVal, L"C:\\Program Files\\Tool\\tool.exe");
}

TEST_F(HubHelperTest, IsAdminAnswersTheProcessTokensMembership) {
  VARIANT_BOOL admin = 0x1234;
  ASSERT_EQ(HubHelper()->IsAdmin(&admin), S_OK);
  EXPECT_EQ(admin, ::IsUserAnAdmin() ? VARIANT_TRUE : VARIANT_FALSE);
  EXPECT_EQ(HubHelper()->IsAdmin(nullptr), E_POINTER);
}

}  // namespace
}  // namespace BxKitTest
