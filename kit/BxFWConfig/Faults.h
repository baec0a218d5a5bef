// Fault switches: HKLM\SOFTWARE\Brenix\FirewallKit\Faults holds, per operation,
// "<Op>.hr" (REG_DWORD, the HRESULT to answer) and "<Op>.result" (REG_DWORD, the
// result code to write). They are read at every call, so a test can switch a
// failure on and off while the component is loaded.
#pragma once

#include <windows.h>

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

}  // namespace BxKit
