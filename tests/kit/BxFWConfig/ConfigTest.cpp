// IBxPersonalFirewallConfig: what its configurations and rules refuse, and the
// rule enumerator's moves. Reading and writing them through the module is
// covered where the module's handlers run against this component.
#include "KitTestSupport.h"

namespace BxKitTest {
namespace {

using V = Values;

class ConfigTest : public KitTest {
 protected:
  // The rules' enumerator, as the module walks it from the collection.
  ComPtr<IEnumVARIANT> Enumerator() {
    Ledra::ScopedVariant value;
    long result = -1;
    ComPtr<IBxFWConfigCollection> collection;
    ComPtr<IUnknown> unknown;
    ComPtr<IEnumVARIANT> items;
    EXPECT_HRESULT_SUCCEEDED(FirewallConfig()->GetConfig(kBxConfigIpRules, value.receive(), &result));
    EXPECT_HRESULT_SUCCEEDED(value.get().pdispVal->QueryInterface(IID_IBxFWConfigCollection, &collection));
    EXPECT_HRESULT_SUCCEEDED(collection->GetEnumerator(&unknown));
    EXPECT_HRESULT_SUCCEEDED(unknown.As(&items));
    return items;
  }
  // The first rule and its trust level.
  ComPtr<IBxConfig> FirstRule(long& trust) {
    Ledra::ScopedVariant item, level;
    ULONG fetched = 0;
    ComPtr<IBxConfig> rule;
    long result = -1;
    EXPECT_EQ(Enumerator()->Next(1, item.receive(), &fetched), S_OK);
    EXPECT_HRESULT_SUCCEEDED(item.get().pdispVal->QueryInterface(IID_IBxConfig, &rule));
    EXPECT_HRESULT_SUCCEEDED(rule->GetProperty(kBxRuleTrustLevel, level.receive(), &result));
    trust = level.get().lVal;
    return rule;
  }
};

TEST_F(ConfigTest, UnknownConfigurationsPropertiesAndBadRuleValuesAnswerNonzeroResults) {
  Ledra::ScopedVariant value;
  long result = 0;
  ASSERT_HRESULT_SUCCEEDED(FirewallConfig()->GetConfig(7, value.receive(), &result));
  EXPECT_NE(result & 0x1FFFF, 0);
  EXPECT_EQ(value.get().vt, VT_EMPTY);
  ASSERT_HRESULT_SUCCEEDED(FirewallConfig()->GetConfig(kBxConfigFirewall, value.receive(), &result));
  ComPtr<IBxConfig> firewall;
  ASSERT_HRESULT_SUCCEEDED(value.get().pdispVal->QueryInterface(IID_IBxConfig, &firewall));
  Ledra::ScopedVariant property;
  ASSERT_HRESULT_SUCCEEDED(firewall->GetProperty(42, property.receive(), &result));
  EXPECT_NE(result & 0x1FFFF, 0);

  long trust = -1;
  ComPtr<IBxConfig> rule = FirstRule(trust);
  ASSERT_NE(rule, nullptr);
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
    result = 0;
    EXPECT_HRESULT_SUCCEEDED(rule->SetProperty(c.property, c.value.get(), &result));
    EXPECT_NE(result & 0x1FFFF, 0) << c.what;
  }
  ASSERT_HRESULT_SUCCEEDED(rule->ApplyProperties(&result));
  EXPECT_EQ(result, 0);
  long after = -1;
  FirstRule(after);
  EXPECT_EQ(after, trust);
}

TEST_F(ConfigTest, EnumeratorSkipsClonesAndResets) {
  ComPtr<IEnumVARIANT> items = Enumerator();
  ULONG all = 0;
  for (Ledra::ScopedVariant item; items->Next(1, item.receive(), nullptr) == S_OK; item.reset()) ++all;
  ASSERT_TRUE(all >= 2u && all <= 8u) << all;
  ASSERT_HRESULT_SUCCEEDED(items->Reset());
  ASSERT_EQ(items->Skip(1), S_OK);
  ComPtr<IEnumVARIANT> copy;
  ASSERT_HRESULT_SUCCEEDED(items->Clone(&copy));
  VARIANT batch[8];
  ULONG fetched = 0;
  EXPECT_EQ(copy->Next(8, batch, &fetched), S_FALSE);
  EXPECT_EQ(fetched, all - 1);
  for (ULONG i = 0; i < fetched; ++i) Ledra::fillInOut(&batch[i], Ledra::ScopedVariant());
  EXPECT_EQ(items->Skip(100), S_FALSE);
  ASSERT_HRESULT_SUCCEEDED(items->Reset());
  EXPECT_EQ(items->Next(all, batch, &fetched), S_OK);
  EXPECT_EQ(fetched, all);
  for (ULONG i = 0; i < fetched; ++i) Ledra::fillInOut(&batch[i], Ledra::ScopedVariant());
}

}  // namespace
}  // namespace BxKitTest
