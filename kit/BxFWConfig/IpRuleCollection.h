// The IP-rule collection GetConfig(103) answers: IBxFWConfigCollection behind
// IDispatch, over a snapshot of the rules taken when it was made.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <memory>
#include <vector>

#include "include/BxFWInterfaces.h"
#include "kit/BxFWConfig/Model.h"
#include "kit/BxFWConfig/NoAutomationDispatch.h"
#include "kit/BxFWConfig/ServerModule.h"

namespace BxKit {

using RuleSnapshot = std::shared_ptr<const std::vector<IpRule>>;

class IpRuleCollection : public NoAutomationDispatch, public IBxFWConfigCollection {
 public:
  static HRESULT Create(RuleSnapshot rules, IDispatch** out);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IBxFWConfigCollection
  HRESULT STDMETHODCALLTYPE GetEnumerator(IUnknown** enumerator) override;  // 3

 private:
  explicit IpRuleCollection(RuleSnapshot rules);
  ~IpRuleCollection() override = default;

  std::atomic<ULONG> references_{1};
  ServerObjectCount count_;
  const RuleSnapshot rules_;
};

}  // namespace BxKit
