// The module's lock count: raised by every counted COM object the module made
// and hands out, so that the module knows when none of them is still alive.
#pragma once

namespace Brenix {

void lockModule() noexcept;
void unlockModule() noexcept;
long moduleLockCount() noexcept;

}  // namespace Brenix
