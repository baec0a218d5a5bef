#include "firewall/adapter/ModuleLock.h"

#include <atomic>

namespace Brenix {
namespace {

std::atomic<long> g_lockCount{0};

}  // namespace

void lockModule() noexcept { ++g_lockCount; }
void unlockModule() noexcept { --g_lockCount; }
long moduleLockCount() noexcept { return g_lockCount.load(); }

}  // namespace Brenix
