#!/usr/bin/env bash
# Line coverage of the hand-written parsers from the kept fuzz corpora: every
# fuzz target is built with clang's source-based coverage (preset
# "coverage"), replays its tests/fuzz/<folder>/corpus/<name>/ once, and the
# merged profile is reported per source file of the parsing folders.
#   scripts/coverage.sh [TARGET...]     (default: every target)
set -euo pipefail
cd "$(dirname "$0")/.."

targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
  for source in tests/fuzz/*/*_fuzz.cpp; do
    name=${source##*/}
    targets+=("${name%_fuzz.cpp}")
  done
fi

[[ -d build/coverage/CMakeFiles ]] || cmake --preset coverage >/dev/null
cmake --build --preset coverage -j2 --target "${targets[@]/#/fuzz_}" >/dev/null

profiles=build/coverage/profiles
rm -rf "$profiles"
mkdir -p "$profiles"
objects=()
for name in "${targets[@]}"; do
  corpus=(tests/fuzz/*/corpus/"$name")
  LLVM_PROFILE_FILE="$profiles/$name.profraw" "build/coverage/tests/fuzz/fuzz_$name" "${corpus[0]}" >/dev/null
  objects+=(-object "build/coverage/tests/fuzz/fuzz_$name")
done
llvm-profdata merge -sparse "$profiles"/*.profraw -o "$profiles/merged.profdata"

# The parsers of untrusted bytes: pictures, archives, settings and registry
# texts. Columns: file, lines, lines missed, line coverage.
llvm-cov report "${objects[@]:1}" -instr-profile="$profiles/merged.profdata" |
  awk '$1 ~ /(^|\/)src\/(pictures|archive|data|startup|base)\/[^\/]*\.cpp$/ && NF >= 10 {
         sub(/^.*src\//, "src/", $1); printf "%-44s %6s %6s %8s\n", $1, $8, $9, $10 }'
