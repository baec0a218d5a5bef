// IEnumVARIANT over a rule snapshot: each item is a VT_DISPATCH that yields the
// rule's IBxConfig.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <mutex>

#include "kit/BxFWConfig/IpRuleCollection.h"
#include "kit/BxFWConfig/ServerModule.h"

namespace BxKit {

class IpRuleEnumerator : public IEnumVARIANT {
 public:
  static HRESULT Create(RuleSnapshot rules, size_t position, IEnumVARIANT** out);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IEnumVARIANT
  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override;  // 3
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;                                  // 4
  HRESULT STDMETHODCALLTYPE Reset() override;                                            // 5
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override;                         // 6

 private:
  IpRuleEnumerator(RuleSnapshot rules, size_t position);
  virtual ~IpRuleEnumerator() = default;

  std::atomic<ULONG> references_{1};
  ServerObjectCount count_;
  const RuleSnapshot rules_;
  std::mutex mutex_;
  size_t position_;
};

}  // namespace BxKit
