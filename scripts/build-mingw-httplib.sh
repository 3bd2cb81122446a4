#!/usr/bin/env bash
# The whole cpp-httplib header for ris.exe's studio, from Debian's own
# source package, into BUILD_DIR/third_party/mingw/include. Debian's binary
# package splits the library into a header of declarations and a shared
# library built for Linux; the source's header holds the implementation too,
# which ris.exe compiles in. Done once (see library_from_debian_source.sh).
#   scripts/build-mingw-httplib.sh BUILD_DIR
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
source "$(dirname "$0")/library_from_debian_source.sh"
library_begin httplib "$1/third_party/mingw" || exit 0

source_dir=$(debian_source cpp-httplib 'cpp-httplib-*' httplib.h)
mkdir -p "$prefix/include"
cp "$source_dir/httplib.h" "$prefix/include/httplib.h"
library_done httplib.h
