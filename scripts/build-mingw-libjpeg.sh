#!/usr/bin/env bash
# Cross-builds a static libjpeg-turbo for the Windows saver from Debian's own
# source package, with its SIMD code, into BUILD_DIR/third_party/mingw. Done
# once (see library_from_debian_source.sh).
#   scripts/build-mingw-libjpeg.sh BUILD_DIR
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
source "$(dirname "$0")/library_from_debian_source.sh"
# Its own stamp name: a tree built before TurboJPEG was wanted builds it anew.
library_begin libjpeg-turbo-tj "$1/third_party/mingw" || exit 0

source_dir=$(debian_source libjpeg-turbo 'libjpeg-turbo-*')
# The libraries only: libjpeg for the saver, TurboJPEG for ris.exe (it turns
# photos losslessly); the command-line programs are not wanted.
# REQUIRE_SIMD makes a missing nasm an error rather than a slow library.
mingw_cmake_install "$source_dir" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=ON \
  -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm
# nasm names each SIMD object's source by the start of its absolute path (a
# .file symbol, kept by the linker in the programs' symbol tables) and has no
# way to map it: a debugging symbol only, so it is stripped, and the programs
# do not depend on where the build tree is.
x86_64-w64-mingw32-strip --strip-debug --enable-deterministic-archives \
  "$prefix/lib/libjpeg.a" "$prefix/lib/libturbojpeg.a" \
  >>"$library_log" 2>&1 || library_fail "stripping the debugging symbols"
library_done turbojpeg.h
