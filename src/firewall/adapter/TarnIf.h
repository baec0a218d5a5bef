// The adapter between the request handlers and the firewall configuration
// component. It keeps no state between calls: every object it makes lives
// within one call, and a settings reference handed to it is released by it on
// every path.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "firewall/adapter/ComponentCreator.h"
#include "include/BxFWInterfaces.h"

namespace Brenix {

// A component call succeeds when its HRESULT is 0 and its result code has none
// of its low 17 bits set; either half alone failing fails the call.
constexpr bool componentCallSucceeded(HRESULT hr, long result) noexcept {
  return hr == 0 && (static_cast<unsigned long>(result) & 0x1FFFFul) == 0;
}

// The texts one set or get operation of a feature logs.
struct SettingsCallTexts {
  const wchar_t* function;        // qualified name, e.g. L"Brenix::TarnIf::set_firewall_state"
  const wchar_t* nullMessage;     // logged when the settings reference is null
  const wchar_t* failureMessage;  // format taking the HRESULT (%x) and then the result (%d)
};

class TarnIf {
 public:
  using SettingsPtr = Microsoft::WRL::ComPtr<IBxFWSettings>;
  // Calls one operation of the component with desc and the result pointer.
  using SettingsCall = std::function<HRESULT(IBxFWSettings* settings, const VARIANT& desc, long* result)>;
  // Reads what a feature needs from desc after a successful call.
  using DescReader = std::function<void(const VARIANT& desc)>;

  // A null creator means verified creation.
  explicit TarnIf(std::shared_ptr<ComponentCreator> creator = nullptr);

  uint32_t GetFirewallConfig(long configId, Microsoft::WRL::ComPtr<IBxConfig>& config);
  uint32_t GetFirewallConfigValue(long configId, long valueId, bool& value);
  uint32_t GetFirewallState(bool& enabled);
  // Passes on the code of the configuration read.
  uint32_t GetHipsState(bool& enabled);
  uint32_t EnableFirewall(bool enable);
  // On success the enumerator stands at the start of the IP-rule collection.
  uint32_t get_enumerator(Microsoft::WRL::ComPtr<IEnumVARIANT>& enumerator);
  bool is_ipv4_rule(IBxConfig* rule);

  uint32_t set_firewall_state(VARIANT state, VARIANT reenableTime, SettingsPtr settings);

  // Settings groups and small services of the features.

  // List operations of the features.

  // The shape every set and get operation of the features shares: a null
  // settings reference fails; otherwise a fresh counted result bag is wrapped as
  // desc and handed to call; on success read (if any) sees desc. desc is
  // destroyed and settings released on every path. result, when given, is the
  // caller's result variable; otherwise a local one starting at 0 is used.
  // Answers 0 or 0x80000002.
  uint32_t callSettings(SettingsPtr settings, const SettingsCallTexts& texts, const SettingsCall& call,
                        const DescReader& read = nullptr, long* result = nullptr);

 private:
  HRESULT createPersonalFirewallConfig(Microsoft::WRL::ComPtr<IBxPersonalFirewallConfig>& config);

  std::shared_ptr<ComponentCreator> creator_;
};

}  // namespace Brenix
