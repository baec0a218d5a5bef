// Brenix::TarnIf against in-process fakes of the component: the success rule,
// boolean reads, the enumerator, rule addresses, and that every reference the
// adapter takes is given back on success and failure alike; and verified
// creation before any component is at hand.
#include <gtest/gtest.h>

#include <memory>

#include "firewall/adapter/ModuleLock.h"
#include "firewall/adapter/TarnIf.h"
#include "firewall/adapter/TarnModuleUtil.h"
#include "firewall/adapter/VerifiedCreation.h"
#include "tests/firewall/FakeComponent.h"

namespace {

using Ledra::ScopedVariant;
using Microsoft::WRL::ComPtr;

constexpr uint32_t kUnsuccessful = 0x80000002;

using namespace tarn_test;

class AdapterTarnIf : public ::testing::Test {
 protected:
  void TearDown() override {
    firewall.answer.reset();  // the fake's prepared answer holds a reference of its own
    // Whatever the path, the adapter gave back every reference it took.
    EXPECT_EQ(1, firewall.refs());
    EXPECT_EQ(1, config.refs());
    EXPECT_EQ(1, collection.refs());
    EXPECT_EQ(1, enumerator.refs());
    EXPECT_EQ(1, settings.refs());
    EXPECT_EQ(0, Brenix::moduleLockCount());
  }

  FakeConfig config;
  FakeConfigCollection collection;
  FakeEnumVariant enumerator;
  std::shared_ptr<FakeCreator> creator = std::make_shared<FakeCreator>();
  FakePersonalFirewallConfig& firewall = creator->firewall;
  FakeFWSettings& settings = creator->settings;
  Brenix::TarnIf tarnIf{creator};
};

TEST_F(AdapterTarnIf, SettingsCallSucceedsOnlyWhenHresultAndMaskedResultAreZero) {
  const struct {
    HRESULT hr;
    long result;
    uint32_t status;
  } cases[] = {{S_OK, 0, 0},
               {S_OK, 0x20000, 0},
               {S_OK, 0x7FFE0000, 0},
               {S_OK, 5, kUnsuccessful},
               {S_OK, 0x10000, kUnsuccessful},
               {S_OK, -1, kUnsuccessful},
               {S_FALSE, 0, kUnsuccessful},
               {E_FAIL, 0, kUnsuccessful}};
  for (const auto& c : cases) {
    settings.hr = c.hr;
    settings.result = c.result;
    EXPECT_EQ(c.status, tarnIf.set_firewall_state(ScopedVariant(1L).get(), ScopedVariant(30L).get(),
                                                  ComPtr<IBxFWSettings>(&settings)))
        << std::hex << c.hr << " " << c.result;
  }
  // The data arrive in order, then the bag as a dispatch VARIANT.
  EXPECT_EQ(1, V_I4(&settings.lastState.get()));
  EXPECT_EQ(30, V_I4(&settings.lastReenableTime.get()));
  EXPECT_EQ(VT_DISPATCH, settings.lastDescType);
}

TEST_F(AdapterTarnIf, SettingsCallReadsTheBagOnlyAfterSuccess) {
  auto call = [](IBxFWSettings* fw, const VARIANT& desc, long* result) {
    return fw->SetFirewallState(VARIANT{}, VARIANT{}, desc, result);
  };
  for (long componentResult : {0L, 3L}) {
    settings.result = componentResult;
    int reads = 0;
    bool successful = false;
    long result = 99;  // the caller's own result variable receives the component's code
    uint32_t status = tarnIf.callSettings(
        ComPtr<IBxFWSettings>(&settings), {L"Brenix::TarnIf::test", L"null", L"failed %x %d", 1, 2}, call,
        [&](const VARIANT& desc) {
          ++reads;
          EXPECT_TRUE(Brenix::tarn_moduleutil::get_property_byname(desc, L"successful", successful));
        },
        &result);
    EXPECT_EQ(componentResult, result);
    EXPECT_EQ(componentResult == 0 ? 0u : kUnsuccessful, status);
    EXPECT_EQ(componentResult == 0 ? 1 : 0, reads);
    EXPECT_EQ(componentResult == 0, successful);
  }
  EXPECT_EQ(kUnsuccessful,
            tarnIf.callSettings(nullptr, {L"f", L"null", L"failed", 1, 2}, call,
                                [](const VARIANT&) { ADD_FAILURE() << "read without settings"; }));
}

TEST_F(AdapterTarnIf, ConfigValuesReadAsTrueOnlyForVariantTrueAndFailAtEveryBrokenStep) {
  firewall.answer.setDispatch(config.dispatch());
  for (const auto& [stored, expected] : {std::make_pair(VARIANT_TRUE, true), std::make_pair<short>(1, false),
                                         std::make_pair(VARIANT_FALSE, false)}) {
    config.value.setBool(false);
    V_BOOL(config.value.asInOut()) = stored;
    bool enabled = !expected;
    EXPECT_EQ(0u, tarnIf.GetFirewallState(enabled));
    EXPECT_EQ(expected, enabled) << stored;
    EXPECT_EQ(114, firewall.lastConfigId);
    EXPECT_EQ(0, config.lastId);
    enabled = !expected;
    EXPECT_EQ(0u, tarnIf.GetHipsState(enabled));
    EXPECT_EQ(expected, enabled);
    EXPECT_EQ(100, firewall.lastConfigId);
    EXPECT_EQ(9, config.lastId);
  }
  // Every broken step fails the read.
  bool value = false;
  creator->refuse = E_ACCESSDENIED;
  EXPECT_EQ(kUnsuccessful, tarnIf.GetFirewallConfigValue(114, 0, value));
  creator->refuse = S_OK;
  firewall.answer.setLong(7);  // not an object
  EXPECT_EQ(kUnsuccessful, tarnIf.GetFirewallConfigValue(114, 0, value));
  firewall.answer.setDispatch(collection.dispatch());  // an object without IBxConfig
  EXPECT_EQ(kUnsuccessful, tarnIf.GetFirewallConfigValue(114, 0, value));
  firewall.answer.setDispatch(config.dispatch());
  firewall.result = 0x4;
  EXPECT_EQ(kUnsuccessful, tarnIf.GetFirewallConfigValue(114, 0, value));
  firewall.result = 0;
  config.value.setBool(true);
  config.result = 0x100;
  EXPECT_EQ(kUnsuccessful, tarnIf.GetFirewallConfigValue(114, 0, value));
  config.result = 0;
  config.hr = E_FAIL;
  EXPECT_EQ(kUnsuccessful, tarnIf.GetHipsState(value));
  config.hr = S_OK;
  config.value.setLong(-1);  // a value of the wrong type
  EXPECT_EQ(kUnsuccessful, tarnIf.GetFirewallConfigValue(114, 0, value));
}

TEST_F(AdapterTarnIf, EnableFirewallCallsTheMatchingOperation) {
  EXPECT_EQ(0u, tarnIf.EnableFirewall(true));
  EXPECT_EQ(0u, tarnIf.EnableFirewall(false));
  EXPECT_EQ(1, firewall.enables);
  EXPECT_EQ(1, firewall.disables);
  firewall.result = 0x20001;
  EXPECT_EQ(kUnsuccessful, tarnIf.EnableFirewall(true));
  firewall.hr = E_UNEXPECTED;
  firewall.result = 0;
  EXPECT_EQ(kUnsuccessful, tarnIf.EnableFirewall(false));
  creator->refuse = E_ACCESSDENIED;
  EXPECT_EQ(kUnsuccessful, tarnIf.EnableFirewall(true));
  EXPECT_EQ(2, firewall.enables);
}

TEST_F(AdapterTarnIf, EnumeratorStandsAtTheStartOfTheRuleCollectionOrFails) {
  firewall.answer.setDispatch(collection.dispatch());
  collection.enumerator = &enumerator;
  ComPtr<IEnumVARIANT> rules;
  ASSERT_EQ(0u, tarnIf.get_enumerator(rules));
  EXPECT_EQ(&enumerator, rules.Get());
  EXPECT_EQ(1, enumerator.resets);
  EXPECT_EQ(103, firewall.lastConfigId);
  rules.Reset();
  firewall.result = 0x1;
  EXPECT_EQ(kUnsuccessful, tarnIf.get_enumerator(rules));
  firewall.result = 0;
  collection.hr = E_FAIL;
  EXPECT_EQ(kUnsuccessful, tarnIf.get_enumerator(rules));
  collection.hr = S_OK;
  collection.enumerator = nullptr;
  EXPECT_EQ(kUnsuccessful, tarnIf.get_enumerator(rules));
  collection.enumerator = static_cast<IBxFWConfigCollection*>(&collection);  // not an IEnumVARIANT
  EXPECT_EQ(kUnsuccessful, tarnIf.get_enumerator(rules));
  firewall.answer.setDispatch(config.dispatch());  // an object that is no collection
  EXPECT_EQ(kUnsuccessful, tarnIf.get_enumerator(rules));
  firewall.answer.setText(L"rules");
  EXPECT_EQ(kUnsuccessful, tarnIf.get_enumerator(rules));
  creator->refuse = E_ACCESSDENIED;
  EXPECT_EQ(kUnsuccessful, tarnIf.get_enumerator(rules));
  EXPECT_FALSE(rules);
  EXPECT_EQ(1, enumerator.resets);
}

TEST_F(AdapterTarnIf, OnlyNonEmptyAddressesWithoutColonAreIpv4) {
  for (const auto& [address, ipv4] :
       {std::make_pair(L"10.0.0.1", true), std::make_pair(L"", false), std::make_pair(L"fe80::1", false),
        std::make_pair(L"::ffff:10.0.0.1", false)}) {
    config.value.setText(address);
    EXPECT_EQ(ipv4, tarnIf.is_ipv4_rule(&config)) << address;
    EXPECT_EQ(3, config.lastId);
  }
  config.value.setText(nullptr);
  EXPECT_FALSE(tarnIf.is_ipv4_rule(&config));
  config.value.setLong(10);  // not a text
  EXPECT_FALSE(tarnIf.is_ipv4_rule(&config));
  config.value.setText(L"10.0.0.1");
  config.result = 0x8;
  EXPECT_FALSE(tarnIf.is_ipv4_rule(&config));
  EXPECT_FALSE(tarnIf.is_ipv4_rule(nullptr));
}

// No server is registered for this class.
constexpr CLSID kUnregistered = {
    0x3C1E27A0, 0x5B0D, 0x4F7E, {0x9A, 0x11, 0x2D, 0x6E, 0x40, 0x8B, 0x71, 0xC5}};

TEST(AdapterVerifiedCreation, RefusesANullOutPointerAndPassesOnComsRefusalLeavingOutNull) {
  EXPECT_EQ(E_POINTER, Brenix::createVerified(CLSID_BxFWSettings, Brenix::kComponentClassContext,
                                              IID_IBxFWSettings, nullptr));
  void* out = reinterpret_cast<void*>(0x1234);
  EXPECT_EQ(REGDB_E_CLASSNOTREG,
            Brenix::createVerified(kUnregistered, Brenix::kComponentClassContext, IID_IBxFWSettings, &out));
  EXPECT_EQ(nullptr, out);
}

}  // namespace
