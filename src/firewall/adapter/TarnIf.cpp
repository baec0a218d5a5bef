#include "firewall/adapter/TarnIf.h"

#include <cwchar>
#include <utility>

#include "Logging/Log.h"
#include "firewall/adapter/CountedBxDynamicInterface.h"
#include "firewall/adapter/TarnIfCalls.h"
#include "include/ModuleStatus.h"
#include "wrappers/ScopedVariant.h"

namespace Brenix {
namespace {

constexpr wchar_t kLogFile[] = L"TarnIf";

using Ledra::MODULE_STATUS_SUCCESS;
using Ledra::MODULE_STATUS_UNSUCCESSFUL;
using Ledra::logging::Error;
using Ledra::logging::Normal;
using Microsoft::WRL::ComPtr;

constexpr wchar_t kCreateFailed[] = L"BxPersonalFirewallConfig create failed: hr 0x%x";
constexpr wchar_t kGetConfigFailed[] = L"GetConfig(%ld) failed: hr 0x%x result %d";
constexpr wchar_t kGetConfigBadType[] = L"GetConfig(%ld) returned invalid variant type %d";
constexpr wchar_t kQueryConfigFailed[] = L"Query IBxConfig failed: hr 0x%x";
constexpr wchar_t kGetValueFailed[] = L"GetFirewallConfigValue(%ld, %ld) failed: hr 0x%x result %d";
constexpr wchar_t kGetValueBadType[] = L"GetFirewallConfigValue(%ld, %ld) returned invalid variant type %d";
constexpr wchar_t kFirewallIs[] = L"Firewall is %s";
constexpr wchar_t kHipsIs[] = L"HIPS is %s";
constexpr wchar_t kHipsFailed[] = L"Encountered an error while retriving the HIPS status: %ul";
constexpr wchar_t kTryingFirewall[] = L"Trying Firewall %s";
constexpr wchar_t kFirewallSwitched[] = L"Firewall %s successful";
constexpr wchar_t kFirewallSwitchFailed[] = L"Firewall %s failed: hr 0x%x result %d";
constexpr wchar_t kEnumCreateFailed[] =
    L"TarnIf::GetEnumerator:-failed to create an instance of BxPersonalFirewallConfig. Error: 0x%x";
constexpr wchar_t kEnumGetConfigFailed[] =
    L"TarnIf::GetEnumerator:-unable to get the property BXFWCONFIG_IPRULES due to error: '0x%x' lResult = "
    L"'0x%lX'.";
constexpr wchar_t kEnumBadType[] =
    L"TarnIf::GetEnumerator:-expected a IDispatch object returned for property: 'BXFWCONFIG_IPRULES'. "
    L"Received  "
    L"type of '%d' instead.";
constexpr wchar_t kEnumQueryCollectionFailed[] =
    L"TarnIf::GetEnumerator:-Cannot query for IBxFWConfigCollection. Error: '0x%x.";
constexpr wchar_t kEnumGetEnumeratorFailed[] = L"TarnIf::GetEnumerator:-GetEnumerator failed. Error: '0x%x'.";
constexpr wchar_t kEnumQueryEnumFailed[] =
    L"TarnIf::GetEnumerator:-Cannot query for IEnumVARIANT. Error: '0x%x'.";
constexpr wchar_t kRuleNull[] = L"TarnIf::is_ipv4_rule:-bxConfig was NULL ";
constexpr wchar_t kRuleGetFailed[] =
    L"TarnIf::is_ipv4_rule:- Failed to get Property: '%ld'. Hr = 0x%x,lResult = '0x%lX'.";
constexpr wchar_t kRuleBadType[] =
    L"TarnIf::is_ipv4_rule:- Expected a variant type of '%d' but received '%d' for property '%ld'.";
constexpr wchar_t kBagCreateFailed[] = L"Result bag create failed: hr 0x%x";

// The words for a state, indexed by the boolean.
const wchar_t* stateWord(bool on) { return on ? L"enable" : L"disable"; }

unsigned hex(HRESULT hr) { return static_cast<unsigned>(hr); }

}  // namespace

TarnIf::TarnIf(std::shared_ptr<ComponentCreator> creator)
    : creator_(creator ? std::move(creator) : std::make_shared<VerifiedComponentCreator>()) {}

HRESULT TarnIf::createPersonalFirewallConfig(ComPtr<IBxPersonalFirewallConfig>& config) {
  HRESULT hr = creator_->create(CLSID_BxPersonalFirewallConfig, IID_IBxPersonalFirewallConfig,
                                reinterpret_cast<void**>(config.ReleaseAndGetAddressOf()));
  if (SUCCEEDED(hr) && !config) hr = E_POINTER;
  return hr;
}

uint32_t TarnIf::GetFirewallConfig(long configId, ComPtr<IBxConfig>& config) {
  constexpr wchar_t kFunction[] = L"Brenix::TarnIf::GetFirewallConfig";
  config.Reset();
  ComPtr<IBxPersonalFirewallConfig> firewall;
  HRESULT hr = createPersonalFirewallConfig(firewall);
  if (FAILED(hr)) {
    LEDRA_LOG(Error, kFunction, 80, kCreateFailed, hex(hr));
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  Ledra::ScopedVariant value;
  long result = 0;
  hr = firewall->GetConfig(configId, value.receive(), &result);
  if (!componentCallSucceeded(hr, result)) {
    LEDRA_LOG(Error, kFunction, 87, kGetConfigFailed, configId, hex(hr), result);
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  if (value.type() != VT_DISPATCH) {
    LEDRA_LOG(Error, kFunction, 91, kGetConfigBadType, configId, static_cast<int>(value.type()));
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  IDispatch* dispatch = V_DISPATCH(&value.get());
  hr = dispatch ? dispatch->QueryInterface(IID_IBxConfig, reinterpret_cast<void**>(config.GetAddressOf()))
                : E_POINTER;
  if (FAILED(hr) || !config) {
    config.Reset();
    LEDRA_LOG(Error, kFunction, 99, kQueryConfigFailed, hex(FAILED(hr) ? hr : E_POINTER));
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  return MODULE_STATUS_SUCCESS;
}

uint32_t TarnIf::GetFirewallConfigValue(long configId, long valueId, bool& value) {
  constexpr wchar_t kFunction[] = L"Brenix::TarnIf::GetFirewallConfigValue";
  Ledra::ScopedVariant answer;
  answer.setBool(false);
  ComPtr<IBxConfig> config;
  uint32_t status = GetFirewallConfig(configId, config);
  if (status != MODULE_STATUS_SUCCESS) return status;

  long result = 0;
  HRESULT hr = config->GetProperty(valueId, answer.asInOut(), &result);
  config.Reset();
  if (!componentCallSucceeded(hr, result)) {
    LEDRA_LOG(Error, kFunction, 117, kGetValueFailed, configId, valueId, hex(hr), result);
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  if (answer.type() != VT_BOOL) {
    LEDRA_LOG(Error, kFunction, 121, kGetValueBadType, configId, valueId, static_cast<int>(answer.type()));
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  // Only VARIANT_TRUE, all sixteen bits set, is true.
  value = V_BOOL(&answer.get()) == VARIANT_TRUE;
  return MODULE_STATUS_SUCCESS;
}

uint32_t TarnIf::GetFirewallState(bool& enabled) {
  uint32_t status = GetFirewallConfigValue(kBxConfigFirewall, kBxConfigFirewallEnabled, enabled);
  if (status == MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(Normal, L"Brenix::TarnIf::GetFirewallState", 133, kFirewallIs, stateWord(enabled));
  }
  return status;
}

uint32_t TarnIf::GetHipsState(bool& enabled) {
  constexpr wchar_t kFunction[] = L"Brenix::TarnIf::GetHipsState";
  uint32_t status = GetFirewallConfigValue(kBxConfigHips, kBxConfigHipsEnabled, enabled);
  if (static_cast<int32_t>(status) >= 0) {
    LEDRA_LOG(Normal, kFunction, 142, kHipsIs, stateWord(enabled));
  } else {
    LEDRA_LOG(Error, kFunction, 144, kHipsFailed, status);
  }
  return status;
}

uint32_t TarnIf::EnableFirewall(bool enable) {
  constexpr wchar_t kFunction[] = L"Brenix::TarnIf::EnableFirewall";
  LEDRA_LOG(Normal, kFunction, 151, kTryingFirewall, stateWord(enable));
  ComPtr<IBxPersonalFirewallConfig> firewall;
  HRESULT hr = createPersonalFirewallConfig(firewall);
  if (FAILED(hr)) {
    LEDRA_LOG(Error, kFunction, 155, kCreateFailed, hex(hr));
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  long result = 0;
  hr = enable ? firewall->Enable(&result) : firewall->Disable(&result);
  if (!componentCallSucceeded(hr, result)) {
    LEDRA_LOG(Error, kFunction, 161, kFirewallSwitchFailed, stateWord(enable), hex(hr), result);
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  LEDRA_LOG(Normal, kFunction, 164, kFirewallSwitched, stateWord(enable));
  return MODULE_STATUS_SUCCESS;
}

uint32_t TarnIf::get_enumerator(ComPtr<IEnumVARIANT>& enumerator) {
  constexpr wchar_t kFunction[] = L"Brenix::TarnIf::get_enumerator";
  enumerator.Reset();
  ComPtr<IBxPersonalFirewallConfig> firewall;
  HRESULT hr = createPersonalFirewallConfig(firewall);
  if (FAILED(hr)) {
    LEDRA_LOG(Error, kFunction, 174, kEnumCreateFailed, hex(hr));
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  Ledra::ScopedVariant rules;
  long result = 0;
  hr = firewall->GetConfig(kBxConfigIpRules, rules.receive(), &result);
  if (!componentCallSucceeded(hr, result)) {
    LEDRA_LOG(Error, kFunction, 181, kEnumGetConfigFailed, hex(hr), result);
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  if (rules.type() != VT_DISPATCH || !V_DISPATCH(&rules.get())) {
    LEDRA_LOG(Error, kFunction, 185, kEnumBadType, static_cast<int>(rules.type()));
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  ComPtr<IBxFWConfigCollection> collection;
  hr = V_DISPATCH(&rules.get())
           ->QueryInterface(IID_IBxFWConfigCollection, reinterpret_cast<void**>(collection.GetAddressOf()));
  if (FAILED(hr) || !collection) {
    LEDRA_LOG(Error, kFunction, 192, kEnumQueryCollectionFailed, hex(FAILED(hr) ? hr : E_POINTER));
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  ComPtr<IUnknown> answer;
  hr = collection->GetEnumerator(answer.GetAddressOf());
  if (FAILED(hr) || !answer) {
    LEDRA_LOG(Error, kFunction, 198, kEnumGetEnumeratorFailed, hex(FAILED(hr) ? hr : E_POINTER));
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  // A caller walks the rules through this; without it there is nothing to walk.
  hr = answer->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(enumerator.GetAddressOf()));
  if (FAILED(hr) || !enumerator) {
    enumerator.Reset();
    LEDRA_LOG(Error, kFunction, 205, kEnumQueryEnumFailed, hex(FAILED(hr) ? hr : E_POINTER));
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  enumerator->Reset();
  return MODULE_STATUS_SUCCESS;
}

bool TarnIf::is_ipv4_rule(IBxConfig* rule) {
  constexpr wchar_t kFunction[] = L"Brenix::TarnIf::is_ipv4_rule";
  if (!rule) {
    LEDRA_LOG(Error, kFunction, 215, kRuleNull);
    return false;
  }
  Ledra::ScopedVariant address;
  long result = 0;
  HRESULT hr = rule->GetProperty(kBxRuleAddress, address.receive(), &result);
  if (!componentCallSucceeded(hr, result)) {
    LEDRA_LOG(Error, kFunction, 222, kRuleGetFailed, kBxRuleAddress, hex(hr), result);
    return false;
  }
  if (address.type() != VT_BSTR) {
    LEDRA_LOG(Error, kFunction, 226, kRuleBadType, static_cast<int>(VT_BSTR),
              static_cast<int>(address.type()), kBxRuleAddress);
    return false;
  }
  BSTR text = V_BSTR(&address.get());
  // IPv6 addresses, and only they, hold a ':'.
  return text && text[0] != L'\0' && std::wcschr(text, L':') == nullptr;
}

uint32_t TarnIf::set_firewall_state(VARIANT state, VARIANT reenableTime, SettingsPtr settings) {
  return invoke(std::move(settings), calls::kSetFirewallState, &IBxFWSettings::SetFirewallState, state,
                reenableTime);
}

uint32_t TarnIf::callSettings(SettingsPtr settings, const SettingsCallTexts& texts, const SettingsCall& call,
                              const DescReader& read, long* result, const VARIANT* callerDesc) {
  if (!settings) {
    LEDRA_LOG(Error, texts.function, texts.nullLine, texts.nullMessage);
    return MODULE_STATUS_UNSUCCESSFUL;
  }
  long localResult = 0;
  long* resultCode = result ? result : &localResult;
  uint32_t status = MODULE_STATUS_UNSUCCESSFUL;
  {
    Ledra::ScopedVariant ownDesc;
    if (callerDesc == nullptr) {
      ComPtr<CountedBxDynamicInterface> bag = CountedBxDynamicInterface::create();
      if (!bag) {
        LEDRA_LOG(Error, texts.function, calls::kBagCreateFailedLine, kBagCreateFailed, hex(E_OUTOFMEMORY));
        settings.Reset();
        return MODULE_STATUS_UNSUCCESSFUL;
      }
      ownDesc.setDispatch(bag.Get());
      bag.Reset();  // ownDesc holds the only reference, so destroying it destroys the bag
    }
    const VARIANT& desc = callerDesc ? *callerDesc : ownDesc.get();

    const HRESULT hr = call(settings.Get(), desc, resultCode);
    const bool succeeded =
        texts.rule == CallRule::HresultNotFailed ? SUCCEEDED(hr) : componentCallSucceeded(hr, *resultCode);
    if (succeeded) {
      if (read) read(desc);
      status = MODULE_STATUS_SUCCESS;
    } else {
      LEDRA_LOG(Error, texts.function, texts.failureLine, texts.failureMessage, hex(hr), *resultCode);
    }
  }
  settings.Reset();
  return status;
}

}  // namespace Brenix
