// The refresh handlers' read of one settings group: the component is called
// directly with a result bag that lives on the handler's stack (desc), under
// the same success rule as every component call. The log lines carry the
// adapter operation's name given in texts.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <cstdint>

#include "firewall/adapter/TarnIf.h"

namespace Brenix {

// A null settings reference fails with 0x80000002 after its null-reference
// line; a failed call fails with 0x80000002 after its failure line (HRESULT,
// then result). The reference is released on every path; desc stays the
// caller's to read.
uint32_t readSettingsGroup(Microsoft::WRL::ComPtr<IBxFWSettings> settings, const SettingsCallTexts& texts,
                           const TarnIf::SettingsCall& call, const VARIANT& desc);

}  // namespace Brenix
