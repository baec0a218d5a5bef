// BxConfigObject: one configuration as IBxConfig (behind IDispatch), a set of
// numbered properties read with GetProperty, changed with SetProperty and
// stored with ApplyProperties. What a configuration holds and how it is stored
// comes from ConfigViews.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <set>

#include "include/BxFWInterfaces.h"
#include "kit/BxFWConfig/NoAutomationDispatch.h"
#include "kit/BxFWConfig/ServerModule.h"
#include "wrappers/ScopedVariant.h"

namespace BxKit {

using PropertyMap = std::map<long, Ledra::ScopedVariant>;
// Checks a new value of a writable property and turns it into the stored form;
// answers a result code.
using PropertyCheck = std::function<long(const VARIANT& value, Ledra::ScopedVariant& stored)>;
// Stores the changed properties (their ids in changed); answers a result code.
using PropertyApply = std::function<long(const PropertyMap& properties, const std::set<long>& changed)>;

class BxConfigObject : public NoAutomationDispatch, public IBxConfig {
 public:
  // The new object's IDispatch, holding one reference for the caller.
  static HRESULT Create(PropertyMap properties, std::map<long, PropertyCheck> writable, PropertyApply apply,
                        IDispatch** out);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IBxConfig
  HRESULT STDMETHODCALLTYPE GetProperty(long id, VARIANT* value, long* result) override;  // 3
  HRESULT STDMETHODCALLTYPE SetProperty(long id, VARIANT value, long* result) override;   // 4
  HRESULT STDMETHODCALLTYPE ApplyProperties(long* result) override;                       // 5

 private:
  BxConfigObject(PropertyMap properties, std::map<long, PropertyCheck> writable, PropertyApply apply);
  ~BxConfigObject() override = default;

  std::atomic<ULONG> references_{1};
  ServerObjectCount count_;
  std::mutex mutex_;
  PropertyMap properties_;
  const std::map<long, PropertyCheck> writable_;
  const PropertyApply apply_;
  std::set<long> changed_;
};

}  // namespace BxKit
