#!/usr/bin/env bash
# Every test of the project: unit tests under AddressSanitizer and UBSan, the
# companion command end to end, the Windows saver built twice to the same
# bytes, the fuzz targets (their kept corpora replayed under the fuzzing
# limits; campaigns and coverage are scripts/fuzz.sh's and
# scripts/coverage.sh's own), and a build of the benchmarks so they cannot
# rot. Ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

source scripts/quiet_steps.sh

echo "== release build (benchmarks)"
build release
echo "== Windows saver (MinGW)"
scripts/build-mingw-libraries.sh build/windows
build windows
# The .scr is copied alone under a product's name, ris.exe alone onto a
# maker's machine: no runtime DLL may follow either.
for program in Demo.scr ris.exe; do
  if x86_64-w64-mingw32-objdump -p "build/windows/$program" | grep -Ei 'DLL Name: *(lib|zlib|jpeg|tiff)'; then
    echo "$program needs a DLL that is not part of Windows"
    exit 1
  fi
done
# The same sources built later in a tree at another path give the same
# saver: neither the time nor the folder is in its bytes. The second tree
# shares the first one's libraries and builds only the saver.
echo "== Windows saver again, in another tree: the same bytes"
twin=build/windows-twin
rm -rf "$twin"
quietly cmake --preset windows -B "$twin"
quietly cmake --build "$twin" -j "$jobs" --target saver
if ! cmp build/windows/Demo.scr "$twin/Demo.scr"; then
  echo "Demo.scr differs between two builds of the same sources: the build is not reproducible"
  exit 1
fi
rm -rf "$twin"
echo "== libFuzzer targets"
scripts/build-libtiff.sh fuzz build/fuzz
build fuzz
scripts/fuzz.sh --replay
echo "== unit tests (ASan + UBSan)"
build asan
ctest --preset asan -j "$jobs"
