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

# make_product DIR: a product of one settings text, packed as DIR/Flowers.dat
# for Flowers.scr, titled "Flower Power".
make_product() {
  mkdir -p "$1/content/backgrounds" "$1/content/icons/thumbs"
  printf '[general]\r\ntitle=Flower Power\r\nversion=Version 2.1\r\n' >"$1/content/settings.txt"
  (cd "$1/content" && zip -q -r -P rimagesFLOWE ../Flowers.dat settings.txt)
}

# make_engine FILE: the smallest program ris takes for the saver engine: a
# PE file whose version resource carries the engine's mark (a seed of the
# fuzz target that reads it), with the password prefix in its data.
make_engine() {
  cp "$(dirname "${BASH_SOURCE[0]}")/../fuzz/ris/corpus/engine_version/marked_engine" "$1"
  printf 'rimages' >>"$1"
}

# make_signer DIR: a throw-away code-signing key, DIR/signer.pfx, whose
# password is the line in DIR/password.txt; verified FILE checks a signature
# against its certificate, DIR/signer.pem.
make_signer() {
  signer_dir=$1
  printf 'open sesame\n' >"$1/password.txt"
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throwaway Test Signer" \
    -keyout "$1/signer.key" -out "$1/signer.pem" 2>/dev/null &&
    openssl pkcs12 -export -inkey "$1/signer.key" -in "$1/signer.pem" -out "$1/signer.pfx" \
      -passout "file:$1/password.txt"
}
verified() { osslsigncode verify -CAfile "$signer_dir/signer.pem" "$1" >/dev/null 2>&1; }

# sideways_photo FILE W H: a W x H JPEG, red left half and blue right half,
# with an EXIF block whose orientation 6 says it must be turned clockwise.
sideways_photo() {
  local plain=$work/plain.jpg
  convert -size "$(($2 / 2))x$3" xc:red -size "$(($2 / 2))x$3" xc:blue +append -quality 95 "$plain"
  { head -c 2 "$plain"
    printf '\xff\xe1\x00\x22Exif\x00\x00MM\x00\x2a\x00\x00\x00\x08'
    printf '\x00\x01\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00\x00\x00\x00\x00'
    tail -c +3 "$plain"; } >"$1"
}
