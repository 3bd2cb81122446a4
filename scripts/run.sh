#!/usr/bin/env bash
# The main job: builds the saver's engine, its companion command and the demo
# product's archive, shows how the saver reads that archive, and runs the
# saver's display over it headless, writing the frame it shows.
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
echo "== three seconds of the saver's display over the demo, headless"
mkdir -p build/frames
"$ris" render build/release/demo/Demo.dat --saver Demo.scr --size 1280x720 --seconds 3 \
  --out build/frames/demo-saver.png
"$ris" render build/release/demo/Demo.dat --saver Demo.scr --size 1280x720 --mode preview \
  --out build/frames/demo-preview.png
echo "frames written to build/frames/demo-saver.png and build/frames/demo-preview.png"
