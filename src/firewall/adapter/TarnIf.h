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
#include <utility>

#include "firewall/adapter/ComponentCreator.h"
#include "include/BxFWInterfaces.h"
#include "wrappers/ScopedVariant.h"

namespace Brenix {

// A component call succeeds when its HRESULT is 0 and its result code has none
// of its low 17 bits set; either half alone failing fails the call.
constexpr bool componentCallSucceeded(HRESULT hr, long result) noexcept {
  return hr == 0 && (static_cast<unsigned long>(result) & 0x1FFFFul) == 0;
}

// How a component call's outcome is judged: the rule above, or (for the calls
// that take no result code) only the HRESULT's sign.
enum class CallRule : unsigned char { HresultAndResult, HresultNotFailed };

// What one call of the settings object logs (file TarnIf, severity 4): the
// adapter operation's name, its two texts and the lines they carry.
struct SettingsCallTexts {
  const wchar_t* function;        // qualified name, e.g. L"Brenix::TarnIf::set_firewall_state"
  const wchar_t* nullMessage;     // logged when the settings reference is null
  const wchar_t* failureMessage;  // format taking the HRESULT (%x) and then the result (%d)
  int nullLine;
  int failureLine;
  CallRule rule = CallRule::HresultAndResult;
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

  // Settings groups and small services of the features. A group's read fills
  // the caller's result bag (desc), which the caller reads afterwards.
  uint32_t get_firewallsecurity_level(const VARIANT& desc, SettingsPtr settings);
  uint32_t get_firewallsmartadvice_settings(const VARIANT& desc, SettingsPtr settings);
  uint32_t get_firewallhistory_setting(const VARIANT& desc, SettingsPtr settings);
  uint32_t get_intrusiondetection_settings(const VARIANT& desc, SettingsPtr settings);
  uint32_t restore_firewalldefault_settings(SettingsPtr settings);
  // Whether the settings are the defaults (IsResetToDefaults answered VARIANT_TRUE).
  uint32_t refresh_firewalldefault_settings(SettingsPtr settings, bool& atDefaults);
  uint32_t set_firewallsecuritylevel_settings(VARIANT level, SettingsPtr settings);
  uint32_t set_firewallsmartadvice_settings(VARIANT showSmartRecos, VARIANT automatic,
                                            VARIANT enableProtStartup, VARIANT allowIcmp, VARIANT enableUdp,
                                            SettingsPtr settings);
  uint32_t set_firewallhistory_setting(VARIANT logEvents, VARIANT blockedPrograms, VARIANT icmpPings,
                                       VARIANT bannedIps, VARIANT systemServicePorts,
                                       VARIANT intrusionDetection, VARIANT unknownEvents,
                                       VARIANT dontLogOnPorts, VARIANT portsNotToLog, SettingsPtr settings);
  uint32_t set_firewallintrusiondetection_setting(VARIANT enable, VARIANT level, SettingsPtr settings);
  // Whether the user is an administrator, asked of a fresh BxHubHelper.
  uint32_t isadmin(bool& admin);
  // Shows the component's file dialog, owned by the user interface's window in
  // the session given, and leaves its answer in *path.
  uint32_t uploaded_filepath(VARIANT session, VARIANT* path);
  // The first visible, unowned top-level window of class "ChromiumContainerImpl"
  // whose process runs in the terminal session given (VT_I4); null if none.
  static HWND find_owner_window(const VARIANT& session);
  // The trust level of the first IP rule matching the MAC address (a rule
  // without MAC matches every address); the level is untouched when none does.
  uint32_t get_network_trust_level(VARIANT mac, VARIANT* level);
  // Writes the level into every matching IPv4 rule.
  uint32_t set_network_trust_level(VARIANT mac, VARIANT level);

  // List operations of the features.
  // Program permissions.
  uint32_t firewall_add_proginternetconn(VARIANT fileName, VARIANT permission, VARIANT scope,
                                         VARIANT netGuard, SettingsPtr settings);
  uint32_t firewall_edit_proginternetconn(VARIANT programId, VARIANT permission, VARIANT scope,
                                          VARIANT netGuard, SettingsPtr settings);
  uint32_t firewall_delete_proginternetconn(VARIANT programIds, SettingsPtr settings);
  uint32_t get_proginternetconn_settings(SettingsPtr settings);
  // Ports and system services. On success the add stores "SytemServiceID" in newId (-1 when absent).
  uint32_t add_portsandsystemservices_settings(VARIANT name, VARIANT enabled, VARIANT category,
                                               VARIANT tcpLocal, VARIANT udpLocal, VARIANT portList3,
                                               VARIANT portList4, VARIANT description, VARIANT networkType,
                                               VARIANT forwardActivity, SettingsPtr settings,
                                               Ledra::ScopedVariant* newId);
  uint32_t update_portsandsystemservices_settings(VARIANT serviceId, VARIANT name, VARIANT enabled,
                                                  VARIANT category, VARIANT tcpLocal, VARIANT udpLocal,
                                                  VARIANT portList3, VARIANT portList4, VARIANT description,
                                                  VARIANT networkType, VARIANT forwardActivity,
                                                  SettingsPtr settings);
  uint32_t delete_portsandsystemservices_settings(VARIANT serviceIds, SettingsPtr settings);
  uint32_t get_portsandsystemservice_settings(SettingsPtr settings);
  // Net guard.
  uint32_t set_firewall_netguard(VARIANT enable, SettingsPtr settings);
  uint32_t edit_firewall_netguard(VARIANT ssid, VARIANT action, SettingsPtr settings);
  uint32_t delete_firewall_netguard(VARIANT ssids, SettingsPtr settings);
  uint32_t get_netguard_settings(SettingsPtr settings);
  // Network connections. Add and edit leave the component's result code in *result;
  // on success the add stores "IPId" in newId (-1 when absent).
  uint32_t add_my_networkconnection(VARIANT notes, VARIANT ipType, VARIANT startAddress, VARIANT endAddress,
                                    VARIANT networkType, VARIANT expiresIn, SettingsPtr settings,
                                    Ledra::ScopedVariant* newId, long* result);
  uint32_t edit_my_networkconnection(VARIANT uniqueId, VARIANT notes, VARIANT ipType, VARIANT startAddress,
                                     VARIANT endAddress, VARIANT networkType, VARIANT expiresIn,
                                     SettingsPtr settings, long* result);
  uint32_t delete_my_networkconnection(VARIANT uniqueIds, SettingsPtr settings);
  uint32_t get_my_netconnsettings(SettingsPtr settings);

  // The shape every call of the settings object shares: a null settings
  // reference fails; otherwise call gets desc and the result code, and on
  // success read (if any) sees desc. desc is a fresh counted result bag,
  // destroyed afterwards, unless the caller lends one (callerDesc: its own bag,
  // or an empty VARIANT for the calls that take none). settings is released on
  // every path. result, when given, is the caller's result variable; otherwise
  // a local one starting at 0 is used. Answers 0 or 0x80000002.
  uint32_t callSettings(SettingsPtr settings, const SettingsCallTexts& texts, const SettingsCall& call,
                        const DescReader& read = nullptr, long* result = nullptr,
                        const VARIANT* callerDesc = nullptr);

 private:
  // One operation of the settings object: args..., then desc and the result.
  template <typename Method, typename... Args>
  uint32_t invoke(SettingsPtr settings, const SettingsCallTexts& texts, Method method, const Args&... args) {
    return callSettings(std::move(settings), texts,
                        [&](IBxFWSettings* fw, const VARIANT& desc, long* result) {
                          return (fw->*method)(args..., desc, result);
                        });
  }

  HRESULT createPersonalFirewallConfig(Microsoft::WRL::ComPtr<IBxPersonalFirewallConfig>& config);

  std::shared_ptr<ComponentCreator> creator_;
};

}  // namespace Brenix
