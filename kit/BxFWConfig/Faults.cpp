#include "kit/BxFWConfig/Faults.h"

#include <oleauto.h>

#include <string>
#include <utility>

#include "kit/BxFWConfig/KitRegistry.h"
#include "wrappers/ScopedVariant.h"

namespace BxKit {
namespace {

thread_local const wchar_t* currentOperation = nullptr;

std::optional<DWORD> Switch(const wchar_t* operation, const wchar_t* suffix) {
  return ReadMachineDword(kFaultsKey, (std::wstring(operation) + suffix).c_str());
}

}  // namespace

std::optional<Fault> FaultFor(const wchar_t* operation) {
  const std::optional<DWORD> hr = Switch(operation, L".hr");
  const std::optional<DWORD> result = Switch(operation, L".result");
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

void SpoilType(const wchar_t* operation, VARIANT& value) {
  const std::optional<DWORD> type = operation ? Switch(operation, L".type") : std::nullopt;
  if (!type) return;
  const VARTYPE wanted = static_cast<VARTYPE>(*type);
  if (SUCCEEDED(::VariantChangeType(&value, &value, 0, wanted))) return;
  Ledra::ScopedVariant spoiled;
  if (wanted == VT_BSTR) {
    spoiled.setText(L"16");
  } else {
    VARIANT raw{};  // objects and arrays stay null
    raw.vt = wanted;
    if (wanted != VT_DISPATCH && wanted != VT_UNKNOWN && (wanted & (VT_ARRAY | VT_BYREF)) == 0)
      raw.llVal = 16;
    spoiled.reset(raw);
  }
  Ledra::fillInOut(&value, std::move(spoiled));
}

bool NullOutput(const wchar_t* operation) {
  const std::optional<DWORD> on = Switch(operation, L".null");
  return on && *on != 0;
}

OperationScope::OperationScope(const wchar_t* operation) : previous_(currentOperation) {
  currentOperation = operation;
}

OperationScope::~OperationScope() { currentOperation = previous_; }

const wchar_t* OperationScope::Current() { return currentOperation; }

}  // namespace BxKit
