#!/usr/bin/env bash
# Runs every libFuzzer target, or the one named, for a while. New inputs go
# to a scratch folder; copy the interesting ones into the
# target's own tests/fuzz/<folder>/corpus/<name>/.
#   scripts/fuzz.sh [--seconds N] [TARGET]     (default 600 seconds each)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=600
only=""
while [[ $# -gt 0 ]]; do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    *) only=$1; shift ;;
  esac
done

configured=false
[[ -d build/fuzz/CMakeFiles ]] && configured=true
$configured || scripts/install-deps.sh
# libtiff is instrumented like the targets: built once, skipped after that.
scripts/build-libtiff.sh fuzz build/fuzz
$configured || cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for target in build/fuzz/tests/fuzz/fuzz_*; do
  name=${target##*/fuzz_}
  [[ -z $only || $only == "$name" ]] || continue
  corpus=(tests/fuzz/*/corpus/"$name")
  mkdir -p "$scratch/$name"
  echo "fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -print_final_stats=0 \
    "$scratch/$name" "${corpus[0]}" 2>"$scratch/$name.log" || {
    tail -n 40 "$scratch/$name.log"
    exit 1
  }
  grep -E '^#[0-9]+ *DONE' "$scratch/$name.log" || tail -n 1 "$scratch/$name.log"
done
