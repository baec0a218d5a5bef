#include "kit/BxFWConfig/ConfigViews.h"

#include "include/BxFWInterfaces.h"
#include "kit/BxFWConfig/Arguments.h"
#include "kit/BxFWConfig/ConfigObject.h"
#include "kit/BxFWConfig/ModelStore.h"
#include "kit/BxFWConfig/ResultCodes.h"

namespace BxKit {
namespace {

Ledra::ScopedVariant BoolValue(bool value) {
  Ledra::ScopedVariant out;
  out.setBool(value);
  return out;
}

Ledra::ScopedVariant IntValue(long value) {
  Ledra::ScopedVariant out;
  out.setLong(value);
  return out;
}

PropertyCheck BoolCheck() {
  return [](const VARIANT& value, Ledra::ScopedVariant& stored) {
    bool read = false;
    const long code = ReadBool(value, read);
    if (code == kResultOk) stored.setBool(read);
    return code;
  };
}

PropertyCheck IntCheck(long low, long high) {
  return [low, high](const VARIANT& value, Ledra::ScopedVariant& stored) {
    long read = 0;
    const long code = ReadIntIn(value, low, high, read);
    if (code == kResultOk) stored.setLong(read);
    return code;
  };
}

bool StoredBool(const PropertyMap& properties, long id) {
  return properties.at(id).get().boolVal == VARIANT_TRUE;
}

long StoredInt(const PropertyMap& properties, long id) { return properties.at(id).get().lVal; }

}  // namespace

HRESULT MakeFirewallConfig(const FirewallModel& model, IDispatch** out) {
  PropertyMap properties;
  properties.emplace(kBxConfigFirewallEnabled, BoolValue(model.firewallOn));
  properties.emplace(kFirewallReenableMinutes, IntValue(model.reenableMinutes));
  properties.emplace(kFirewallSecurityLevel, IntValue(model.securityLevel));
  std::map<long, PropertyCheck> writable;
  writable.emplace(kBxConfigFirewallEnabled, BoolCheck());
  return BxConfigObject::Create(
      std::move(properties), std::move(writable),
      [](const PropertyMap& stored, const std::set<long>&) {
        const bool on = StoredBool(stored, kBxConfigFirewallEnabled);
        return UpdateModel([on](FirewallModel& m) {
          m.firewallOn = on;
          if (on) m.reenableMinutes = -1;
          return kResultOk;
        });
      },
      out);
}

HRESULT MakeHipsConfig(const FirewallModel& model, IDispatch** out) {
  PropertyMap properties;
  properties.emplace(kBxConfigHipsEnabled, BoolValue(model.hips.enabled));
  properties.emplace(kHipsLevel, IntValue(model.hips.level));
  std::map<long, PropertyCheck> writable;
  writable.emplace(kBxConfigHipsEnabled, BoolCheck());
  writable.emplace(kHipsLevel, IntCheck(0, 2));
  return BxConfigObject::Create(
      std::move(properties), std::move(writable),
      [](const PropertyMap& stored, const std::set<long>&) {
        const HipsSettings hips{StoredBool(stored, kBxConfigHipsEnabled), StoredInt(stored, kHipsLevel)};
        return UpdateModel([hips](FirewallModel& m) {
          m.hips = hips;
          return kResultOk;
        });
      },
      out);
}

HRESULT MakeIpRuleConfig(const IpRule& rule, IDispatch** out) {
  PropertyMap properties;
  properties.emplace(kRuleId, IntValue(rule.id));
  Ledra::ScopedVariant address;
  Ledra::ScopedVariant mac;
  if (FAILED(address.setText(rule.address.c_str())) ||
      FAILED(mac.setText(rule.mac ? rule.mac->c_str() : nullptr))) {
    return E_OUTOFMEMORY;
  }
  properties.emplace(kBxRuleAddress, std::move(address));
  properties.emplace(kBxRuleMacAddress, std::move(mac));
  properties.emplace(kBxRuleTrustLevel, IntValue(rule.trustLevel));
  std::map<long, PropertyCheck> writable;
  writable.emplace(kBxRuleTrustLevel, IntCheck(0, 2));
  const long id = rule.id;
  return BxConfigObject::Create(
      std::move(properties), std::move(writable),
      [id](const PropertyMap& stored, const std::set<long>&) {
        const long trust = StoredInt(stored, kBxRuleTrustLevel);
        return UpdateModel([id, trust](FirewallModel& m) {
          IpRule* target = FindById(m.ipRules, id);
          if (target == nullptr) return kResultNotFound;
          target->trustLevel = trust;
          return kResultOk;
        });
      },
      out);
}

}  // namespace BxKit
