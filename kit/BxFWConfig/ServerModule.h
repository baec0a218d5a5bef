// What the DLL knows about itself: its module handle and file, and the counts
// of live objects and server locks that DllCanUnloadNow answers from.
#pragma once

#include <windows.h>

#include <string>

namespace BxKit {

HMODULE ServerModuleHandle();
std::wstring ServerModulePath();
// The folder of this DLL, without a trailing separator.
std::wstring ServerModuleFolder();

void ObjectCreated();
void ObjectDestroyed();
void LockServer(bool lock);
bool ServerIsIdle();

// Every COM object of the DLL holds one of these, so the DLL stays loaded while
// any of them lives.
class ServerObjectCount {
 public:
  ServerObjectCount() { ObjectCreated(); }
  ~ServerObjectCount() { ObjectDestroyed(); }
  ServerObjectCount(const ServerObjectCount&) = delete;
  ServerObjectCount& operator=(const ServerObjectCount&) = delete;
};

}  // namespace BxKit
