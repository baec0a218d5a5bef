#include "kit/BxFWConfig/Faults.h"

#include <string>

#include "kit/BxFWConfig/KitRegistry.h"

namespace BxKit {

std::optional<Fault> FaultFor(const wchar_t* operation) {
  const std::wstring name(operation);
  const std::optional<DWORD> hr = ReadMachineDword(kFaultsKey, (name + L".hr").c_str());
  const std::optional<DWORD> result = ReadMachineDword(kFaultsKey, (name + L".result").c_str());
  if (!hr && !result) return std::nullopt;
  Fault fault;
  fault.hr = hr ? static_cast<HRESULT>(*hr) : S_OK;
  fault.result = result ? static_cast<long>(*result) : 0;
  return fault;
}

std::optional<HRESULT> FaultHResultFor(const wchar_t* operation) {
  const std::optional<Fault> fault = FaultFor(operation);
  if (!fault) return std::nullopt;
  return fault->hr != S_OK ? fault->hr : E_FAIL;
}

}  // namespace BxKit
