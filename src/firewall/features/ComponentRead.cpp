#include "firewall/features/ComponentRead.h"

#include "Logging/Log.h"
#include "include/ModuleStatus.h"

namespace Brenix {
namespace {

constexpr wchar_t kLogFile[] = L"TarnIf";

}  // namespace

uint32_t readSettingsGroup(Microsoft::WRL::ComPtr<IBxFWSettings> settings, const SettingsCallTexts& texts,
                           const TarnIf::SettingsCall& call, const VARIANT& desc) {
  if (!settings) {
    LEDRA_LOG(Ledra::logging::Error, texts.function, __LINE__, texts.nullMessage);
    return Ledra::MODULE_STATUS_UNSUCCESSFUL;
  }
  long result = 0;
  const HRESULT hr = call(settings.Get(), desc, &result);
  settings.Reset();
  if (!componentCallSucceeded(hr, result)) {
    LEDRA_LOG(Ledra::logging::Error, texts.function, __LINE__, texts.failureMessage,
              static_cast<unsigned>(hr), result);
    return Ledra::MODULE_STATUS_UNSUCCESSFUL;
  }
  return Ledra::MODULE_STATUS_SUCCESS;
}

}  // namespace Brenix
