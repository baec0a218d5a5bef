#include "kit/BxFWConfig/ResultBag.h"

#include <oleauto.h>

#include "kit/BxFWConfig/Faults.h"
#include "kit/BxFWConfig/ResultCodes.h"
#include "wrappers/ScopedVariant.h"

namespace BxKit {
namespace {

constexpr LCID kBagLocale = 1024;

}  // namespace

ResultBag::ResultBag(const VARIANT& desc)
    : dispatch_(desc.vt == VT_DISPATCH ? desc.pdispVal : nullptr),
      result_(dispatch_ ? kResultOk : kResultBadBag) {}

ResultBag& ResultBag::Bool(const wchar_t* name, bool value) {
  Ledra::ScopedVariant variant;
  variant.setBool(value);
  return Put(name, variant);
}

ResultBag& ResultBag::Int(const wchar_t* name, long value) {
  Ledra::ScopedVariant variant;
  variant.setLong(value);
  return Put(name, variant);
}

ResultBag& ResultBag::Text(const wchar_t* name, const std::wstring& value) {
  Ledra::ScopedVariant variant;
  if (FAILED(variant.setText(value.c_str()))) {
    if (result_ == kResultOk) result_ = kResultInternal;
    return *this;
  }
  return Put(name, variant);
}

ResultBag& ResultBag::Put(const wchar_t* name, Ledra::ScopedVariant& value) {
  if (result_ != kResultOk) return *this;
  SpoilType(OperationScope::Current(), *value.asInput());
  std::wstring writableName(name);
  LPOLESTR names[] = {&writableName[0]};
  DISPID id = 0;
  if (FAILED(dispatch_->GetIDsOfNames(IID_NULL, names, 1, kBagLocale, &id))) {
    result_ = kResultBadBag;
    return *this;
  }
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params{};
  params.rgvarg = value.asInput();
  params.cArgs = 1;
  params.rgdispidNamedArgs = &putId;
  params.cNamedArgs = 1;
  if (FAILED(dispatch_->Invoke(id, IID_NULL, kBagLocale, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                               nullptr))) {
    result_ = kResultBadBag;
  }
  return *this;
}

}  // namespace BxKit
