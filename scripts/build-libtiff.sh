#!/usr/bin/env bash
# Builds a static libtiff from Debian's own source package, once (see
# library_from_debian_source.sh), for one of two uses:
#   scripts/build-libtiff.sh mingw BUILD_DIR   the Windows saver: cross-built
#       into BUILD_DIR/third_party/mingw, on MinGW's zlib and the
#       libjpeg-turbo cross-built beside it
#   scripts/build-libtiff.sh fuzz BUILD_DIR    the fuzz targets: built with
#       clang, instrumented for libFuzzer and the sanitizers, into
#       BUILD_DIR/third_party/instrumented, so the fuzzer sees libtiff's own
#       branches
set -euo pipefail

if [[ $# -ne 2 || ($1 != mingw && $1 != fuzz) ]]; then
  echo "usage: $0 mingw|fuzz BUILD_DIR" >&2
  exit 2
fi
use=$1
build_dir=$2
[[ $use == mingw ]] && "$(dirname "$0")/build-mingw-libjpeg.sh" "$build_dir"
source "$(dirname "$0")/library_from_debian_source.sh"
if [[ $use == mingw ]]; then
  library_begin libtiff "$build_dir/third_party/mingw" || exit 0
else
  library_begin libtiff "$build_dir/third_party/instrumented" || exit 0
fi

source_dir=$(debian_source tiff 'tiff-*')
# The library alone, in C, with the codecs the saver reads: the built-in
# ones, Deflate and both JPEGs. Codecs on further libraries are left out, so
# the saver links nothing else; files that use them are refused with a
# message.
options=(
  -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=OFF
  -Dzlib=ON -Djpeg=ON -Dold-jpeg=ON -Dpixarlog=ON
  -Dlibdeflate=OFF -Djbig=OFF -Dlerc=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Djpeg12=OFF
  -DCMAKE_DISABLE_FIND_PACKAGE_OpenGL=ON -DCMAKE_DISABLE_FIND_PACKAGE_GLUT=ON
)
if [[ $use == mingw ]]; then
  mingw_cmake_install "$source_dir" "${options[@]}"
else
  # The flags of the fuzz preset's own code (cmake/CompilerOptions.cmake),
  # but for the alignment check: on x86 libtiff's LZW decoder reads its
  # input a machine word at a time at any address, by design.
  flags="-g -fsanitize=address,undefined,fuzzer-no-link -fno-sanitize=alignment"
  flags+=" -fno-sanitize-recover=all -fno-omit-frame-pointer"
  library_cmake_install "$source_dir" "${options[@]}" -DCMAKE_C_COMPILER=clang -DCMAKE_C_FLAGS="$flags"
fi
library_done tiffio.h
