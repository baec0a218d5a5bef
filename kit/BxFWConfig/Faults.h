// Fault switches: HKLM\SOFTWARE\Brenix\FirewallKit\Faults holds, per operation,
// "<Op>.hr" (REG_DWORD, the HRESULT to answer) and "<Op>.result" (REG_DWORD, the
// result code to write), which make the call answer at once; "<Op>.type"
// (REG_DWORD, a VARTYPE) and "<Op>.null" (REG_DWORD, nonzero), which let the
// call do its work and then spoil what it hands back. They are read at every
// call, so a test can switch a failure on and off while the component is loaded.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <optional>

namespace BxKit {

struct Fault {
  HRESULT hr = S_OK;
  long result = 0;
};

// The fault switched on for the operation, if any.
std::optional<Fault> FaultFor(const wchar_t* operation);

// For operations without a result code: the fault's HRESULT, or E_FAIL when only
// a result code was switched on.
std::optional<HRESULT> FaultHResultFor(const wchar_t* operation);

// "<Op>.type": the value becomes that type, converted where OLE Automation can,
// else holding 16 (numbers and booleans), the text "16", or null (objects, arrays).
void SpoilType(const wchar_t* operation, VARIANT& value);

// "<Op>.null": the objects the call hands back are null.
bool NullOutput(const wchar_t* operation);

// The operation that runs on this thread, for the puts into its result bag.
class OperationScope {
 public:
  explicit OperationScope(const wchar_t* operation);
  ~OperationScope();
  OperationScope(const OperationScope&) = delete;
  OperationScope& operator=(const OperationScope&) = delete;
  static const wchar_t* Current();  // null outside an operation

 private:
  const wchar_t* previous_;
};

}  // namespace BxKit
