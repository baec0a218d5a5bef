// The browser panel: an HTTP server on 127.0.0.1 that serves the page from
// the panel folder, the request catalogue, a live stream of the bus and of the
// host's modules, and a bridge that publishes or requests on the page's behalf.
// Everything runs on one network thread of its own; module loads and unloads
// asked by the page run on a second thread, so the stream never waits for them.
#pragma once

#include <memory>
#include <string>

#include "kit/Kiln/Host.h"

namespace Kiln {

// The factory Kiln.exe hands to runHost.
std::unique_ptr<HostAddOn> makePanel(const AddOnContext& context, std::wstring& error);

}  // namespace Kiln
