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

if ! command -v makensis >/dev/null; then
  echo "skip setup built: makensis is not installed"
  finish
  exit
fi
installer --saver Flowers.scr --engine "$work/engine.scr"
check "setup built" eval 'exited 0 && [[ $(head -c 2 "$work/setup.exe") == MZ ]]'
check "the script is not left behind" test ! -e "$work/setup.exe.nsi"
# Another day, other file times, another folder: the same setup.
touch -d 2001-02-03 "$work/engine.scr" "$work/Flowers.dat"
mkdir "$work/again"
run_ris installer "$work/Flowers.dat" --out "$work/again/setup.exe" --saver Flowers.scr --engine "$work/engine.scr"
check "the same files give the same setup" cmp -s "$work/setup.exe" "$work/again/setup.exe"

# Hostile product texts. A setup built without compression (which a solid
# compressor would override) keeps its strings readable: UTF-16, each ending
# in a NUL (a string that ends another is stored only as that one's tail, so
# the title is looked for inside the texts around it). Each text must stand
# there whole, and nothing in it may have run while makensis built the setup.
printf '#!/bin/sh\nexec makensis "-XSetCompressor /FINAL zlib" "-XSetCompress off" "$@"\n' >"$work/makensis"
chmod +x "$work/makensis"
# (grep reads a line break as the end of a pattern: \001 stands for it.)
setup_holds() {
  iconv -c -f UTF-16LE -t CP1252 "$work/setup.exe" 2>/dev/null | tr '\n' '\001' |
    LC_ALL=C grep -qzxF -- "${1//$'\n'/$'\001'}"
}
lf=$'\n'
cr=$'\r'
copyright=$'\xa9'
hostile=(
  # title | version
  "Quote \" \$INSTDIR \$(^Name) \$\$ \$|1.0 \"beta\""
  "Carriage return|4.0${lf}!system \"touch owned\""
  "Sea ${copyright} 1999|5"
)
cd "$work"  # where makensis would run a command
for row in "${hostile[@]}"; do
  title=${row%%|*} version=${row#*|}
  printf '[general]\r\ntitle=%s\r\nversion=%s\r\ncopyright=\xa9 2026 Deep Sea Makers\r\n' \
    "$title" "$version" >"$work/content/settings.txt"
  rm -f "$work/Flowers.dat" "$work/setup.exe"
  (cd "$work/content" && zip -q -r -P rimagesFLOWE ../Flowers.dat settings.txt)
  installer --saver Flowers.scr --engine "$work/engine.scr" --makensis "$work/makensis"
  check "hostile title ${title@Q}: setup named after it, nothing run" eval \
    'exited 0 && [[ ! -e $work/owned ]] && setup_holds "$title Setup" && setup_holds "Who uses $title" &&
     setup_holds "Installing $title for all users needs administrator rights." &&
     setup_holds "$version" && setup_holds "Deep Sea Makers"'
done
# A title the saver itself refuses (a line break would end a script's line,
# a backslash names another key) makes no setup: its saver would not run.
# makensis expands "$${TITLE}" where a definition uses another: such a title
# cannot be written.
refused=(
  "Aquarium${lf}!system \"touch owned\"${lf}; Dreams|cannot name the product"
  "Ends in a backslash\\|cannot name the product"
  "Carriage${cr}return|cannot name the product"
  'Cost $\n|cannot name the product'
  'Loop ${TITLE}|cannot carry the title'
)
for row in "${refused[@]}"; do
  title=${row%%|*} why=${row#*|}
  printf '[general]\r\ntitle=%s\r\n' "$title" >"$work/content/settings.txt"
  rm -f "$work/Flowers.dat" "$work/setup.exe"
  (cd "$work/content" && zip -q -r -P rimagesFLOWE ../Flowers.dat settings.txt)
  installer --saver Flowers.scr --engine "$work/engine.scr" --makensis "$work/makensis"
  check "a title the saver or NSIS cannot carry is refused: ${title@Q}" \
    eval 'exited 1 && said "$why" && [[ ! -e $work/setup.exe && ! -e $work/owned ]]'
done
finish
