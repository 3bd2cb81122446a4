#!/usr/bin/env bash
# ris sign and ris installer with a key: Authenticode signatures made through
# osslsigncode with a throw-away key made here, checked by osslsigncode
# verify; and where the password goes.
source "$(dirname "$0")/harness.sh" "$1"

for tool in osslsigncode openssl makensis; do
  if ! command -v "$tool" >/dev/null; then
    echo "skip: $tool is not installed"
    finish
    exit
  fi
done
make_signer "$work"
key=(--pfx "$work/signer.pfx" --password-file "$work/password.txt")
# A small Windows program to sign: an empty setup.
printf 'OutFile "%s"\nRequestExecutionLevel user\nSection\nSectionEnd\n' "$work/plain.exe" |
  makensis -V1 - >/dev/null
for copy in a b c d e; do cp "$work/plain.exe" "$work/$copy.exe"; done

run_ris sign "$work/a.exe" "${key[@]}"
check "signed with the password from a file: verify passes" eval 'exited 0 && verified "$work/a.exe"'
cp "$work/a.exe" "$work/changed.exe"
printf 'X' | dd of="$work/changed.exe" bs=1 seek=2048 conv=notrunc status=none
check "a byte changed after signing: verify fails" eval '! verified "$work/changed.exe"'
chmod 750 "$work/a.exe"
run_ris sign "$work/a.exe" "${key[@]}"
check "a signed program keeps its mode" eval '[[ $(stat -c %a "$work/a.exe") == 750 ]]'
run_ris sign "$work/b.exe" --pfx "$work/signer.pfx" --password-file - <"$work/password.txt"
check "signed with the password from standard input" eval 'exited 0 && verified "$work/b.exe"'

run_ris sign "$work/c.exe" --pfx "$work/signer.pfx" --password-file - <<<'not the password'
check "a wrong password: refused, the program left as it was, nothing left beside it" \
  eval 'exited 1 && said "osslsigncode failed" && cmp -s "$work/c.exe" "$work/plain.exe" &&
        [[ -z $(find "$work" -name "*.tmp-*") ]]'
run_ris sign "$work/c.exe" --pfx "$work/signer.pfx"
check "--pfx without a password file is refused" eval 'exited 1 && said "--password-file"'

# A stand-in for osslsigncode that keeps its arguments and its input.
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >"%s/arguments"\ncat >"%s/input"\nexit 3\n' "$work" "$work" \
  >"$work/fake-osslsigncode"
chmod +x "$work/fake-osslsigncode"
run_ris sign "$work/c.exe" "${key[@]}" --osslsigncode "$work/fake-osslsigncode"
check "the password reaches osslsigncode through a pipe, never its command line" \
  eval 'exited 1 && [[ $(cat "$work/input") == "open sesame" ]] && ! grep -q sesame "$work/arguments"'
# Started with SIGCHLD ignored (a parent may pass that on), ris still reads
# the program's exit code.
perl -e '$SIG{CHLD} = "IGNORE"; exec @ARGV or die' "$ris" sign "$work/c.exe" "${key[@]}" \
  --osslsigncode "$work/fake-osslsigncode" >"$work/stdout" 2>"$work/stderr"
check "started with SIGCHLD ignored: the program's own exit code" said "osslsigncode failed (exit code 3)"

SOURCE_DATE_EPOCH=1767225600 run_ris sign "$work/d.exe" "${key[@]}"
SOURCE_DATE_EPOCH=1767225600 run_ris sign "$work/e.exe" "${key[@]}"
check "with SOURCE_DATE_EPOCH, signing is reproducible" cmp -s "$work/d.exe" "$work/e.exe"

# The setup of a product, of an engine as small as can be.
make_product "$work"
make_engine "$work/engine.scr"
cp "$work/engine.scr" "$work/engine-before.scr"
run_ris installer "$work/Flowers.dat" --saver Flowers.scr --engine "$work/engine.scr" \
  --out "$work/setup.exe" "${key[@]}"
check "ris installer with a key: a signed setup, of the mode makensis gives" eval \
  'exited 0 && verified "$work/setup.exe" && [[ $(stat -c %a "$work/setup.exe") == $(stat -c %a "$work/plain.exe") ]]'
7z e -o"$work/unpacked" "$work/setup.exe" '$1/Flowers.scr' >/dev/null 2>&1
check "... carrying a signed engine; the maker's engine left as it was" \
  eval 'verified "$work/unpacked/Flowers.scr" && cmp -s "$work/engine.scr" "$work/engine-before.scr"'
finish
