#!/usr/bin/env bash
# Cross-builds a static libdeflate for the Windows saver from Debian's own
# source package into BUILD_DIR/third_party/mingw. Done once (see
# library_from_debian_source.sh).
#   scripts/build-mingw-libdeflate.sh BUILD_DIR
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
source "$(dirname "$0")/library_from_debian_source.sh"
library_begin libdeflate "$1/third_party/mingw" || exit 0

# Debian's version builds with its own Makefile, which knows MinGW by the
# compiler's target and then names the static library libdeflatestatic.lib.
# It builds beside the sources, so they are copied into an object folder
# first; the compiler writes their paths relative to the third_party folder
# (CFLAGS are added to the Makefile's own), so the library's bytes do not
# depend on where the build tree is.
source_dir=$(debian_source libdeflate 'libdeflate-*' Makefile)
object_dir=$third_party/build-$library_name
rm -rf "$object_dir"
cp -a "$source_dir" "$object_dir"
make -C "$object_dir" -j "$(nproc)" CC=x86_64-w64-mingw32-gcc-posix AR=x86_64-w64-mingw32-ar \
  CFLAGS="-ffile-prefix-map=$third_party/=" libdeflatestatic.lib >>"$library_log" 2>&1 ||
  library_fail "building"
{
  install -d "$prefix/include" "$prefix/lib" &&
    install -m644 "$object_dir/libdeflate.h" "$prefix/include/" &&
    install -m644 "$object_dir/libdeflatestatic.lib" "$prefix/lib/libdeflate.a"
} >>"$library_log" 2>&1 || library_fail "installing"
library_done libdeflate.h
