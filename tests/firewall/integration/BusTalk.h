// What a test says on the bus and how it reads the answers: state requests,
// the state notification's exact text, payload members, and switching
// intrusion prevention through the component itself.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>

#include "include/BxFWInterfaces.h"
#include "include/MessageHeader.h"
#include "message/JSONParser.h"
#include "tests/support/KilnRun.h"

namespace tarn_test {

constexpr wchar_t kChangeState[] = L"Core.Firewall.ChangeState";
constexpr wchar_t kRefreshState[] = L"Core.Firewall.RefreshState";
constexpr wchar_t kProtectionStatusChange[] = L"Core.Firewall.ProtectionStatusChange";
constexpr wchar_t kHipsState[] = L"Core.Firewall.HIPS.State";
constexpr wchar_t kSetState[] = L"Core.Firewall.SetState";
constexpr wchar_t kIgnoreFirewall[] = L"Core.Protection.IgnoreFirewall";
constexpr wchar_t kStateNotification[] = L"Core.Firewall.State";
constexpr wchar_t kHipsStatus[] = L"HIPS.STATUS";

// A text member of a JSON payload; "<missing>" when it is not there.
inline std::wstring textMember(const std::wstring& payload, const wchar_t* key) {
  Ledra::JSONParser parser;
  std::wstring value;
  if (!parser.parse(payload) || !parser.getString(key, value)) return L"<missing>";
  return value;
}

// A boolean member of a JSON payload as "true"/"false"; "<missing>" when it is not there.
inline std::wstring boolMember(const std::wstring& payload, const wchar_t* key) {
  Ledra::JSONParser parser;
  bool value = false;
  if (!parser.parse(payload) || !parser.getBool(key, value)) return L"<missing>";
  return value ? L"true" : L"false";
}

// The firewall's state as the module reads it from the component: "on", "off",
// or a text saying why there is none.
inline std::wstring firewallState(KilnRun& run) {
  Kiln::SeenMessage reply;
  if (!run.probe().ask(kRefreshState, L"", kPatienceMs, &reply)) return L"<no reply>";
  return textMember(reply.payload, L"state");
}

// A message published as itself: not the copy the bus client makes of every
// reply (so not a late copy of an earlier answer to the test's own request).
inline bool publishedPlain(const Kiln::SeenMessage& seen) {
  return (seen.flags & (Ledra::kMessageFlagReply | Ledra::kMessageFlagNonReplyCopy)) == 0;
}

// The state notification's exact payload.
inline std::wstring statePayload(const std::wstring& state, bool offByUser) {
  return L"{\"state\":\"" + state + L"\",\"off_by_user\":" + (offByUser ? L"true" : L"false") +
         L",\"error\":false}";
}

// Switches intrusion prevention through a component object of the test's own,
// as another client of the component would.
inline ::testing::AssertionResult setHips(bool enabled) {
  Microsoft::WRL::ComPtr<IBxClassFactory> factory;
  HRESULT hr = CoGetClassObject(CLSID_BxFWSettings, CLSCTX_INPROC_SERVER, nullptr, IID_IBxClassFactory,
                                reinterpret_cast<void**>(factory.GetAddressOf()));
  if (FAILED(hr)) return ::testing::AssertionFailure() << "CoGetClassObject: " << std::hex << hr;
  Microsoft::WRL::ComPtr<IBxFWSettings> settings;
  hr = factory->CreateInstance(IID_IBxFWSettings, reinterpret_cast<void**>(settings.GetAddressOf()));
  if (FAILED(hr)) return ::testing::AssertionFailure() << "CreateInstance: " << std::hex << hr;
  // Plain values: nothing for VariantClear to free.
  VARIANT enable;
  VariantInit(&enable);
  enable.vt = VT_BOOL;
  enable.boolVal = enabled ? VARIANT_TRUE : VARIANT_FALSE;
  VARIANT level;
  VariantInit(&level);
  level.vt = VT_I4;
  level.lVal = 1;
  VARIANT noBag;
  VariantInit(&noBag);
  long result = -1;
  hr = settings->SetHips(enable, level, noBag, &result);
  if (FAILED(hr) || (result & 0x1FFFF) != 0) {
    return ::testing::AssertionFailure() << "SetHips: " << std::hex << hr << " result " << result;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace tarn_test
