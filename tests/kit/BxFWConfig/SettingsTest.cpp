// IBxFWSettings: what it refuses, and what restoring the defaults keeps. The
// settings groups and lists are read and written through the module where its
// handlers run against this component.
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

  ComPtr<IBxFWSettings> settings_;
  long result_ = -1;
};

TEST_F(SettingsTest, RefusesInvalidArgumentsWithNonzeroResultAndKeepsTheModel) {
  Bag bag;
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
  long result = -1;
  EXPECT_EQ(s->RemoveIPReputation(V::Ids({}).get(), d, &result), S_OK);
  EXPECT_EQ(result, 0) << "an empty id list is a valid request";
}

TEST_F(SettingsTest, ResetToDefaultsRestoresTheSettingsButNotTheFirewallsOnOffState) {
  Bag unused;
  ASSERT_HRESULT_SUCCEEDED(
      settings_->EditIPReputation(V::Int(2).get(), V::Bool(true).get(), unused.desc(), &result_));
  ASSERT_EQ(result_, 0);
  ASSERT_HRESULT_SUCCEEDED(
      settings_->SetFirewallState(V::Bool(false).get(), V::Int(15).get(), unused.desc(), &result_));
  ASSERT_EQ(result_, 0);
  VARIANT_BOOL atDefaults = VARIANT_TRUE;
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
