#include "kit/BxFWConfig/ServerModule.h"

#include <atomic>

namespace BxKit {
namespace {

std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

}  // namespace

HMODULE ServerModuleHandle() {
  HMODULE self = nullptr;
  // The address of this function lies inside the DLL, whatever its load address.
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ServerModuleHandle), &self);
  return self;
}

std::wstring ServerModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(ServerModuleHandle(), &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring ServerModuleFolder() {
  std::wstring path = ServerModulePath();
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

void ObjectCreated() { ++g_objects; }
void ObjectDestroyed() { --g_objects; }
void LockServer(bool lock) {
  if (lock) {
    ++g_locks;
  } else {
    --g_locks;
  }
}
bool ServerIsIdle() { return g_objects.load() == 0 && g_locks.load() == 0; }

}  // namespace BxKit
