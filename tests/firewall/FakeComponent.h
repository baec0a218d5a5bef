// In-process fakes of the firewall component's objects, one family for the
// adapter's and the module core's tests. A fake lives with its test: refs()
// starts at 1 (the test's own reference) and Release never deletes, so a test
// can check that every reference the code under test took came back.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

#include "firewall/adapter/ComponentCreator.h"
#include "include/BxFWInterfaces.h"
#include "wrappers/ScopedVariant.h"

#define FAKE_UNKNOWN(Primary, ...)                                                       \
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {        \
    *object = nullptr;                                                                   \
    for (const IID* iid : std::initializer_list<const IID*>{&IID_IUnknown, __VA_ARGS__}) \
      if (IsEqualIID(riid, *iid)) *object = static_cast<Primary*>(this);                 \
    if (IsEqualIID(riid, IID_IDispatch)) *object = dispatchOrNull();                     \
    if (!*object) return E_NOINTERFACE;                                                  \
    AddRef();                                                                            \
    return S_OK;                                                                         \
  }                                                                                      \
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }                          \
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }                         \
  long refs() const { return refs_; }                                                    \
  std::atomic<long> refs_ { 1 }

// IDispatch of a fake that travels in a VT_DISPATCH but is never called
// through IDispatch, as the component's objects do.
#define FAKE_DISPATCH_STUBS                                                                  \
  FAKE_UNUSED(GetTypeInfoCount, UINT*);                                                      \
  FAKE_UNUSED(GetTypeInfo, UINT, LCID, ITypeInfo**);                                         \
  FAKE_UNUSED(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*);                        \
  FAKE_UNUSED(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*); \
  IDispatch* dispatchOrNull() { return static_cast<IDispatch*>(this); }                      \
  IDispatch* dispatch() { return static_cast<IDispatch*>(this); }

#define FAKE_UNUSED(slot, ...) \
  HRESULT STDMETHODCALLTYPE slot(__VA_ARGS__) override { return E_NOTIMPL; }

namespace tarn_test {

// A configuration object or IP rule: every GetProperty answers one prepared value.
class FakeConfig : public IBxConfig, public IDispatch {
 public:
  FAKE_UNKNOWN(IBxConfig, &IID_IBxConfig);
  HRESULT STDMETHODCALLTYPE GetProperty(long id, VARIANT* out, long* resultCode) override {  // 3
    lastId = id;
    *resultCode = result;
    return FAILED(hr) ? hr : value.copyTo(out);
  }
  FAKE_UNUSED(SetProperty, long, VARIANT, long*);  // 4
  FAKE_UNUSED(ApplyProperties, long*);             // 5
  FAKE_DISPATCH_STUBS

  Ledra::ScopedVariant value;
  HRESULT hr = S_OK;
  long result = 0;
  long lastId = -1;
};

// The IP-rule collection: GetEnumerator answers a prepared object.
class FakeConfigCollection : public IBxFWConfigCollection, public IDispatch {
 public:
  FAKE_UNKNOWN(IBxFWConfigCollection, &IID_IBxFWConfigCollection);
  HRESULT STDMETHODCALLTYPE GetEnumerator(IUnknown** out) override {  // 3
    *out = FAILED(hr) ? nullptr : enumerator;
    if (*out) (*out)->AddRef();
    return hr;
  }
  FAKE_DISPATCH_STUBS

  IUnknown* enumerator = nullptr;
  HRESULT hr = S_OK;
};

// An enumerator over nothing that counts its Reset calls.
class FakeEnumVariant : public IEnumVARIANT {
 public:
  FAKE_UNKNOWN(IEnumVARIANT, &IID_IEnumVARIANT);
  HRESULT STDMETHODCALLTYPE Next(ULONG, VARIANT*, ULONG*) override { return S_FALSE; }  // 3
  HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return S_FALSE; }                    // 4
  HRESULT STDMETHODCALLTYPE Reset() override {                                          // 5
    ++resets;
    return S_OK;
  }
  FAKE_UNUSED(Clone, IEnumVARIANT**);  // 6
  IDispatch* dispatchOrNull() { return nullptr; }

  int resets = 0;
};

// The firewall object: GetConfig answers a prepared VARIANT (prepare, when
// set, prepares it first); Enable and Disable are counted (and told to onSwitch).
class FakePersonalFirewallConfig : public IBxPersonalFirewallConfig {
 public:
  FAKE_UNKNOWN(IBxPersonalFirewallConfig, &IID_IBxPersonalFirewallConfig);
  HRESULT STDMETHODCALLTYPE GetConfig(long id, VARIANT* value, long* resultCode) override {  // 3
    lastConfigId = id;
    if (prepare) prepare(id);
    *resultCode = result;
    return FAILED(hr) ? hr : answer.copyTo(value);
  }
  HRESULT STDMETHODCALLTYPE Enable(long* resultCode) override { return toggle(true, resultCode); }    // 4
  HRESULT STDMETHODCALLTYPE Disable(long* resultCode) override { return toggle(false, resultCode); }  // 5
  IDispatch* dispatchOrNull() { return nullptr; }

  Ledra::ScopedVariant answer;
  HRESULT hr = S_OK;
  long result = 0;
  long lastConfigId = -1;
  int enables = 0;
  int disables = 0;
  std::function<void(long id)> prepare;
  std::function<HRESULT(bool on)> onSwitch;

 private:
  HRESULT toggle(bool on, long* resultCode) {
    ++(on ? enables : disables);
    *resultCode = result;
    return onSwitch ? onSwitch(on) : hr;
  }
};

// The settings object. SetFirewallState records its arguments, puts
// "successful" into the result bag by name as the component does, and answers
// a prepared HRESULT and result code. No other slot is used by these tests.
class FakeFWSettings : public IBxFWSettings {
  using V = VARIANT;  // keeps each slot on one line

 public:
  FAKE_UNKNOWN(IBxFWSettings, &IID_IBxFWSettings);
  FAKE_UNUSED(Reserved3);
  FAKE_UNUSED(Reserved4);
  FAKE_UNUSED(Reserved5);
  FAKE_UNUSED(Reserved6);
  FAKE_UNUSED(Reserved7);
  FAKE_UNUSED(Reserved8);
  FAKE_UNUSED(Reserved9);
  FAKE_UNUSED(Reserved10);
  HRESULT STDMETHODCALLTYPE SetFirewallState(VARIANT state, VARIANT reenableTime, VARIANT desc,
                                             long* resultCode) override {  // 11
    lastState.copyFrom(state);
    lastReenableTime.copyFrom(reenableTime);
    lastDescType = V_VT(&desc);
    if (onSetState) onSetState(state, reenableTime);
    LPOLESTR name[] = {const_cast<LPOLESTR>(L"successful")};
    DISPID id = 0;
    if (V_VT(&desc) == VT_DISPATCH &&
        V_DISPATCH(&desc)->GetIDsOfNames(IID_NULL, name, 1, 1024, &id) == S_OK) {
      Ledra::ScopedVariant yes;
      yes.setBool(true);
      DISPPARAMS params = {yes.asInOut(), nullptr, 1, 0};
      V_DISPATCH(&desc)->Invoke(id, IID_NULL, 1024, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
    }
    *resultCode = result;
    return hr;
  }
  FAKE_UNUSED(GetSecurityLevel, V, long*);                                    // 12
  FAKE_UNUSED(SetSecurityLevel, V, V, long*);                                 // 13
  FAKE_UNUSED(GetSmartRecomendations, V, long*);                              // 14
  FAKE_UNUSED(SetSmartRecomendations, V, V, V, V, V, V, long*);               // 15
  FAKE_UNUSED(GetEventLog, V, long*);                                         // 16
  FAKE_UNUSED(SetEventLog, V, V, V, V, V, V, V, V, V, V, long*);              // 17
  FAKE_UNUSED(as_GetProgramPermissions, V, long*);                            // 18
  FAKE_UNUSED(AddProgramPermission, V, V, V, V, V, long*);                    // 19
  FAKE_UNUSED(EditProgramPermission, V, V, V, V, V, long*);                   // 20
  FAKE_UNUSED(RemoveProgramPermissions, V, V, long*);                         // 21
  FAKE_UNUSED(as_GetIPAddresses, V, long*);                                   // 22
  FAKE_UNUSED(AddIPAddress, V, V, V, V, V, V, V, long*);                      // 23
  FAKE_UNUSED(EditIPAddress, V, V, V, V, V, V, V, V, long*);                  // 24
  FAKE_UNUSED(RemoveIPAddresses, V, V, long*);                                // 25
  FAKE_UNUSED(as_GetSystemServices, V, long*);                                // 26
  FAKE_UNUSED(AddSystemService, V, V, V, V, V, V, V, V, V, V, V, long*);      // 27
  FAKE_UNUSED(EditSystemService, V, V, V, V, V, V, V, V, V, V, V, V, long*);  // 28
  FAKE_UNUSED(RemoveSystemServices, V, V, long*);                             // 29
  FAKE_UNUSED(Reserved30);
  FAKE_UNUSED(Reserved31);
  FAKE_UNUSED(ResetToDefaults, long*);            // 32
  FAKE_UNUSED(IsResetToDefaults, VARIANT_BOOL*);  // 33
  FAKE_UNUSED(Reserved34);
  FAKE_UNUSED(as_GetIPReputation, V, long*);      // 35
  FAKE_UNUSED(EditIPReputation, V, V, V, long*);  // 36
  FAKE_UNUSED(RemoveIPReputation, V, V, long*);   // 37
  FAKE_UNUSED(EnableIPReputation, V, V, long*);   // 38
  FAKE_UNUSED(GetHips, V, long*);                 // 39
  FAKE_UNUSED(SetHips, V, V, V, long*);           // 40
  IDispatch* dispatchOrNull() { return nullptr; }

  HRESULT hr = S_OK;
  long result = 0;
  Ledra::ScopedVariant lastState;
  Ledra::ScopedVariant lastReenableTime;
  VARTYPE lastDescType = VT_EMPTY;
  std::function<void(const VARIANT& state, const VARIANT& reenableTime)> onSetState;
};

// The hub helper: OpenFile notes its mode and owner window and answers a prepared path.
class FakeHubHelper : public IBxHubHelper {
 public:
  FAKE_UNKNOWN(IBxHubHelper, &IID_IBxHubHelper);
  FAKE_UNUSED(Reserved3);
  FAKE_UNUSED(Reserved4);
  FAKE_UNUSED(Reserved5);
  FAKE_UNUSED(Reserved6);
  FAKE_UNUSED(Reserved7);
  FAKE_UNUSED(Reserved8);
  FAKE_UNUSED(Reserved9);
  FAKE_UNUSED(Reserved10);
  FAKE_UNUSED(Reserved11);
  FAKE_UNUSED(Reserved12);
  HRESULT STDMETHODCALLTYPE OpenFile(long mode, HWND owner, VARIANT* path) override {  // 13
    lastMode = mode;
    lastOwner = owner;
    return answer.copyTo(path);
  }
  FAKE_UNUSED(Reserved14);
  FAKE_UNUSED(Reserved15);
  FAKE_UNUSED(Reserved16);
  FAKE_UNUSED(IsAdmin, VARIANT_BOOL*);  // 17
  IDispatch* dispatchOrNull() { return nullptr; }

  Ledra::ScopedVariant answer;
  long lastMode = 0;
  HWND lastOwner = nullptr;
};

// The module core's component: the firewall switch and the HIPS flag behind
// the fakes below, and every call noted in order (from the worker thread).
struct FakeFirewall {
  std::mutex mutex;
  bool enabled = true;
  bool hipsEnabled = false;
  std::vector<std::wstring> calls;
  // Runs inside Enable/Disable, on the caller's thread, before answering.
  std::function<void()> onSwitch;
  HRESULT switchResult = S_OK;
  FakeConfig firewallConfig, hipsConfig;

  void note(const std::wstring& call) {
    std::lock_guard<std::mutex> lock(mutex);
    calls.push_back(call);
  }
  std::vector<std::wstring> takeCalls() {
    std::lock_guard<std::mutex> lock(mutex);
    auto taken = std::move(calls);
    calls.clear();
    return taken;
  }
};

// Hands out the fakes it holds, or refuses as verified creation would. Made
// for a FakeFirewall, its fakes answer from that model.
class FakeCreator : public Brenix::ComponentCreator {
 public:
  FakeCreator() = default;
  explicit FakeCreator(FakeFirewall& model) {
    firewall.prepare = [this, &model](long id) {
      std::lock_guard<std::mutex> lock(model.mutex);
      FakeConfig& config = id == kBxConfigHips ? model.hipsConfig : model.firewallConfig;
      config.value.setBool(id == kBxConfigHips ? model.hipsEnabled : model.enabled);
      firewall.answer.setDispatch(config.dispatch());
    };
    firewall.onSwitch = [&model](bool on) {
      model.note(on ? L"Enable" : L"Disable");
      if (model.onSwitch) model.onSwitch();
      if (FAILED(model.switchResult)) return model.switchResult;
      std::lock_guard<std::mutex> lock(model.mutex);
      model.enabled = on;
      return S_OK;
    };
    settings.onSetState = [&model](const VARIANT& state, const VARIANT& reenable) {
      model.note(L"SetFirewallState " + std::to_wstring(V_VT(&state)) + L":" +
                 std::to_wstring(V_BOOL(&state)) + L" " + std::to_wstring(V_VT(&reenable)) + L":" +
                 std::to_wstring(V_I4(&reenable)));
    };
  }
  HRESULT create(REFCLSID clsid, REFIID riid, void** out) override {
    *out = nullptr;
    if (FAILED(refuse)) return refuse;
    if (IsEqualCLSID(clsid, CLSID_BxPersonalFirewallConfig)) return firewall.QueryInterface(riid, out);
    if (IsEqualCLSID(clsid, CLSID_BxHubHelper)) return hub.QueryInterface(riid, out);
    if (!IsEqualCLSID(clsid, CLSID_BxFWSettings)) return REGDB_E_CLASSNOTREG;
    return FAILED(refuseSettings) ? refuseSettings : settings.QueryInterface(riid, out);
  }

  FakePersonalFirewallConfig firewall;
  FakeFWSettings settings;
  FakeHubHelper hub;
  HRESULT refuse = S_OK;
  HRESULT refuseSettings = S_OK;
};

}  // namespace tarn_test
