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

# Every file that the targets reach in the folders of untrusted bytes is
# listed; the parsers among them (decoders, archive and settings readers, the
# registry file reader, the photo orientation reader, the engine mark
# reader, number and code page conversions) must each reach 85% of their
# lines. Columns: file, lines, lines missed, line coverage.
parsers='src/pictures/[a-z_]*(_decoder|raw_fax)\.cpp|src/archive/|src/data/(settings_list|object_text)\.cpp|src/base/(conversions|code_page)\.cpp|src/shells/headless/reg_file\.cpp|tools/ris/(exif_orientation|engine_version)\.cpp'
llvm-cov report "${objects[@]:1}" -instr-profile="$profiles/merged.profdata" |
  awk -v root="$PWD/" -v parsers="^($parsers)" '
    # Paths come absolute, or relative to the build tree when ccache kept them so.
    { if (index($1, root) == 1) $1 = substr($1, length(root) + 1); sub(/^(\.\.\/)+/, "", $1) }
    $1 ~ /^(src\/(pictures|archive|data|startup|base|shells\/headless)|tools\/ris)\/[^\/]*\.cpp$/ && NF >= 10 {
      printf "%-44s %6s %6s %8s\n", $1, $8, $9, $10
      if ($1 ~ parsers && $10 + 0 < 85) short = short " " $1
    }
    END {
      if (short == "") { print "every parser at 85% of its lines or more"; exit 0 }
      print "parsers below 85%:" short; exit 1
    }'
