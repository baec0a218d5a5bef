# Cross compilation for 64-bit Windows with clang and lld, against the same
# mingw-w64 headers and libraries (libstdc++ of the posix thread model) as the
# GCC build: the same Windows ABI, a second compiler's warnings.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_C_FLAGS_INIT "-femulated-tls")
set(CMAKE_CXX_COMPILER_TARGET ${triple})
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)

# clang does not find GCC's mingw-w64 installation under its "12-posix"
# folder by itself: name its C++ library and winpthreads explicitly.
file(GLOB tarn_gcc_dirs /usr/lib/gcc/${triple}/*-posix)
list(GET tarn_gcc_dirs 0 tarn_gcc)
# GCC's libstdc++ for mingw-w64 keeps its thread-local variables in emulated
# TLS, so clang must use the same model. The driver also sees these flags when
# it links, where they mean nothing.
set(CMAKE_CXX_FLAGS_INIT
    "-nostdinc++ -isystem ${tarn_gcc}/include/c++ -isystem ${tarn_gcc}/include/c++/${triple} -isystem ${tarn_gcc}/include/c++/backward -femulated-tls -Wno-unused-command-line-argument")
# lld resolves archives in any order, so winpthreads can come first.
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-fuse-ld=lld -L${tarn_gcc} -lpthread -Wno-unused-command-line-argument")
endforeach()
