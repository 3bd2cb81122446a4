# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 GCC. Used both for
# the saver and for the libraries scripts/build-mingw-*.sh build for it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The posix thread model, named explicitly rather than through the Debian
# alternative: the archive reader decrypts large entries on a helper
# std::thread, and the display decodes the next set on another, which this
# GCC offers only in that model. Its winpthread is linked statically (see the
# linker flags below), so the executable still depends on system DLLs only.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Where the cross-built libraries are installed; the windows preset passes
# it, the default is that preset's location.
if(NOT DEFINED RIS_MINGW_PREFIX)
  get_filename_component(RIS_MINGW_PREFIX
    "${CMAKE_CURRENT_LIST_DIR}/../build/windows/third_party/mingw" ABSOLUTE)
endif()

# Headers and libraries come from the MinGW sysroot and that prefix only, never
# from the host; programs (nasm, windres) come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${RIS_MINGW_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The saver is one file copied under a product's name: it must not need any
# compiler runtime DLL beside it. The sysroot also holds zlib's import library;
# the static one is wanted. The linker would stamp each program's header with
# the time it was linked: without it, the same sources give the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-Wl,--no-insert-timestamp")
set(ZLIB_USE_STATIC_LIBS ON)
