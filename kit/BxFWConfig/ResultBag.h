// The caller's result bag: the IDispatch in the desc VARIANT, filled by name
// through GetIDsOfNames and a DISPATCH_PROPERTYPUT Invoke. The caller owns it;
// this only borrows it for one call.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace Ledra {
class ScopedVariant;
}  // namespace Ledra

namespace BxKit {

class ResultBag {
 public:
  // A desc that is not a non-null VT_DISPATCH gives a bag that refuses every put.
  explicit ResultBag(const VARIANT& desc);
  ResultBag(const ResultBag&) = delete;
  ResultBag& operator=(const ResultBag&) = delete;

  bool valid() const { return dispatch_ != nullptr; }

  // Each put after a failed one is skipped; result() answers the first failure.
  ResultBag& Bool(const wchar_t* name, bool value);
  ResultBag& Int(const wchar_t* name, long value);
  ResultBag& Text(const wchar_t* name, const std::wstring& value);
  long result() const { return result_; }

 private:
  ResultBag& Put(const wchar_t* name, Ledra::ScopedVariant& value);

  IDispatch* dispatch_;
  long result_;
};

}  // namespace BxKit
