// A library that links GCC's C++ runtime statically (as every library of this
// build does) gets its own copy of the runtime's emergency exception pool,
// about 73 KB allocated at load and never freed: a host that loads and
// unloads such a library again and again loses that much each time. The
// runtime offers __gnu_cxx::__freeres() to release it; a library calls
// releaseCxxRuntimePools() once, when it is unloaded. Exceptions still work
// afterwards, from the ordinary heap.
//
// The thread library linked in with it (winpthreads) takes a TLS index the
// first time a thread uses it and never frees it: a process has 1,088, so a
// host aborts after about a thousand loads of such a library. The index is
// found while the library loads, as the one slot of the loading thread that
// pthread_self() fills (TLS slots are per thread: no other thread can change
// them meanwhile), and freed with the pools. If anything else changed a slot
// in between, nothing is freed. With another C++ runtime all this does nothing.
//
// Header-only: the kit's binaries, which link no framework library, use it too.
#pragma once

#include <windows.h>

#if defined(__GLIBCXX__)
#include <cerrno>
#if defined(__MINGW32__) && __has_include(<pthread.h>)
#include <pthread.h>
#define LEDRA_STATIC_WINPTHREADS 1
#endif
namespace __gnu_cxx {
void __freeres() noexcept;
}
#endif

namespace Ledra {

// This library's copy: each library that includes this header has its own.
inline DWORD threadLibraryTlsIndex = TLS_OUT_OF_INDEXES;

// Call once while the library loads, on the loading thread, before anything
// of the library has used a thread.
inline void noteThreadLibraryTlsIndex() noexcept {
#if defined(LEDRA_STATIC_WINPTHREADS)
  constexpr DWORD kSlots = TLS_MINIMUM_AVAILABLE + 1024;  // and the expansion slots
  const DWORD lastError = ::GetLastError();
  const int savedErrno = errno;  // the C runtime's own per-thread data exists from here on
  errno = savedErrno;
  static void* before[kSlots];  // loading is serialised by the loader lock
  for (DWORD i = 0; i < kSlots; ++i) before[i] = ::TlsGetValue(i);
  (void)pthread_self();
  DWORD found = TLS_OUT_OF_INDEXES;
  int changed = 0;
  for (DWORD i = 0; i < kSlots; ++i) {
    if (::TlsGetValue(i) != before[i]) {
      ++changed;
      if (before[i] == nullptr) found = i;
    }
  }
  threadLibraryTlsIndex = changed == 1 ? found : TLS_OUT_OF_INDEXES;
  ::SetLastError(lastError);
#endif
}

inline void releaseCxxRuntimePools() noexcept {
#if defined(__GLIBCXX__)
  __gnu_cxx::__freeres();
#endif
  if (threadLibraryTlsIndex != TLS_OUT_OF_INDEXES) {
    ::TlsFree(threadLibraryTlsIndex);
    threadLibraryTlsIndex = TLS_OUT_OF_INDEXES;
  }
}

// One static object of this type in a library notes the thread library's
// index as the library loads and releases it with the pools when the
// library's static objects are destroyed (at unload or process exit).
struct CxxRuntimeReleaseAtUnload {
  CxxRuntimeReleaseAtUnload() noexcept { noteThreadLibraryTlsIndex(); }
  CxxRuntimeReleaseAtUnload(const CxxRuntimeReleaseAtUnload&) = delete;
  CxxRuntimeReleaseAtUnload& operator=(const CxxRuntimeReleaseAtUnload&) = delete;
  ~CxxRuntimeReleaseAtUnload() { releaseCxxRuntimePools(); }
};

}  // namespace Ledra
