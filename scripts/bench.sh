#!/usr/bin/env bash
# Builds the optimised tree and runs every benchmark program. Figures are
# ratios between benchmarks measured in the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
for program in build/release/bench/*_bench; do
  "$program" "$@"
done
