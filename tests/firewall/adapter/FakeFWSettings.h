// The settings object. SetFirewallState records its arguments, puts
// "successful" into the result bag by name as the component does, and answers
// a prepared HRESULT and result code. The adapter core uses no other slot.
#pragma once

#include "firewall/adapter/ScopedVariant.h"
#include "include/BxFWInterfaces.h"
#include "tests/firewall/adapter/FakeUnknown.h"

#define FAKE_UNUSED(slot, ...) \
  HRESULT STDMETHODCALLTYPE slot(__VA_ARGS__) override { return E_NOTIMPL; }

class FakeFWSettings : public IBxFWSettings {
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
    lastState.Copy(state);
    lastReenableTime.Copy(reenableTime);
    lastDescType = V_VT(&desc);
    LPOLESTR name[] = {const_cast<LPOLESTR>(L"successful")};
    DISPID id = 0;
    if (V_VT(&desc) == VT_DISPATCH &&
        V_DISPATCH(&desc)->GetIDsOfNames(IID_NULL, name, 1, 1024, &id) == S_OK) {
      VARIANT yes{};
      V_VT(&yes) = VT_BOOL;
      V_BOOL(&yes) = VARIANT_TRUE;
      DISPPARAMS params = {&yes, nullptr, 1, 0};
      V_DISPATCH(&desc)->Invoke(id, IID_NULL, 1024, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
    }
    *resultCode = result;
    return hr;
  }
  FAKE_UNUSED(GetSecurityLevel, VARIANT, long*);           // 12
  FAKE_UNUSED(SetSecurityLevel, VARIANT, VARIANT, long*);  // 13
  FAKE_UNUSED(GetSmartRecomendations, VARIANT, long*);     // 14
  FAKE_UNUSED(SetSmartRecomendations, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, long*);
  FAKE_UNUSED(GetEventLog, VARIANT, long*);  // 16
  FAKE_UNUSED(SetEventLog, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
              VARIANT, long*);                            // 17
  FAKE_UNUSED(as_GetProgramPermissions, VARIANT, long*);  // 18
  FAKE_UNUSED(AddProgramPermission, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, long*);
  FAKE_UNUSED(EditProgramPermission, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, long*);
  FAKE_UNUSED(RemoveProgramPermissions, VARIANT, VARIANT, long*);  // 21
  FAKE_UNUSED(as_GetIPAddresses, VARIANT, long*);                  // 22
  FAKE_UNUSED(AddIPAddress, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, long*);
  FAKE_UNUSED(EditIPAddress, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, long*);
  FAKE_UNUSED(RemoveIPAddresses, VARIANT, VARIANT, long*);  // 25
  FAKE_UNUSED(as_GetSystemServices, VARIANT, long*);        // 26
  FAKE_UNUSED(AddSystemService, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
              VARIANT, VARIANT, VARIANT, long*);  // 27
  FAKE_UNUSED(EditSystemService, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT, VARIANT,
              VARIANT, VARIANT, VARIANT, VARIANT, long*);      // 28
  FAKE_UNUSED(RemoveSystemServices, VARIANT, VARIANT, long*);  // 29
  FAKE_UNUSED(Reserved30);
  FAKE_UNUSED(Reserved31);
  FAKE_UNUSED(ResetToDefaults, long*);            // 32
  FAKE_UNUSED(IsResetToDefaults, VARIANT_BOOL*);  // 33
  FAKE_UNUSED(Reserved34);
  FAKE_UNUSED(as_GetIPReputation, VARIANT, long*);                  // 35
  FAKE_UNUSED(EditIPReputation, VARIANT, VARIANT, VARIANT, long*);  // 36
  FAKE_UNUSED(RemoveIPReputation, VARIANT, VARIANT, long*);         // 37
  FAKE_UNUSED(EnableIPReputation, VARIANT, VARIANT, long*);         // 38
  FAKE_UNUSED(GetHips, VARIANT, long*);                             // 39
  FAKE_UNUSED(SetHips, VARIANT, VARIANT, VARIANT, long*);           // 40
  IDispatch* dispatchOrNull() { return nullptr; }

  HRESULT hr = S_OK;
  long result = 0;
  Brenix::ScopedVariant lastState;
  Brenix::ScopedVariant lastReenableTime;
  VARTYPE lastDescType = VT_EMPTY;
};
