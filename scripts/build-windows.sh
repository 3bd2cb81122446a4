#!/usr/bin/env bash
# Cross-builds the saver for 64-bit Windows with MinGW-w64: build/windows/
# Demo.scr, with the demo product's Demo.dat beside it. The archive is packed
# by the host's `ris`, so the release tree's demo archive is brought up to
# date first; libjpeg-turbo, libtiff and libdeflate are cross-built once into
# build/windows/third_party.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

source scripts/quiet_steps.sh

[[ -f build/release/CMakeCache.txt ]] || quietly cmake --preset release
quietly cmake --build --preset release -j "$jobs" --target demo_archive
scripts/build-mingw-libraries.sh build/windows
build windows
echo "built build/windows/Demo.scr (with build/windows/Demo.dat beside it)"
