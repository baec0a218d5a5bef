// The adapter operations of the settings groups and the small services: the
// groups' reads and changes, the defaults, the BxHubHelper services
// (administrator state, file dialog) and the trust level of networks.
#include <windows.h>

#include <cwchar>
#include <utility>

#include "Logging/Log.h"
#include "firewall/adapter/TarnIf.h"
#include "firewall/adapter/TarnIfCalls.h"
#include "include/ModuleStatus.h"
#include "wrappers/ScopedVariant.h"

namespace Brenix {
namespace {

constexpr wchar_t kLogFile[] = L"TarnIf";

using Ledra::MODULE_STATUS_SUCCESS;
using Ledra::MODULE_STATUS_UNSUCCESSFUL;
using Ledra::logging::Error;
using Microsoft::WRL::ComPtr;

constexpr wchar_t kAdminCreateFailed[] =
    L"GetUserState - Create instance of IID_IBxHubHelper failed: (0x%08X)";
constexpr wchar_t kIsAdminFailed[] = L"GetUserState - BxHubHelper IsAdmin failed: (0x%08X)";
constexpr wchar_t kFileCreateFailed[] =
    L"SelectProgramFile - Create instance of IID_IBxHubHelper failed: (0x%08X)";
constexpr wchar_t kOpenFileFailed[] = L"SelectProgramFile - BxHubHelper OpenFile failed: (0x%08X)";

constexpr wchar_t kGetTrustFailed[] = L"TarnIf::get_network_trust_level failed: %lu";
constexpr wchar_t kGetTrustMacFailed[] =
    L"TarnIf::get_network_trust_level:- Failed to get Property: '%ld'. Hr = 0x%x,lResult = '0x%lX'.";
constexpr wchar_t kGetTrustLevelFailed[] =
    L"TarnIf::get_network_trust_level:- Failed to get Property: '%ld',Hr = 0x%x,lResult = '0x%lX'.";
constexpr wchar_t kGetTrustBadType[] =
    L"TarnIf::get_network_trust_level:- Expected a variant type of '%d' but received '%d' for property "
    L"'%ld'.";
constexpr wchar_t kSetTrustFailed[] = L"TarnIf::set_network_trust_level failed: %lu";
constexpr wchar_t kSetTrustMacFailed[] =
    L"TarnIf::set_network_trust_level:- Failed to get Property: '%ld'. Hr = 0x%x,lResult = '0x%lX'.";
constexpr wchar_t kSetPropertyFailed[] =
    L"Unable to set the property: '%ld' due to error: '0x%x' lResult = '0x%lX'.";
constexpr wchar_t kApplyFailed[] = L"Unable to apply property: '%ld' due to error: '0x%x' lResult = '0x%lX'.";

// The user interface's top-level window class.
constexpr wchar_t kOwnerWindowClass[] = L"ChromiumContainerImpl";
constexpr int kClassNameLength = 260;
// The first argument of OpenFile is always 1.
constexpr long kOpenFileMode = 1;

unsigned hex(HRESULT hr) { return static_cast<unsigned>(hr); }
unsigned long masked(long result) { return static_cast<unsigned long>(result) & 0x1FFFFul; }

HRESULT createHubHelper(ComponentCreator& creator, ComPtr<IBxHubHelper>& helper) {
  HRESULT hr = creator.create(CLSID_BxHubHelper, IID_IBxHubHelper,
                              reinterpret_cast<void**>(helper.ReleaseAndGetAddressOf()));
  if (SUCCEEDED(hr) && !helper) hr = E_POINTER;
  return hr;
}

// Equal ignoring the case of the letters A to Z only.
bool sameMac(const wchar_t* a, const wchar_t* b) {
  const auto fold = [](wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
  };
  for (; *a != L'\0' && *b != L'\0'; ++a, ++b) {
    if (fold(*a) != fold(*b)) return false;
  }
  return *a == *b;
}

// The next rule of the walk: false at the end (an empty item or a failed step).
// An item that does not yield IBxConfig leaves rule null.
bool nextRule(IEnumVARIANT* rules, ComPtr<IBxConfig>& rule) {
  rule.Reset();
  Ledra::ScopedVariant item;
  ULONG fetched = 0;
  if (rules->Next(1, item.receive(), &fetched) != S_OK || fetched == 0 || item.type() == VT_EMPTY)
    return false;
  if ((item.type() == VT_DISPATCH || item.type() == VT_UNKNOWN) && V_UNKNOWN(&item.get()) != nullptr) {
    if (FAILED(V_UNKNOWN(&item.get())
                   ->QueryInterface(IID_IBxConfig, reinterpret_cast<void**>(rule.GetAddressOf()))))
      rule.Reset();
  }
  return true;
}

enum class MacMatch { Matches, Differs, Unreadable };

// Reads the rule's MAC (property 9); a rule without one matches every MAC.
MacMatch matchRuleMac(IBxConfig* rule, const VARIANT& mac, const wchar_t* function,
                      const wchar_t* readFailed) {
  Ledra::ScopedVariant ruleMac;
  long result = 0;
  const HRESULT hr = rule->GetProperty(kBxRuleMacAddress, ruleMac.receive(), &result);
  if (!componentCallSucceeded(hr, result)) {
    LEDRA_LOG(Error, function, 98, readFailed, kBxRuleMacAddress, hex(hr), masked(result));
    return MacMatch::Unreadable;
  }
  const VARTYPE type = ruleMac.type();
  if (type == VT_EMPTY || type == VT_NULL || (type == VT_BSTR && V_BSTR(&ruleMac.get()) == nullptr)) {
    return MacMatch::Matches;
  }
  if (type != VT_BSTR) return MacMatch::Differs;
  const wchar_t* wanted = V_VT(&mac) == VT_BSTR && V_BSTR(&mac) ? V_BSTR(&mac) : L"";
  return sameMac(V_BSTR(&ruleMac.get()), wanted) ? MacMatch::Matches : MacMatch::Differs;
}

// A group's read: the component fills the caller's bag.
TarnIf::SettingsCall groupRead(HRESULT (STDMETHODCALLTYPE IBxFWSettings::*read)(VARIANT, long*)) {
  return [read](IBxFWSettings* fw, const VARIANT& desc, long* result) { return (fw->*read)(desc, result); };
}

}  // namespace

uint32_t TarnIf::get_firewallsecurity_level(const VARIANT& desc, SettingsPtr settings) {
  return callSettings(std::move(settings), calls::kGetSecurityLevel,
                      groupRead(&IBxFWSettings::GetSecurityLevel), nullptr, nullptr, &desc);
}

uint32_t TarnIf::get_firewallsmartadvice_settings(const VARIANT& desc, SettingsPtr settings) {
  return callSettings(std::move(settings), calls::kGetSmartAdvice,
                      groupRead(&IBxFWSettings::GetSmartRecomendations), nullptr, nullptr, &desc);
}

uint32_t TarnIf::get_firewallhistory_setting(const VARIANT& desc, SettingsPtr settings) {
  return callSettings(std::move(settings), calls::kGetHistory, groupRead(&IBxFWSettings::GetEventLog),
                      nullptr, nullptr, &desc);
}

uint32_t TarnIf::get_intrusiondetection_settings(const VARIANT& desc, SettingsPtr settings) {
  return callSettings(std::move(settings), calls::kGetIntrusionDetection, groupRead(&IBxFWSettings::GetHips),
                      nullptr, nullptr, &desc);
}

uint32_t TarnIf::set_firewallsecuritylevel_settings(VARIANT level, SettingsPtr settings) {
  return invoke(std::move(settings), calls::kSetSecurityLevel, &IBxFWSettings::SetSecurityLevel, level);
}

uint32_t TarnIf::set_firewallsmartadvice_settings(VARIANT showSmartRecos, VARIANT automatic,
                                                  VARIANT enableProtStartup, VARIANT allowIcmp,
                                                  VARIANT enableUdp, SettingsPtr settings) {
  return invoke(std::move(settings), calls::kSetSmartAdvice, &IBxFWSettings::SetSmartRecomendations,
                showSmartRecos, automatic, enableProtStartup, allowIcmp, enableUdp);
}

uint32_t TarnIf::set_firewallhistory_setting(VARIANT logEvents, VARIANT blockedPrograms, VARIANT icmpPings,
                                             VARIANT bannedIps, VARIANT systemServicePorts,
                                             VARIANT intrusionDetection, VARIANT unknownEvents,
                                             VARIANT dontLogOnPorts, VARIANT portsNotToLog,
                                             SettingsPtr settings) {
  return invoke(std::move(settings), calls::kSetHistory, &IBxFWSettings::SetEventLog, logEvents,
                blockedPrograms, icmpPings, bannedIps, systemServicePorts, intrusionDetection, unknownEvents,
                dontLogOnPorts, portsNotToLog);
}

uint32_t TarnIf::set_firewallintrusiondetection_setting(VARIANT enable, VARIANT level, SettingsPtr settings) {
  return invoke(std::move(settings), calls::kSetIntrusionDetection, &IBxFWSettings::SetHips, enable, level);
}

uint32_t TarnIf::restore_firewalldefault_settings(SettingsPtr settings) {
  VARIANT none;
  VariantInit(&none);
  return callSettings(
      std::move(settings), calls::kRestoreDefaults,
      [](IBxFWSettings* fw, const VARIANT&, long* result) { return fw->ResetToDefaults(result); }, nullptr,
      nullptr, &none);
}

uint32_t TarnIf::refresh_firewalldefault_settings(SettingsPtr settings, bool& atDefaults) {
  VARIANT none;
  VariantInit(&none);
  VARIANT_BOOL answer = VARIANT_FALSE;
  const uint32_t status = callSettings(
      std::move(settings), calls::kRefreshDefaults,
      [&answer](IBxFWSettings* fw, const VARIANT&, long*) { return fw->IsResetToDefaults(&answer); }, nullptr,
      nullptr, &none);
  if (status == MODULE_STATUS_SUCCESS) atDefaults = answer == VARIANT_TRUE;
  return status;
}

uint32_t TarnIf::isadmin(bool& admin) {
  constexpr wchar_t kFunction[] = L"Brenix::TarnIf::isadmin";
  ComPtr<IBxHubHelper> helper;
  HRESULT hr = createHubHelper(*creator_, helper);
  if (FAILED(hr)) {
    LEDRA_LOG(Error, kFunction, 162, kAdminCreateFailed, hex(hr));
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  VARIANT_BOOL answer = VARIANT_FALSE;
  hr = helper->IsAdmin(&answer);
  if (FAILED(hr)) {
    LEDRA_LOG(Error, kFunction, 168, kIsAdminFailed, hex(hr));
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  admin = answer == VARIANT_TRUE;
  return MODULE_STATUS_SUCCESS;
}

uint32_t TarnIf::uploaded_filepath(VARIANT session, VARIANT* path) {
  constexpr wchar_t kFunction[] = L"Brenix::TarnIf::uploaded_filepath";
  ComPtr<IBxHubHelper> helper;
  HRESULT hr = createHubHelper(*creator_, helper);
  if (FAILED(hr)) {
    LEDRA_LOG(Error, kFunction, 180, kFileCreateFailed, hex(hr));
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  hr = helper->OpenFile(kOpenFileMode, find_owner_window(session), path);
  if (FAILED(hr)) {
    LEDRA_LOG(Error, kFunction, 185, kOpenFileFailed, hex(hr));
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  return MODULE_STATUS_SUCCESS;
}

HWND TarnIf::find_owner_window(const VARIANT& session) {
  const DWORD wantedSession = static_cast<DWORD>(V_I4(&session));
  // From the top of the Z order downwards.
  for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
    if (GetWindow(window, GW_OWNER) != nullptr || !IsWindowVisible(window)) continue;
    wchar_t className[kClassNameLength] = {};
    if (GetClassNameW(window, className, kClassNameLength) == 0 ||
        std::wcscmp(className, kOwnerWindowClass) != 0) {
      continue;
    }
    DWORD processId = 0;
    DWORD processSession = 0;
    GetWindowThreadProcessId(window, &processId);
    if (ProcessIdToSessionId(processId, &processSession) && processSession == wantedSession) return window;
  }
  return nullptr;
}

uint32_t TarnIf::get_network_trust_level(VARIANT mac, VARIANT* level) {
  constexpr wchar_t kFunction[] = L"Brenix::TarnIf::get_network_trust_level";
  ComPtr<IEnumVARIANT> rules;
  const uint32_t status = get_enumerator(rules);
  if (status != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(Error, kFunction, 214, kGetTrustFailed, static_cast<unsigned long>(status));
    return status;
  }
  ComPtr<IBxConfig> rule;
  while (nextRule(rules.Get(), rule)) {
    if (!rule || matchRuleMac(rule.Get(), mac, kFunction, kGetTrustMacFailed) != MacMatch::Matches) continue;
    // The first matching rule answers.
    long result = 0;
    const HRESULT hr = rule->GetProperty(kBxRuleTrustLevel, level, &result);
    if (masked(result) != 0) {
      LEDRA_LOG(Error, kFunction, 224, kGetTrustLevelFailed, kBxRuleTrustLevel, hex(hr), masked(result));
      return MODULE_STATUS_UNSUCCESSFUL;
    }
    if (V_VT(level) != VT_I4) {
      LEDRA_LOG(Error, kFunction, 228, kGetTrustBadType, static_cast<int>(VT_I4),
                static_cast<int>(V_VT(level)), kBxRuleTrustLevel);
      return MODULE_STATUS_UNSUCCESSFUL;
    }
    return MODULE_STATUS_SUCCESS;
  }
  return MODULE_STATUS_SUCCESS;
}

uint32_t TarnIf::set_network_trust_level(VARIANT mac, VARIANT level) {
  constexpr wchar_t kFunction[] = L"Brenix::TarnIf::set_network_trust_level";
  ComPtr<IEnumVARIANT> rules;
  const uint32_t status = get_enumerator(rules);
  if (status != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(Error, kFunction, 242, kSetTrustFailed, static_cast<unsigned long>(status));
    return status;
  }
  ComPtr<IBxConfig> rule;
  while (nextRule(rules.Get(), rule)) {
    if (!rule || matchRuleMac(rule.Get(), mac, kFunction, kSetTrustMacFailed) != MacMatch::Matches) continue;
    if (!is_ipv4_rule(rule.Get())) continue;
    long result = 0;
    HRESULT hr = rule->SetProperty(kBxRuleTrustLevel, level, &result);
    if (FAILED(hr) || masked(result) != 0) {
      LEDRA_LOG(Error, kFunction, 252, kSetPropertyFailed, kBxRuleTrustLevel, hex(hr), masked(result));
      return MODULE_STATUS_UNSUCCESSFUL;
    }
    result = 0;
    hr = rule->ApplyProperties(&result);
    // Only S_OK applies the level: an S_FALSE leaves the rule as it was.
    if (hr != S_OK || masked(result) != 0) {
      LEDRA_LOG(Error, kFunction, 258, kApplyFailed, kBxRuleTrustLevel, hex(hr), masked(result));
      return MODULE_STATUS_UNSUCCESSFUL;
    }
  }
  return MODULE_STATUS_SUCCESS;
}

}  // namespace Brenix
