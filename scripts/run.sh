#!/usr/bin/env bash
# The main job: builds the saver's engine, its companion command and the demo
# product's archive, then shows how the saver reads that archive.
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
