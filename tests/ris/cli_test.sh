#!/usr/bin/env bash
# Runs the real ris executable on hostile settings texts and compares what it
# prints, byte for byte, with what the reading rules give.
source "$(dirname "$0")/harness.sh" "$1"

# expect NAME EXIT_CODE EXPECTED_STDOUT -- ris arguments...
# EXPECTED_STDOUT is a printf format, so it may hold any byte, zero included.
expect() {
  local name=$1 code=$2 expected=$3
  shift 4
  run_ris "$@"
  printf "$expected" >"$work/expected"
  if [[ $status -ne $code ]] || ! cmp -s "$work/stdout" "$work/expected"; then
    od -c "$work/stdout" | head -20
    fail "$name: exit $status (wanted $code)"
  else
    pass "$name"
  fi
}

printf '[general]\r\ntitle=Demo\r\nurl=www.example.com//not a comment\r\n' >"$work/comments.txt"
expect comments 0 'general\ttitle\tDemo\ngeneral\turl\twww.example.com\n' -- settings "$work/comments.txt"

printf "[language]\r\nok=Don't\r\ncancel=Don't // stop\r\n" >"$work/apostrophes.txt"
expect apostrophes 0 "language\\tok\\tDon't\\nlanguage\\tcancel\\tDon\\n" -- settings "$work/apostrophes.txt"

printf '[bounce]\r\n  Speed = 5 \r\n' >"$work/blanks.txt"
expect blanks-around-equals 0 'bounce\tSpeed \t 5\n' -- settings "$work/blanks.txt"

printf '[bounce\r\nSpeed=5\r\n[sets] tail\r\nSetTime=0\r\n' >"$work/headers.txt"
expect header-without-bracket 0 '\tSpeed\t5\nsets\tSetTime\t0\n' -- settings "$work/headers.txt"

printf '[general]\r\ntitle=One\r\n[GENERAL]\r\nTITLE=Two\r\n' >"$work/repeated.txt"
expect repeated-pairs 0 'GENERAL\ttitle\tTwo\n' -- settings "$work/repeated.txt"

printf '[general]\ntitle=Demo\n[bounce]\nSpeed=5\n' >"$work/lf.txt"
expect bare-line-feeds 0 '' -- settings "$work/lf.txt"

printf 'k=\xe9\x00z\r\n' >"$work/bytes.txt"
expect raw-bytes 0 '\tk\t\351\000z\n' -- settings "$work/bytes.txt"

expect missing-file 1 '' -- settings "$work/does-not-exist.txt"
check "missing-file message" grep -q "cannot read" "$work/stderr"
expect folder 1 '' -- settings "$work"
expect usage 2 '' -- settings
expect unknown-command 2 '' -- frobnicate
run_ris --help
check "--help lists every command on stdout" test "$status" -eq 0 -a "$(grep -c '^  ris ' "$work/stdout")" -eq 13
run_ris settings
check "a command called wrongly shows its line of that list" grep -qxF 'usage: ris settings FILE' "$work/stderr"

finish
