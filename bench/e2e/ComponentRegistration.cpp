#include "bench/e2e/ComponentRegistration.h"

#include "wrappers/ScopedHandle.h"

namespace Bench {

HRESULT registerServer(const std::wstring& dllPath) {
  Ledra::ScopedLibrary server(::LoadLibraryW(dllPath.c_str()));
  if (!server) return HRESULT_FROM_WIN32(::GetLastError());
  using RegisterFn = HRESULT(STDAPICALLTYPE*)();
  const auto registerFn = reinterpret_cast<RegisterFn>(
      reinterpret_cast<void*>(::GetProcAddress(server.get(), "DllRegisterServer")));
  return registerFn ? registerFn() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

}  // namespace Bench
