#!/usr/bin/env bash
# The libFuzzer targets, always under the limits the decode budget promises:
# an input that takes more than FUZZ_RSS_MB of memory or FUZZ_TIMEOUT
# seconds is a finding like a crash.
#
#   scripts/fuzz.sh --replay [TARGET...]
#       runs each target once over its kept corpus (what CI does);
#   scripts/fuzz.sh [--seconds N] [TARGET[=SECONDS]...]
#       a campaign: each target named (every target when none is) fuzzes for
#       its own length or N seconds (default 600), then the new inputs that
#       reach code the kept ones do not are merged (minimised) into its kept
#       corpus, tests/fuzz/<folder>/corpus/<name>/. Findings are kept in
#       build/fuzz/findings/<name>/ and make the script fail.
# The time limit is wall-clock time: on a machine busy with other work a
# campaign may raise FUZZ_TIMEOUT, and a timeout it finds is replayed under
# the default limit (--replay, or the target run on that one input) before it
# counts.
set -euo pipefail
cd "$(dirname "$0")/.."

rss_mb=${FUZZ_RSS_MB:-512}
timeout_s=${FUZZ_TIMEOUT:-2}
limits=(-rss_limit_mb="$rss_mb" -timeout="$timeout_s" -malloc_limit_mb="$rss_mb")
# AddressSanitizer keeps freed memory aside (256 MB by default) to catch its
# use after free; counted in the process's memory, that alone would take the
# largest picture the budget allows past the limit. A smaller quarantine keeps
# the limit a measure of what the decoders hold.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=64}

seconds=600
replay=false
declare -A lengths=()
while [[ $# -gt 0 ]]; do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --replay) replay=true; shift ;;
    *=*) lengths[${1%%=*}]=${1#*=}; shift ;;
    *) lengths[$1]=""; shift ;;
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
failed=0
for target in build/fuzz/tests/fuzz/fuzz_*; do
  name=${target##*/fuzz_}
  [[ ${#lengths[@]} -eq 0 || -v lengths[$name] ]] || continue
  corpus=(tests/fuzz/*/corpus/"$name")
  corpus=${corpus[0]}
  findings=build/fuzz/findings/$name
  mkdir -p "$findings" "$corpus"
  if $replay; then
    "$target" "${limits[@]}" -runs=0 -artifact_prefix="$findings/" "$corpus" 2>"$scratch/$name.log" || {
      tail -n 40 "$scratch/$name.log"
      failed=1
      continue
    }
    echo "$name: $(grep -Eo 'Running: [0-9]+|INITED.*' "$scratch/$name.log" | tail -n 1)"
    continue
  fi
  length=${lengths[$name]:-}
  length=${length:-$seconds}
  mkdir -p "$scratch/$name"
  echo "fuzzing $name for ${length}s"
  "$target" "${limits[@]}" -max_total_time="$length" -print_final_stats=1 -artifact_prefix="$findings/" \
    "$scratch/$name" "$corpus" 2>"$scratch/$name.log" || {
    tail -n 40 "$scratch/$name.log"
    failed=1
  }
  grep -E '^stat::number_of_executed_units' "$scratch/$name.log" || true
  # Of the new inputs only those that reach code the kept ones do not are
  # merged into the kept corpus (hand-made seeds keep their names).
  "$target" "${limits[@]}" -merge=1 -artifact_prefix="$findings/" "$corpus" "$scratch/$name" \
    2>"$scratch/$name.merge.log" || tail -n 20 "$scratch/$name.merge.log"
  echo "$name: $(find "$corpus" -type f | wc -l) inputs kept, $(find "$findings" -type f | wc -l) findings"
done
exit $failed
