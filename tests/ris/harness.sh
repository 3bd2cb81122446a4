# Shared by the ris test scripts: a scratch folder removed on exit, and
# counted checks that end in the "N passed, N failed" line.
#   source harness.sh RIS_EXECUTABLE
set -u
ris=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
passes=0
: >"$work/stderr"

pass() { echo "ok   $1"; passes=$((passes + 1)); }
fail() {
  echo "FAIL $1"
  sed 's/^/     | /' "$work/stderr" | head -20
  failures=$((failures + 1))
}
# check NAME COMMAND...: the case passes when the command succeeds.
check() {
  local name=$1
  shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}

# run_ris ARGUMENTS...: runs ris, keeping its output and exit status.
run_ris() {
  "$ris" "$@" >"$work/stdout" 2>"$work/stderr"
  status=$?
}
exited() { [[ $status -eq $1 ]]; }
said() { grep -qF -- "$1" "$work/stderr"; }

finish() {
  echo "$passes passed, $failures failed"
  [[ $failures -eq 0 ]]
}
