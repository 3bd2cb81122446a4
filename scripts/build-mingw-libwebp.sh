#!/usr/bin/env bash
# Cross-builds a static libwebp for ris.exe (its WebP conversion) from
# Debian's own source package into BUILD_DIR/third_party/mingw. Only the
# library: its command-line tools are left out. Done once (see
# library_from_debian_source.sh).
#   scripts/build-mingw-libwebp.sh BUILD_DIR
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
source "$(dirname "$0")/library_from_debian_source.sh"
library_begin libwebp "$1/third_party/mingw" || exit 0

source_dir=$(debian_source libwebp 'libwebp-*')
tools=()
for tool in ANIM_UTILS CWEBP DWEBP GIF2WEBP IMG2WEBP VWEBP WEBPINFO WEBPMUX EXTRAS; do
  tools+=("-DWEBP_BUILD_$tool=OFF")
done
mingw_cmake_install "$source_dir" "${tools[@]}"
library_done webp/decode.h
