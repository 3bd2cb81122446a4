#!/usr/bin/env bash
# ris installer with Debian's makensis: what it refuses before building, the
# message when makensis is missing, and a setup program built. What the setup
# does is run under Wine by the end-to-end tests.
source "$(dirname "$0")/harness.sh" "$1"

make_product "$work"
# An engine as far as the check can tell: a Windows program holding the prefix.
printf 'MZ engine built with rimages' >"$work/engine.scr"
printf 'MZ engine built with another prefix' >"$work/foreign.scr"

installer() { run_ris installer "$work/Flowers.dat" --out "$work/setup.exe" "$@"; }

installer --saver Other.scr --engine "$work/engine.scr"
check "a saver name that does not open the archive is refused" \
  eval 'exited 1 && said "Other.scr cannot use this archive" && [[ ! -e $work/setup.exe ]]'
installer --saver Flowers.scr --engine "$work/foreign.scr"
check "an engine of another password prefix is refused" eval 'exited 1 && said "another password prefix"'
PATH=/nonexistent installer --saver Flowers.scr --engine "$work/engine.scr"
check "no makensis on the PATH: named as missing" eval 'exited 1 && said "makensis (NSIS) was not found"'

if command -v makensis >/dev/null; then
  installer --saver Flowers.scr --engine "$work/engine.scr"
  check "setup built" eval 'exited 0 && [[ $(head -c 2 "$work/setup.exe") == MZ ]]'
  check "the script is not left behind" test ! -e "$work/setup.exe.nsi"
  # Another day, other file times, another folder: the same setup.
  touch -d 2001-02-03 "$work/engine.scr" "$work/Flowers.dat"
  mkdir "$work/again"
  run_ris installer "$work/Flowers.dat" --out "$work/again/setup.exe" --saver Flowers.scr --engine "$work/engine.scr"
  check "the same files give the same setup" cmp -s "$work/setup.exe" "$work/again/setup.exe"
else
  echo "skip setup built: makensis is not installed"
fi
finish
