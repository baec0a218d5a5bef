// The fault switches that make the component fail or spoil what it hands back.
#include "KitTestSupport.h"

#include <functional>

namespace BxKitTest {
namespace {

using V = Values;
using FaultTest = KitTest;

TEST_F(FaultTest, SwitchedFaultsFailTheirOperationUntilCleared) {
  struct Case {
    const wchar_t* operation;
    bool hasResult;  // whether the operation writes a result code
    std::function<HRESULT(long*)> call;
  };
  Bag bag;
  const Case cases[] = {
      {L"SetSecurityLevel", true,
       [&](long* r) { return Settings()->SetSecurityLevel(V::Int(4).get(), bag.desc(), r); }},
      {L"GetHips", true, [&](long* r) { return Settings()->GetHips(bag.desc(), r); }},
      {L"GetConfig", true,
       [&](long* r) {
         Ledra::ScopedVariant value;
         return FirewallConfig()->GetConfig(kBxConfigFirewall, value.receive(), r);
       }},
      {L"Enable", true, [&](long* r) { return FirewallConfig()->Enable(r); }},
      {L"IsAdmin", false,
       [&](long*) {
         VARIANT_BOOL admin = VARIANT_FALSE;
         return HubHelper()->IsAdmin(&admin);
       }},
      {L"OpenFile", false,
       [&](long*) {
         Ledra::ScopedVariant path;
         return HubHelper()->OpenFile(1, nullptr, path.receive());
       }},
  };
  for (const Case& c : cases) {
    const std::string name(c.operation, c.operation + wcslen(c.operation));
    SetFault(c.operation, L".hr", static_cast<DWORD>(E_ACCESSDENIED));
    long result = 0;
    EXPECT_EQ(c.call(&result), E_ACCESSDENIED) << name;

    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kFaultsKey);
    result = -1;
    EXPECT_EQ(c.call(&result), S_OK) << name;
    if (c.hasResult) {
      EXPECT_EQ(result, 0) << name;
      SetFault(c.operation, L".result", 0x2A);
      EXPECT_EQ(c.call(&result), S_OK) << name;
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
  Bag read;
  ASSERT_HRESULT_SUCCEEDED(Settings()->GetSecurityLevel(read.desc(), &result));
  EXPECT_EQ(read.Get(L"Level").get().lVal, 4);
}

TEST_F(FaultTest, SpoilingSwitchesLetTheCallWorkAndSpoilWhatItHandsBack) {
  long result = -1;
  // .type: a bag entry converted (4 becomes the text "4"), one that cannot be
  // converted holding 16, the configuration object turned into a number.
  SetFault(L"GetSecurityLevel", L".type", VT_BSTR);
  Bag bag;
  ASSERT_EQ(Settings()->GetSecurityLevel(bag.desc(), &result), S_OK);
  EXPECT_EQ(result, 0);
  const Ledra::ScopedVariant level = bag.Get(L"Level");
  ASSERT_EQ(level.get().vt, VT_BSTR);
  EXPECT_STREQ(level.get().bstrVal, L"1");
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

}  // namespace
}  // namespace BxKitTest
