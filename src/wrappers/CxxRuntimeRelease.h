// A library that links GCC's C++ runtime statically (as every library of this
// build does) gets its own copy of the runtime's emergency exception pool,
// about 73 KB allocated at load and never freed: a host that loads and
// unloads such a library again and again loses that much each time. The
// runtime offers __gnu_cxx::__freeres() to release it; a library calls
// releaseCxxRuntimePools() once, when it is unloaded. Exceptions still work
// afterwards, from the ordinary heap. With another C++ runtime this does nothing.
//
// Header-only: the kit's binaries, which link no framework library, use it too.
#pragma once

#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __freeres() noexcept;
}
#endif

namespace Ledra {

inline void releaseCxxRuntimePools() noexcept {
#if defined(__GLIBCXX__)
  __gnu_cxx::__freeres();
#endif
}

// One static object of this type in a library releases the pools when the
// library's static objects are destroyed (at unload or process exit).
struct CxxRuntimeReleaseAtUnload {
  CxxRuntimeReleaseAtUnload() = default;
  CxxRuntimeReleaseAtUnload(const CxxRuntimeReleaseAtUnload&) = delete;
  CxxRuntimeReleaseAtUnload& operator=(const CxxRuntimeReleaseAtUnload&) = delete;
  ~CxxRuntimeReleaseAtUnload() { releaseCxxRuntimePools(); }
};

}  // namespace Ledra
