#!/usr/bin/env bash
# The main job: builds the saver and the demo product, shows how the saver
# reads the demo's archive, and runs the saver over it. Where there is a
# display and Wine, the real Demo.scr runs full screen (any key or a click
# ends it); without a display, the saver's own display code runs headless
# and writes the frames it shows. With --linux, the saver's Linux program
# shows the demo in a window of its own instead (needs a display).
#   scripts/run.sh [--linux]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
ris=build/release/tools/ris/ris
echo "== the demo archive as the saver opens it (title, then each set and its pictures)"
"$ris" list build/release/demo/Demo.dat --saver Demo.scr
echo "== the same archive in the preview"
"$ris" list build/release/demo/Demo.dat --saver Demo.scr --mode preview
echo "== its settings text"
"$ris" settings demo/content/settings.txt

if [[ ${1:-} == --linux ]]; then
  [[ -n ${DISPLAY:-} ]] || { echo "--linux needs a display (DISPLAY is not set)"; exit 1; }
  echo "== the Linux saver: the demo in a window of its own; keys as on Windows, Escape ends it"
  exec build/release/src/ris-saver --archive build/release/demo/Demo.dat
fi

echo "== the Windows saver"
scripts/build-windows.sh
if [[ -n ${DISPLAY:-} ]]; then
  echo "running build/windows/Demo.scr /s under Wine; press a key or click to end it"
  export WINEPREFIX=${WINEPREFIX:-$PWD/build/wine-prefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  [[ -d $WINEPREFIX ]] || wineboot -i >/dev/null 2>&1
  wine build/windows/Demo.scr /s
  exit 0
fi

echo "== no display: three seconds of the saver's display over the demo, headless"
mkdir -p build/frames
"$ris" render build/release/demo/Demo.dat --saver Demo.scr --size 1280x720 --seconds 3 \
  --out build/frames/demo-saver.png
"$ris" render build/release/demo/Demo.dat --saver Demo.scr --size 1280x720 --mode preview \
  --out build/frames/demo-preview.png
echo "frames written to build/frames/demo-saver.png and build/frames/demo-preview.png"
