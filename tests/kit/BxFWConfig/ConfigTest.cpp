// IBxPersonalFirewallConfig: configurations 114, 100 and the IP-rule collection 103.
#include "KitTestSupport.h"

#include <oleauto.h>

namespace BxKitTest {
namespace {

using V = Values;

struct RuleView {
  std::wstring address;
  bool macIsNull = false;
  std::wstring mac;
  long trust = -1;
  ComPtr<IBxConfig> config;
};

class ConfigTest : public KitTest {
 protected:
  ComPtr<IBxConfig> Config(long id) {
    Ledra::ScopedVariant value;
    long result = -1;
    EXPECT_HRESULT_SUCCEEDED(FirewallConfig()->GetConfig(id, value.receive(), &result));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(value.get().vt, VT_DISPATCH);
    ComPtr<IBxConfig> config;
    if (value.get().vt == VT_DISPATCH) {
      EXPECT_HRESULT_SUCCEEDED(value.get().pdispVal->QueryInterface(IID_IBxConfig, &config));
    }
    return config;
  }

  bool BoolProperty(long configId, long property) {
    Ledra::ScopedVariant value;
    long result = -1;
    ComPtr<IBxConfig> config = Config(configId);
    EXPECT_HRESULT_SUCCEEDED(config->GetProperty(property, value.receive(), &result));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(value.get().vt, VT_BOOL);
    return value.get().boolVal == VARIANT_TRUE;
  }

  // The rules as the module walks them: collection, enumerator, IDispatch items.
  std::vector<RuleView> Rules() {
    Ledra::ScopedVariant value;
    long result = -1;
    EXPECT_HRESULT_SUCCEEDED(FirewallConfig()->GetConfig(kBxConfigIpRules, value.receive(), &result));
    ComPtr<IBxFWConfigCollection> collection;
    EXPECT_HRESULT_SUCCEEDED(value.get().pdispVal->QueryInterface(IID_IBxFWConfigCollection, &collection));
    ComPtr<IUnknown> unknown;
    EXPECT_HRESULT_SUCCEEDED(collection->GetEnumerator(&unknown));
    ComPtr<IEnumVARIANT> items;
    EXPECT_HRESULT_SUCCEEDED(unknown.As(&items));
    std::vector<RuleView> rules;
    for (;;) {
      Ledra::ScopedVariant item;
      ULONG fetched = 0;
      if (items->Next(1, item.receive(), &fetched) != S_OK || fetched != 1) break;
      RuleView rule;
      EXPECT_EQ(item.get().vt, VT_DISPATCH);
      EXPECT_HRESULT_SUCCEEDED(item.get().pdispVal->QueryInterface(IID_IBxConfig, &rule.config));
      Ledra::ScopedVariant address, mac, trust;
      EXPECT_HRESULT_SUCCEEDED(rule.config->GetProperty(kBxRuleAddress, address.receive(), &result));
      EXPECT_HRESULT_SUCCEEDED(rule.config->GetProperty(kBxRuleMacAddress, mac.receive(), &result));
      EXPECT_HRESULT_SUCCEEDED(rule.config->GetProperty(kBxRuleTrustLevel, trust.receive(), &result));
      EXPECT_EQ(address.get().vt, VT_BSTR);
      EXPECT_EQ(mac.get().vt, VT_BSTR);
      EXPECT_EQ(trust.get().vt, VT_I4);
      rule.address = address.get().bstrVal;
      rule.macIsNull = mac.get().bstrVal == nullptr;
      if (!rule.macIsNull) rule.mac = mac.get().bstrVal;
      rule.trust = trust.get().lVal;
      rules.push_back(std::move(rule));
    }
    return rules;
  }
};

TEST_F(ConfigTest, FirewallConfigFollowsEnableAndDisable) {
  long result = -1;
  ASSERT_HRESULT_SUCCEEDED(FirewallConfig()->Disable(&result));
  ASSERT_EQ(result, 0);
  EXPECT_FALSE(BoolProperty(kBxConfigFirewall, kBxConfigFirewallEnabled));
  ASSERT_HRESULT_SUCCEEDED(FirewallConfig()->Enable(&result));
  ASSERT_EQ(result, 0);
  EXPECT_TRUE(BoolProperty(kBxConfigFirewall, kBxConfigFirewallEnabled));
}

TEST_F(ConfigTest, HipsConfigFollowsSetHips) {
  long result = -1;
  FakeBag bag;
  for (bool enabled : {false, true}) {
    ASSERT_HRESULT_SUCCEEDED(
        Settings()->SetHips(V::Bool(enabled).get(), V::Int(0).get(), bag.desc(), &result));
    ASSERT_EQ(result, 0);
    EXPECT_EQ(BoolProperty(kBxConfigHips, kBxConfigHipsEnabled), enabled);
  }
}

TEST_F(ConfigTest, UnknownConfigurationAndPropertyAnswerNonzeroResults) {
  Ledra::ScopedVariant value;
  long result = 0;
  ASSERT_HRESULT_SUCCEEDED(FirewallConfig()->GetConfig(7, value.receive(), &result));
  EXPECT_NE(result & 0x1FFFF, 0);
  EXPECT_EQ(value.get().vt, VT_EMPTY);
  ASSERT_HRESULT_SUCCEEDED(Config(kBxConfigFirewall)->GetProperty(42, value.receive(), &result));
  EXPECT_NE(result & 0x1FFFF, 0);
}

TEST_F(ConfigTest, RuleCollectionSeedsIpv6AndNullMacRules) {
  const std::vector<RuleView> rules = Rules();
  ASSERT_GE(rules.size(), 3u);
  bool sawIpv6 = false;
  bool sawNullMac = false;
  for (const RuleView& rule : rules) {
    sawIpv6 = sawIpv6 || rule.address.find(L':') != std::wstring::npos;
    sawNullMac = sawNullMac || rule.macIsNull;
    if (!rule.macIsNull) {
      EXPECT_FALSE(rule.mac.empty());
    }
  }
  EXPECT_TRUE(sawIpv6);
  EXPECT_TRUE(sawNullMac);
}

TEST_F(ConfigTest, TrustLevelSetAsUnsignedIsAppliedStoredAndReadBackAsI4) {
  std::vector<RuleView> rules = Rules();
  ASSERT_FALSE(rules.empty());
  const long newLevel = rules[0].trust == 2 ? 0 : 2;
  long result = -1;
  ASSERT_HRESULT_SUCCEEDED(rules[0].config->SetProperty(kBxRuleTrustLevel, V::UInt(newLevel).get(), &result));
  ASSERT_EQ(result, 0);
  ASSERT_HRESULT_SUCCEEDED(rules[0].config->ApplyProperties(&result));
  ASSERT_EQ(result, 0);

  const std::vector<RuleView> after = Rules();
  ASSERT_EQ(after.size(), rules.size());
  EXPECT_EQ(after[0].trust, newLevel);
  for (size_t i = 1; i < after.size(); ++i) EXPECT_EQ(after[i].trust, rules[i].trust) << "rule " << i;
}

TEST_F(ConfigTest, RuleRefusesBadTrustLevelsAndReadOnlyProperties) {
  std::vector<RuleView> rules = Rules();
  ASSERT_FALSE(rules.empty());
  struct Case {
    const char* what;
    long property;
    Ledra::ScopedVariant value;
  };
  Case cases[] = {{"text", kBxRuleTrustLevel, V::Text(L"2")},
                  {"level 3", kBxRuleTrustLevel, V::Int(3)},
                  {"negative", kBxRuleTrustLevel, V::Int(-1)},
                  {"address", kBxRuleAddress, V::Text(L"1.2.3.4")}};
  for (const Case& c : cases) {
    long result = 0;
    EXPECT_HRESULT_SUCCEEDED(rules[0].config->SetProperty(c.property, c.value.get(), &result));
    EXPECT_NE(result & 0x1FFFF, 0) << c.what;
  }
  long result = -1;
  ASSERT_HRESULT_SUCCEEDED(rules[0].config->ApplyProperties(&result));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Rules()[0].trust, rules[0].trust);
}

TEST_F(ConfigTest, EnumeratorSkipsClonesAndResets) {
  Ledra::ScopedVariant value;
  long result = -1;
  ASSERT_HRESULT_SUCCEEDED(FirewallConfig()->GetConfig(kBxConfigIpRules, value.receive(), &result));
  ComPtr<IBxFWConfigCollection> collection;
  ASSERT_HRESULT_SUCCEEDED(value.get().pdispVal->QueryInterface(IID_IBxFWConfigCollection, &collection));
  ComPtr<IUnknown> unknown;
  ASSERT_HRESULT_SUCCEEDED(collection->GetEnumerator(&unknown));
  ComPtr<IEnumVARIANT> items;
  ASSERT_HRESULT_SUCCEEDED(unknown.As(&items));
  const size_t count = Rules().size();
  ASSERT_EQ(items->Skip(1), S_OK);
  ComPtr<IEnumVARIANT> copy;
  ASSERT_HRESULT_SUCCEEDED(items->Clone(&copy));
  VARIANT batch[8];
  ULONG fetched = 0;
  EXPECT_EQ(copy->Next(8, batch, &fetched), S_FALSE);
  EXPECT_EQ(fetched, count - 1);
  for (ULONG i = 0; i < fetched; ++i) Ledra::fillInOut(&batch[i], Ledra::ScopedVariant());
  EXPECT_EQ(items->Skip(100), S_FALSE);
  ASSERT_HRESULT_SUCCEEDED(items->Reset());
  EXPECT_EQ(items->Next(static_cast<ULONG>(count), batch, &fetched), S_OK);
  EXPECT_EQ(fetched, count);
  for (ULONG i = 0; i < fetched; ++i) Ledra::fillInOut(&batch[i], Ledra::ScopedVariant());
}

}  // namespace
}  // namespace BxKitTest
