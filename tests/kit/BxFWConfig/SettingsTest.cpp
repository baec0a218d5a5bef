// IBxFWSettings: settings groups through the result bag, refusals, lists, defaults.
#include <functional>

#include "KitTestSupport.h"

namespace BxKitTest {
namespace {

using V = Values;

class SettingsTest : public KitTest {
 protected:
  void SetUp() override {
    KitTest::SetUp();
    settings_ = Settings();
    ASSERT_NE(settings_, nullptr);
  }
  bool BagBool(const FakeBag& bag, const wchar_t* name) {
    const VARIANT* v = bag.Find(name);
    EXPECT_NE(v, nullptr) << "missing " << std::string(name, name + wcslen(name));
    if (v == nullptr) return false;
    EXPECT_EQ(v->vt, VT_BOOL);
    EXPECT_TRUE(v->boolVal == VARIANT_TRUE || v->boolVal == VARIANT_FALSE);
    return v->boolVal == VARIANT_TRUE;
  }
  long BagInt(const FakeBag& bag, const wchar_t* name) {
    const VARIANT* v = bag.Find(name);
    EXPECT_NE(v, nullptr);
    if (v == nullptr) return -999;
    EXPECT_EQ(v->vt, VT_I4);
    return v->lVal;
  }
  long ListLength(HRESULT (STDMETHODCALLTYPE IBxFWSettings::*get)(VARIANT, long*)) {
    FakeBag bag;
    long result = -1;
    EXPECT_HRESULT_SUCCEEDED((settings_.Get()->*get)(bag.desc(), &result));
    EXPECT_EQ(result, 0);
    return BagInt(bag, L"length");
  }

  ComPtr<IBxFWSettings> settings_;
  long result_ = -1;
};

TEST_F(SettingsTest, SecurityLevelRoundTripsThroughTheBag) {
  for (long level : {4L, 1L, 3L, 2L}) {
    FakeBag put;
    ASSERT_HRESULT_SUCCEEDED(settings_->SetSecurityLevel(V::Int(level).get(), put.desc(), &result_));
    ASSERT_EQ(result_, 0);
    FakeBag bag;
    ASSERT_HRESULT_SUCCEEDED(settings_->GetSecurityLevel(bag.desc(), &result_));
    ASSERT_EQ(result_, 0);
    EXPECT_EQ(BagInt(bag, L"Level"), level);
  }
}

TEST_F(SettingsTest, SmartAdviceEventLogAndHipsRoundTripUnderTheModulesNames) {
  FakeBag unused;
  ASSERT_HRESULT_SUCCEEDED(settings_->SetSmartRecomendations(V::Bool(false).get(), V::Bool(true).get(),
                                                             V::Bool(false).get(), V::Bool(true).get(),
                                                             V::Bool(false).get(), unused.desc(), &result_));
  ASSERT_EQ(result_, 0);
  ASSERT_HRESULT_SUCCEEDED(settings_->SetEventLog(
      V::Bool(false).get(), V::Bool(true).get(), V::Bool(true).get(), V::Bool(false).get(),
      V::Bool(false).get(), V::Bool(true).get(), V::Bool(true).get(), V::Bool(true).get(),
      V::Text(L"80, 443,1000-2000").get(), unused.desc(), &result_));
  ASSERT_EQ(result_, 0);
  ASSERT_HRESULT_SUCCEEDED(
      settings_->SetHips(V::Bool(false).get(), V::Int(2).get(), unused.desc(), &result_));
  ASSERT_EQ(result_, 0);

  FakeBag smart;
  ASSERT_HRESULT_SUCCEEDED(settings_->GetSmartRecomendations(smart.desc(), &result_));
  ASSERT_EQ(result_, 0);
  EXPECT_FALSE(BagBool(smart, L"bShowSmartRecos"));
  EXPECT_TRUE(BagBool(smart, L"bAutomatic"));
  EXPECT_FALSE(BagBool(smart, L"bEnableProtStartup"));
  EXPECT_TRUE(BagBool(smart, L"bAllowIcmp"));
  EXPECT_FALSE(BagBool(smart, L"bEnableUdp"));

  FakeBag log;
  ASSERT_HRESULT_SUCCEEDED(settings_->GetEventLog(log.desc(), &result_));
  ASSERT_EQ(result_, 0);
  const std::pair<const wchar_t*, bool> expected[] = {
      {L"bEnable", false},           {L"bBlockedProgs", true},
      {L"bIcmpPings", true},         {L"bBannedIpAddActivity", false},
      {L"bSystemPortEvents", false}, {L"bIdsEvents", true},
      {L"bUnknownPortEvents", true}, {L"bDoNotLogOnPort", true}};
  for (const auto& e : expected) EXPECT_EQ(BagBool(log, e.first), e.second);
  ASSERT_NE(log.Find(L"sPort"), nullptr);
  ASSERT_EQ(log.Find(L"sPort")->vt, VT_BSTR);
  EXPECT_STREQ(log.Find(L"sPort")->bstrVal, L"80, 443,1000-2000");

  FakeBag hips;
  ASSERT_HRESULT_SUCCEEDED(settings_->GetHips(hips.desc(), &result_));
  ASSERT_EQ(result_, 0);
  EXPECT_FALSE(BagBool(hips, L"bHipsEnable"));
  EXPECT_EQ(BagInt(hips, L"iHipsLevel"), 2);
}

TEST_F(SettingsTest, RefusesInvalidArgumentsWithNonzeroResultAndKeepsTheModel) {
  FakeBag bag;
  const VARIANT d = bag.desc();
  IBxFWSettings* s = settings_.Get();
  Ledra::ScopedVariant t = V::Bool(true);
  Ledra::ScopedVariant i0 = V::Int(0);
  Ledra::ScopedVariant i1 = V::Int(1);
  Ledra::ScopedVariant text = V::Text(L"C:\\x.exe");
  Ledra::ScopedVariant empty = V::Text(L"");
  struct Case {
    const char* what;
    std::function<HRESULT(long*)> call;
  };
  const Case cases[] = {
      {"level 0", [&](long* r) { return s->SetSecurityLevel(V::Int(0).get(), d, r); }},
      {"level 5", [&](long* r) { return s->SetSecurityLevel(V::Int(5).get(), d, r); }},
      {"level as text", [&](long* r) { return s->SetSecurityLevel(V::Text(L"3").get(), d, r); }},
      {"level empty", [&](long* r) { return s->SetSecurityLevel(VARIANT{}, d, r); }},
      {"smart advice as number",
       [&](long* r) {
         return s->SetSmartRecomendations(t.get(), t.get(), i1.get(), t.get(), t.get(), d, r);
       }},
      {"bool that is not VARIANT_TRUE",
       [&](long* r) {
         Ledra::ScopedVariant one = V::Bool(true);
         VARIANT raw = one.get();
         raw.boolVal = 1;
         return s->SetHips(raw, i1.get(), d, r);
       }},
      {"hips level 3", [&](long* r) { return s->SetHips(t.get(), V::Int(3).get(), d, r); }},
      {"port list with a word",
       [&](long* r) {
         return s->SetEventLog(t.get(), t.get(), t.get(), t.get(), t.get(), t.get(), t.get(), t.get(),
                               V::Text(L"80,http").get(), d, r);
       }},
      {"port 70000",
       [&](long* r) {
         return s->SetEventLog(t.get(), t.get(), t.get(), t.get(), t.get(), t.get(), t.get(), t.get(),
                               V::Text(L"70000").get(), d, r);
       }},
      {"program without file",
       [&](long* r) { return s->AddProgramPermission(empty.get(), i0.get(), i0.get(), i0.get(), d, r); }},
      {"permission 3",
       [&](long* r) {
         return s->AddProgramPermission(text.get(), V::Int(3).get(), i0.get(), i0.get(), d, r);
       }},
      {"net guard 2",
       [&](long* r) {
         return s->AddProgramPermission(text.get(), i0.get(), i0.get(), V::Int(2).get(), d, r);
       }},
      {"edit unknown program",
       [&](long* r) {
         return s->EditProgramPermission(V::Int(999).get(), i0.get(), i0.get(), i0.get(), d, r);
       }},
      {"remove unknown program",
       [&](long* r) {
         return s->RemoveProgramPermissions(V::Ids({1, 999}).get(), d, r);
       }},
      {"remove with a text id list",
       [&](long* r) { return s->RemoveProgramPermissions(V::Text(L"1").get(), d, r); }},
      {"bad ip address",
       [&](long* r) {
         return s->AddIPAddress(empty.get(), i0.get(), V::Text(L"300.1.1.1").get(), empty.get(), i0.get(),
                                i0.get(), d, r);
       }},
      {"range of mixed families",
       [&](long* r) {
         return s->AddIPAddress(empty.get(), i1.get(), V::Text(L"10.0.0.1").get(), V::Text(L"fe80::9").get(),
                                i0.get(), i0.get(), d, r);
       }},
      {"service network type 2",
       [&](long* r) {
         return s->AddSystemService(V::Text(L"svc").get(), t.get(), empty.get(), V::Text(L"22").get(),
                                    empty.get(), empty.get(), empty.get(), empty.get(), V::Int(2).get(),
                                    t.get(), d, r);
       }},
      {"reputation switch 2", [&](long* r) { return s->EnableIPReputation(V::Int(2).get(), d, r); }},
      {"reputation action as number",
       [&](long* r) { return s->EditIPReputation(i1.get(), V::Int(1).get(), d, r); }},
  };
  const std::string before = ReadWholeFile(stateFile_);
  for (const Case& c : cases) {
    long result = 0;
    EXPECT_EQ(c.call(&result), S_OK) << c.what;
    EXPECT_NE(result & 0x1FFFF, 0) << c.what;
  }
  EXPECT_EQ(ReadWholeFile(stateFile_), before) << "a refused call changed the stored model";
  VARIANT_BOOL atDefaults = VARIANT_FALSE;
  ASSERT_HRESULT_SUCCEEDED(settings_->IsResetToDefaults(&atDefaults));
  EXPECT_EQ(atDefaults, VARIANT_TRUE);
}

TEST_F(SettingsTest, AddedEntriesGetIdsThatEditAndRemoveAccept) {
  const long services = ListLength(&IBxFWSettings::as_GetSystemServices);
  Ledra::ScopedVariant empty = V::Text(L"");
  FakeBag added;
  ASSERT_HRESULT_SUCCEEDED(settings_->AddSystemService(
      V::Text(L"SSH").get(), V::Bool(true).get(), V::Text(L"Remote").get(), V::Text(L"22").get(), empty.get(),
      empty.get(), empty.get(), V::Text(L"Secure shell").get(), V::Int(1).get(), V::Bool(false).get(),
      added.desc(), &result_));
  ASSERT_EQ(result_, 0);
  const long serviceId = BagInt(added, L"SytemServiceID");
  EXPECT_GT(serviceId, 0);
  EXPECT_EQ(ListLength(&IBxFWSettings::as_GetSystemServices), services + 1);

  FakeBag unused;
  ASSERT_HRESULT_SUCCEEDED(settings_->EditSystemService(
      V::Int(serviceId).get(), V::Text(L"SSH").get(), V::Bool(false).get(), V::Text(L"Remote").get(),
      V::Text(L"22,2222").get(), empty.get(), empty.get(), empty.get(), empty.get(), V::Int(0).get(),
      V::Bool(true).get(), unused.desc(), &result_));
  EXPECT_EQ(result_, 0);
  EXPECT_NE(ReadWholeFile(stateFile_).find("22,2222"), std::string::npos);

  FakeBag address;
  ASSERT_HRESULT_SUCCEEDED(settings_->AddIPAddress(
      V::Text(L"lab").get(), V::Int(1).get(), V::Text(L"10.1.0.1").get(), V::Text(L"10.1.0.9").get(),
      V::Int(2).get(), V::Int(30).get(), address.desc(), &result_));
  ASSERT_EQ(result_, 0);
  const long addressId = BagInt(address, L"IPId");
  EXPECT_GT(addressId, 0);
  ASSERT_HRESULT_SUCCEEDED(settings_->EditIPAddress(
      V::Int(addressId).get(), V::Text(L"lab v6").get(), V::Int(0).get(), V::Text(L"fe80::42").get(),
      empty.get(), V::Int(0).get(), V::Int(0).get(), unused.desc(), &result_));
  EXPECT_EQ(result_, 0);

  // Two ids at once; the second removal of the same ids finds nothing and changes nothing.
  ASSERT_HRESULT_SUCCEEDED(
      settings_->RemoveSystemServices(V::Ids({serviceId, 1}).get(), unused.desc(), &result_));
  EXPECT_EQ(result_, 0);
  EXPECT_EQ(ListLength(&IBxFWSettings::as_GetSystemServices), services - 1);
  ASSERT_HRESULT_SUCCEEDED(
      settings_->RemoveSystemServices(V::Ids({serviceId}).get(), unused.desc(), &result_));
  EXPECT_NE(result_ & 0x1FFFF, 0);
  ASSERT_HRESULT_SUCCEEDED(settings_->RemoveIPAddresses(V::Ids({addressId}).get(), unused.desc(), &result_));
  EXPECT_EQ(result_, 0);
  ASSERT_HRESULT_SUCCEEDED(settings_->RemoveIPReputation(V::Ids({}).get(), unused.desc(), &result_));
  EXPECT_EQ(result_, 0) << "an empty id list is a valid request";
}

TEST_F(SettingsTest, ProgramPermissionEditKeepsTheFileAndRemoveTakesTheEntry) {
  const long programs = ListLength(&IBxFWSettings::as_GetProgramPermissions);
  FakeBag unused;
  ASSERT_HRESULT_SUCCEEDED(settings_->AddProgramPermission(V::Text(L"C:\\Tools\\ping.exe").get(),
                                                           V::Int(1).get(), V::Int(2).get(), V::Int(1).get(),
                                                           unused.desc(), &result_));
  ASSERT_EQ(result_, 0);
  ASSERT_EQ(ListLength(&IBxFWSettings::as_GetProgramPermissions), programs + 1);
  const long id = programs + 1;  // ids run one above the largest; the defaults are 1..n
  ASSERT_HRESULT_SUCCEEDED(settings_->EditProgramPermission(
      V::Int(id).get(), V::Int(2).get(), V::Int(0).get(), V::Int(0).get(), unused.desc(), &result_));
  ASSERT_EQ(result_, 0);
  const std::string stored = ReadWholeFile(stateFile_);
  EXPECT_NE(stored.find("program\t" + std::to_string(id) + "\tC:\\\\Tools\\\\ping.exe\t2\t0\t0"),
            std::string::npos)
      << stored;
  ASSERT_HRESULT_SUCCEEDED(settings_->RemoveProgramPermissions(V::Ids({id}).get(), unused.desc(), &result_));
  EXPECT_EQ(result_, 0);
  EXPECT_EQ(ListLength(&IBxFWSettings::as_GetProgramPermissions), programs);
}

TEST_F(SettingsTest, ResetToDefaultsRestoresSettingsAndIsResetToDefaultsTellsTheDifference) {
  VARIANT_BOOL atDefaults = VARIANT_FALSE;
  ASSERT_HRESULT_SUCCEEDED(settings_->IsResetToDefaults(&atDefaults));
  EXPECT_EQ(atDefaults, VARIANT_TRUE);

  FakeBag unused;
  ASSERT_HRESULT_SUCCEEDED(
      settings_->EditIPReputation(V::Int(2).get(), V::Bool(true).get(), unused.desc(), &result_));
  ASSERT_EQ(result_, 0);
  ASSERT_HRESULT_SUCCEEDED(
      settings_->SetFirewallState(V::Bool(false).get(), V::Int(15).get(), unused.desc(), &result_));
  ASSERT_EQ(result_, 0);
  ASSERT_HRESULT_SUCCEEDED(settings_->IsResetToDefaults(&atDefaults));
  EXPECT_EQ(atDefaults, VARIANT_FALSE);

  ASSERT_HRESULT_SUCCEEDED(settings_->ResetToDefaults(&result_));
  ASSERT_EQ(result_, 0);
  ASSERT_HRESULT_SUCCEEDED(settings_->IsResetToDefaults(&atDefaults));
  EXPECT_EQ(atDefaults, VARIANT_TRUE);
  // The on/off switch is state, not a setting: the firewall stays off.
  EXPECT_NE(ReadWholeFile(stateFile_).find("firewall\t0\t15"), std::string::npos);
}

}  // namespace
}  // namespace BxKitTest
