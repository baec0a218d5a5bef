// Publishes the component's lists on the process-wide bus. MessageBus.dll is
// loaded from this DLL's own folder on first use and one handle is kept until
// the DLL may unload. Without the bus library nothing is published and the
// callers carry on.
#pragma once

#include <string>

namespace BxKit {

constexpr wchar_t kBusSender[] = L"BxFWConfig";

// True when the message went out.
bool PublishOnBus(const wchar_t* name, const std::wstring& payload);

// Releases the handle and the library; called when DllCanUnloadNow says yes.
void ReleaseBus();

}  // namespace BxKit
