/* A sibling library for the loader tests: the four standard entry points. */
#include <windows.h>

static int token;

__declspec(dllexport) void* CreateObject(unsigned version) {
  (void)version;
  return &token;
}

__declspec(dllexport) void ReleaseObject(void* object) { (void)object; }

__declspec(dllexport) const wchar_t* GetVersionStr(void) { return L"1.2.3.4"; }

__declspec(dllexport) unsigned GetVersionNum(void) { return 1020304; }
