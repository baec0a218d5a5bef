// An in-process stand-in for the firewall component, as small as the module
// core's tests need: the firewall switch, the HIPS flag and SetFirewallState.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "firewall/adapter/ComponentCreator.h"
#include "include/BxFWInterfaces.h"

namespace tarn_test {

// What the fake component holds and what was asked of it.
struct FakeFirewall {
  std::mutex mutex;
  bool enabled = true;
  bool hipsEnabled = false;
  std::vector<std::wstring> calls;
  // Runs inside Enable/Disable, on the caller's thread, before answering.
  std::function<void()> onSwitch;
  HRESULT switchResult = S_OK;
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

// Reference counting and QueryInterface for one interface.
template <typename Interface>
class FakeObject : public Interface {
 public:
  FakeObject(const IID& iid) : iid_(iid) {}
  virtual ~FakeObject() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, iid_)) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  IID iid_;
  std::atomic<ULONG> references_{1};
};

// One configuration: a boolean property under one id.
class FakeConfig : public FakeObject<IBxConfig> {
 public:
  FakeConfig(long propertyId, bool value) : FakeObject(IID_IBxConfig), id_(propertyId), value_(value) {}
  HRESULT STDMETHODCALLTYPE GetProperty(long id, VARIANT* value, long* result) override {
    *result = 0;
    if (id != id_) return E_INVALIDARG;
    VariantClear(value);
    V_VT(value) = VT_BOOL;
    V_BOOL(value) = value_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetProperty(long, VARIANT, long*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ApplyProperties(long*) override { return E_NOTIMPL; }

 private:
  long id_;
  bool value_;
};

// GetConfig answers an IDispatch; the configuration is reached by QueryInterface.
class FakeConfigDispatch final : public IDispatch {
 public:
  explicit FakeConfigDispatch(FakeConfig* config) : config_(config) {}
  ~FakeConfigDispatch() { config_->Release(); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, IID_IBxConfig)) return config_->QueryInterface(riid, out);
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

 private:
  FakeConfig* config_;
  std::atomic<ULONG> references_{1};
};

class FakePersonalFirewallConfig : public FakeObject<IBxPersonalFirewallConfig> {
 public:
  explicit FakePersonalFirewallConfig(FakeFirewall& firewall)
      : FakeObject(IID_IBxPersonalFirewallConfig), firewall_(firewall) {}
  HRESULT STDMETHODCALLTYPE GetConfig(long id, VARIANT* value, long* result) override {
    *result = 0;
    std::lock_guard<std::mutex> lock(firewall_.mutex);
    FakeConfig* config = nullptr;
    if (id == kBxConfigFirewall) config = new FakeConfig(kBxConfigFirewallEnabled, firewall_.enabled);
    if (id == kBxConfigHips) config = new FakeConfig(kBxConfigHipsEnabled, firewall_.hipsEnabled);
    if (config == nullptr) return E_INVALIDARG;
    V_VT(value) = VT_DISPATCH;
    V_DISPATCH(value) = new FakeConfigDispatch(config);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Enable(long* result) override { return toggle(true, result); }
  HRESULT STDMETHODCALLTYPE Disable(long* result) override { return toggle(false, result); }

 private:
  HRESULT toggle(bool on, long* result) {
    *result = 0;
    firewall_.note(on ? L"Enable" : L"Disable");
    if (firewall_.onSwitch) firewall_.onSwitch();
    if (FAILED(firewall_.switchResult)) return firewall_.switchResult;
    std::lock_guard<std::mutex> lock(firewall_.mutex);
    firewall_.enabled = on;
    return S_OK;
  }
  FakeFirewall& firewall_;
};

#define TARN_FAKE_NOT_CALLED(...) \
  override { return E_NOTIMPL; }

class FakeSettings : public FakeObject<IBxFWSettings> {
 public:
  explicit FakeSettings(FakeFirewall& firewall) : FakeObject(IID_IBxFWSettings), firewall_(firewall) {}
  HRESULT STDMETHODCALLTYPE Reserved3() TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE Reserved4() TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE Reserved5() TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE Reserved6() TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE Reserved7() TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE Reserved8() TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE Reserved9() TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE Reserved10() TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE SetFirewallState(VARIANT state, VARIANT reenable, VARIANT, long* result) override {
    *result = 0;
    firewall_.note(L"SetFirewallState " + std::to_wstring(V_VT(&state)) + L":" +
                   std::to_wstring(V_BOOL(&state)) + L" " + std::to_wstring(V_VT(&reenable)) + L":" +
                   std::to_wstring(V_I4(&reenable)));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetSecurityLevel(VARIANT, long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE SetSecurityLevel(VARIANT, VARIANT, long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE GetSmartRecomendations(VARIANT, long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE SetSmartRecomendations(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                                   long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE GetEventLog(VARIANT, long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE SetEventLog(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                        VARIANT, VARIANT, long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE as_GetProgramPermissions(VARIANT, long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE AddProgramPermission(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                                 long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE EditProgramPermission(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                                  long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE RemoveProgramPermissions(VARIANT, VARIANT, long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE as_GetIPAddresses(VARIANT, long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE AddIPAddress(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                         long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE EditIPAddress(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                          long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE RemoveIPAddresses(VARIANT, VARIANT, long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE as_GetSystemServices(VARIANT, long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE AddSystemService(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                             VARIANT, VARIANT, VARIANT, VARIANT, long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE EditSystemService(VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                              VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
                                              long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE RemoveSystemServices(VARIANT, VARIANT, long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE Reserved30() TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE Reserved31() TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE ResetToDefaults(long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE IsResetToDefaults(VARIANT_BOOL*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE Reserved34() TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE as_GetIPReputation(VARIANT, long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE EditIPReputation(VARIANT, VARIANT, VARIANT, long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE RemoveIPReputation(VARIANT, VARIANT, long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE EnableIPReputation(VARIANT, VARIANT, long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE GetHips(VARIANT, long*) TARN_FAKE_NOT_CALLED()
  HRESULT STDMETHODCALLTYPE SetHips(VARIANT, VARIANT, VARIANT, long*) TARN_FAKE_NOT_CALLED()

 private:
  FakeFirewall& firewall_;
};

#undef TARN_FAKE_NOT_CALLED

// Hands out the fakes; the settings object can be refused to simulate a
// component that cannot be had.
class FakeCreator : public Brenix::ComponentCreator {
 public:
  explicit FakeCreator(FakeFirewall& firewall) : firewall_(firewall) {}
  HRESULT refuseSettings = S_OK;
  HRESULT create(REFCLSID clsid, REFIID, void** out) override {
    *out = nullptr;
    if (IsEqualCLSID(clsid, CLSID_BxFWSettings)) {
      if (FAILED(refuseSettings)) return refuseSettings;
      *out = static_cast<IBxFWSettings*>(new FakeSettings(firewall_));
      return S_OK;
    }
    if (IsEqualCLSID(clsid, CLSID_BxPersonalFirewallConfig)) {
      *out = static_cast<IBxPersonalFirewallConfig*>(new FakePersonalFirewallConfig(firewall_));
      return S_OK;
    }
    return REGDB_E_CLASSNOTREG;
  }

 private:
  FakeFirewall& firewall_;
};

}  // namespace tarn_test
