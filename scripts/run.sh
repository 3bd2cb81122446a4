#!/usr/bin/env bash
# The main job: builds the saver's engine and companion command, then shows
# how the demo product's settings text reads.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
build/release/tools/ris/ris settings demo/content/settings.txt
