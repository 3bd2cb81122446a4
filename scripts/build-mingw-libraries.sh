#!/usr/bin/env bash
# Cross-builds every third-party library the Windows saver links statically
# (libjpeg-turbo, libtiff, libdeflate, libwebp, and cpp-httplib's header for
# ris.exe) into BUILD_DIR/third_party/mingw; each
# is built once and skipped after (see library_from_debian_source.sh).
#   scripts/build-mingw-libraries.sh BUILD_DIR
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
scripts=$(dirname "$0")
"$scripts/build-libtiff.sh" mingw "$1"
"$scripts/build-mingw-libdeflate.sh" "$1"
"$scripts/build-mingw-libwebp.sh" "$1"
"$scripts/build-mingw-httplib.sh" "$1"
