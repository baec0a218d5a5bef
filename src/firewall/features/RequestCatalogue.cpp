#include "firewall/features/RequestCatalogue.h"

#include <cwchar>

#include "firewall/features/HandlerRows.h"
#include "firewall/features/PayloadFields.h"

namespace Brenix {
namespace catalogue {
namespace {

using namespace handlers;

constexpr wchar_t kState[] = L"Firewall state";
constexpr wchar_t kLevel[] = L"Security level";
constexpr wchar_t kSmart[] = L"Smart advice";
constexpr wchar_t kHistory[] = L"History";
constexpr wchar_t kIntrusion[] = L"Intrusion detection";
constexpr wchar_t kDefaults[] = L"Defaults";
constexpr wchar_t kPrograms[] = L"Program permissions";
constexpr wchar_t kServices[] = L"Ports and system services";
constexpr wchar_t kNetGuard[] = L"Net guard";
constexpr wchar_t kAddresses[] = L"Network connections";
constexpr wchar_t kTrust[] = L"Network trust level";
constexpr wchar_t kIgnoreFirewall[] = L"Core.Protection.IgnoreFirewall";

constexpr Send kPublish = Send::Publish;
constexpr AnswerUse kNone = {nullptr, Form::Plain};
constexpr AnswerUse plain(const answer::Answer& answer) { return {&answer, Form::Plain}; }
constexpr AnswerUse whenRequested(const answer::Answer& answer) {
  return {&answer, Form::ReplyWhenRequested};
}

constexpr Entry changes(const wchar_t* name, const wchar_t* group, const ChangeRequest& change,
                        AnswerUse answer = kNone) {
  return {name, group, kPublish, &change, nullptr, nullptr, {answer, kNone}, nullptr, nullptr};
}
constexpr Entry refreshes(const wchar_t* name, const wchar_t* group, const RefreshGroup& refresh) {
  return {name, group, kPublish, nullptr, &refresh, nullptr, {kNone, kNone}, nullptr, nullptr};
}
constexpr Entry lists(const wchar_t* name, const wchar_t* group, const wchar_t* componentMessage) {
  return {name, group, kPublish, nullptr, nullptr, nullptr, {kNone, kNone}, componentMessage, nullptr};
}
constexpr Entry other(const wchar_t* name, const wchar_t* group, Send send, AnswerUse answer,
                      const payload::RequestPayload* payload = nullptr) {
  return {name, group, send, nullptr, nullptr, payload, {answer, kNone}, nullptr, nullptr};
}

const Entry kEntries[] = {
    // The state handlers read "Core.Firewall.ChangeState" by its own code, with this table's words.
    other(L"Core.Firewall.ChangeState", kState, kPublish, plain(answers::kState), &payloads::kChangeState),
    other(L"Core.Firewall.RefreshState", kState, Send::Request, whenRequested(answers::kState)),
    other(L"Core.Firewall.ProtectionStatusChange", kState, Send::Request, whenRequested(answers::kState)),
    {kIgnoreFirewall,
     L"Ignore firewall alerts",
     kPublish,
     nullptr,
     nullptr,
     nullptr,
     {plain(answers::kRefreshState), plain(answers::kState)},
     nullptr,
     kIgnoreFirewall},
    other(L"Core.Firewall.HIPS.State", L"HIPS", Send::Request, whenRequested(answers::kHipsState)),
    other(L"Core.Firewall.SetState", kState, kPublish, kNone, &payloads::kSetState),
    changes(L"Core.Firewall.UpdateTrafficController", kLevel, kSetSecurityLevel),
    refreshes(L"Core.Firewall.RefreshTrafficController", kLevel, kRefreshSecurityLevel),
    changes(L"Core.Firewall.UpdateSmartAdvice", kSmart, kSetSmartAdvice),
    refreshes(L"Core.Firewall.RefreshSmartAdvice", kSmart, kRefreshSmartAdvice),
    changes(L"Core.Firewall.SetHistory", kHistory, kSetHistory),
    refreshes(L"Core.Firewall.RefreshHistory", kHistory, kRefreshHistory),
    changes(L"Core.Firewall.SetIntrusionDetection", kIntrusion, kSetIntrusionDetection),
    refreshes(L"Core.Firewall.RefreshIntrusionDetection", kIntrusion, kRefreshIntrusionDetection),
    other(L"Core.Firewall.RestoreDefaults", kDefaults, kPublish, kNone),
    other(L"Core.Firewall.RefreshRestoreDefaultsBtnStatus", kDefaults, kPublish,
          plain(answers::kRestoreDefaultsButton)),
    other(L"Core.Firewall.RequestUserState", L"User state", kPublish, plain(answers::kUserState)),
    changes(L"Core.Firewall.GetUploadedFilePath", L"Program file", kUploadedFilePath,
            plain(answers::kUploadedFilePath)),
    {L"Core.Firewall.GetTrustLevel",
     kTrust,
     Send::Request,
     &kGetTrustLevel,
     nullptr,
     nullptr,
     {whenRequested(answers::kTrustLevel), kNone},
     nullptr,
     nullptr},
    changes(L"Core.Firewall.SetTrustLevel", kTrust, kSetTrustLevel),
    changes(L"Core.Firewall.AddProgramInternetConnection", kPrograms, kAddProgram),
    changes(L"Core.Firewall.EditProgramInternetConnection", kPrograms, kEditProgram),
    changes(L"Core.Firewall.DeleteProgramInternetConnection", kPrograms, kDeletePrograms),
    lists(L"Core.Firewall.RefreshProgramInternetConnection", kPrograms,
          L"Core.Firewall.Component.ProgramPermissions"),
    changes(L"Core.Firewall.AddPortsAndSystemServices", kServices, kAddService),
    changes(L"Core.Firewall.UpdatePortsAndSystemServices", kServices, kUpdateService),
    changes(L"Core.Firewall.DeletePortsAndSystemServices", kServices, kDeleteServices),
    lists(L"Core.Firewall.RefreshPortsAndSystemServices", kServices,
          L"Core.Firewall.Component.SystemServices"),
    changes(L"Core.Firewall.SetNetGuard", kNetGuard, kSetNetGuard),
    changes(L"Core.Firewall.EditNetGuard", kNetGuard, kEditNetGuard),
    changes(L"Core.Firewall.DeleteNetGuard", kNetGuard, kDeleteNetGuard),
    lists(L"Core.Firewall.RefreshNetGuard", kNetGuard, L"Core.Firewall.Component.IPReputation"),
    changes(L"Core.Firewall.AddNetworkConnection", kAddresses, kAddAddress),
    changes(L"Core.Firewall.EditNetworkConnection", kAddresses, kEditAddress),
    changes(L"Core.Firewall.DeleteNetworkConnection", kAddresses, kDeleteAddresses),
    lists(L"Core.Firewall.RefreshNetworkConnection", kAddresses, L"Core.Firewall.Component.IPAddresses"),
};

}  // namespace

const Entry* find(const wchar_t* name) {
  for (const Entry& entry : kEntries) {
    if (std::wcscmp(entry.name, name) == 0) return &entry;
  }
  return nullptr;
}

const payload::RequestPayload* payloadOf(const Entry& entry) {
  return entry.change != nullptr ? entry.change->payload : entry.payload;
}

}  // namespace catalogue
}  // namespace Brenix
