#!/usr/bin/env bash
# ris installer with Debian's makensis: what it refuses before building, the
# message when makensis is missing, and a setup program built. What the setup
# does is run under Wine by the end-to-end tests.
source "$(dirname "$0")/harness.sh" "$1"

make_product "$work"
make_engine "$work/engine.scr"
cp "$(dirname "$0")/../fuzz/ris/corpus/engine_version/marked_engine" "$work/foreign.scr"

installer() { run_ris installer "$work/Flowers.dat" --out "$work/setup.exe" "$@"; }

installer --saver Other.scr --engine "$work/engine.scr"
check "a saver name that does not open the archive is refused" \
  eval 'exited 1 && said "Other.scr cannot use this archive" && [[ ! -e $work/setup.exe ]]'
installer --saver Flowers.scr --engine "$work/foreign.scr"
check "an engine of another password prefix is refused" eval 'exited 1 && said "another password prefix"'
installer --saver Flowers.scr --engine "$work/Flowers.dat"
check "a file without the engine's mark is refused" eval 'exited 1 && said "is not the saver engine"'
for saver in 'a"b.scr' 'a:b.scr' 'CON.scr' $'a\tb.scr' 'Blüten.scr'; do
  installer --saver "$saver" --engine "$work/engine.scr"
  check "saver name ${saver@Q} is refused" eval 'exited 2 && said "ris installer: --saver" && [[ ! -e $work/setup.exe ]]'
done
PATH=/nonexistent installer --saver Flowers.scr --engine "$work/engine.scr"
check "no makensis on the PATH: named as missing" eval 'exited 1 && said "makensis (NSIS) was not found"'

if ! command -v makensis >/dev/null; then
  echo "skip setup built: makensis is not installed"
  finish
  exit
fi
installer --saver Flowers.scr --engine "$work/engine.scr"
check "setup built" eval 'exited 0 && [[ $(head -c 2 "$work/setup.exe") == MZ ]]'
check "neither the script nor a temporary setup is left behind" eval '[[ -z $(find "$work" -name "setup.exe?*") ]]'
check "a product's own texts draw no placeholder warning" eval '! said "as ris new wrote it"'
printf '[general]\r\ntitle=Flower Power\r\nurl=www.example.com\r\n' >"$work/content/settings.txt"
(cd "$work/content" && zip -q -P rimagesFLOWE ../Placeholder.dat settings.txt)
run_ris installer "$work/Placeholder.dat" --out "$work/placeholder.exe" --saver Flowers.scr --engine "$work/engine.scr"
check "a text left as ris new wrote it is a warning for a setup" eval \
  'exited 0 && said "warning: settings.txt, [general] url: still \"www.example.com\", as ris new wrote it: write your own"'
# Another day, other file times, another folder: the same setup.
touch -d 2001-02-03 "$work/engine.scr" "$work/Flowers.dat"
mkdir "$work/again"
run_ris installer "$work/Flowers.dat" --out "$work/again/setup.exe" --saver Flowers.scr --engine "$work/engine.scr"
check "the same files give the same setup" cmp -s "$work/setup.exe" "$work/again/setup.exe"

# A setup built without compression (which a solid compressor would
# override) keeps its strings readable: UTF-16, each ending in a NUL (a
# string that ends another is stored only as that one's tail, so a text is
# looked for inside the texts around it).
printf '#!/bin/sh\nexec makensis "-XSetCompressor /FINAL zlib" "-XSetCompress off" "$@"\n' >"$work/makensis"
chmod +x "$work/makensis"
# setup_holds TEXT [SETUP]: grep reads a line break as the end of a
# pattern: \001 stands for it.
setup_holds() {
  iconv -c -f UTF-16LE -t UTF-8 "${2:-$work/setup.exe}" 2>/dev/null | tr '\n' '\001' |
    LC_ALL=C grep -qzxF -- "${1//$'\n'/$'\001'}"
}
# pack_title LINE [VERSION]: the product, its first line written as printf's
# %b writes it.
pack_title() {
  printf '[general]\r\n%b\r\nversion=%s\r\ncopyright=\xa9 2026 Deep Sea Makers\r\n' "$1" "${2:-1.0}" \
    >"$work/content/settings.txt"
  rm -f "$work/Flowers.dat" "$work/setup.exe"
  (cd "$work/content" && zip -q -r -P rimagesFLOWE ../Flowers.dat settings.txt)
}

# A product in a folder beyond ASCII, titled in code page 1251: the setup
# names it in Unicode and keeps its settings under the title's Unicode key.
pack_title 'codePage=1251\r\ntitle=\xd6\xe2\xe5\xf2\xfb'
mkdir "$work/Blüten"
mv "$work/Flowers.dat" "$work/Blüten/Flowers.dat"
run_ris installer "$work/Blüten/Flowers.dat" --saver Flowers.scr --engine "$work/engine.scr" \
  --out "$work/Blüten/Setup.exe" --makensis "$work/makensis"
check "a setup built in a folder beyond ASCII, named in Unicode, its settings key the title's" \
  eval 'exited 0 && setup_holds "Software\\Цветы" "$work/Blüten/Setup.exe"'

# Hostile product texts: each must stand in the setup whole, and nothing in
# it may have run while makensis built the setup.
hostile=(
  # title | version
  $'Aquarium Dreams|2.0\n!system "touch owned"'
  'Quote " $INSTDIR $(^Name) $$ $|1.0 "beta"'
  $'Sea \xa9 1999|5'
)
cd "$work"  # where makensis would run a command
for row in "${hostile[@]}"; do
  title=${row%%|*} version=${row#*|}
  pack_title "title=$title" "$version"
  installer --saver Flowers.scr --engine "$work/engine.scr" --makensis "$work/makensis"
  title=$(iconv -f CP1252 -t UTF-8 <<<"$title")
  check "hostile title ${title@Q}: setup named after it, nothing run" eval \
    'exited 0 && [[ ! -e $work/owned ]] && setup_holds "Who uses $title" &&
     setup_holds "Installing $title for all users needs administrator rights." &&
     setup_holds "$version" && setup_holds "Deep Sea Makers"'
done
# A title that cannot name a registry key, a folder or a caption.
for title in 'Aquarium\n!system "touch owned"' 'Carriage\rreturn' 'Tab\tbed' 'Canary\0x' 'Ends in a backslash\\'; do
  pack_title "title=$title"
  installer --saver Flowers.scr --engine "$work/engine.scr"
  check "title ${title@Q} is refused" \
    eval 'exited 1 && said "cannot name the product" && [[ ! -e $work/setup.exe && ! -e $work/owned ]]'
done
# makensis reads "$\n" in "$$\n" before the "$$", and expands "$${TITLE}"
# where a definition uses another: such texts cannot be written.
for texts in 'title=Loop ${TITLE}|title' 'title=Flowers|version|Cost $\n'; do
  IFS='|' read -r title what version <<<"$texts"
  pack_title "$title" "$version"
  installer --saver Flowers.scr --engine "$work/engine.scr"
  check "a $what NSIS cannot carry is refused" \
    eval 'exited 1 && said "cannot carry the $what" && [[ ! -e $work/setup.exe ]]'
done
# A makensis that fails after writing a part of the setup leaves nothing.
printf '#!/bin/sh\nfor s; do :; done\nsed -n "s/^!define OUTPUT \\"\\(.*\\)\\"$/\\1/p" "$s" | xargs touch\nexit 1\n' \
  >"$work/failing-makensis"
chmod +x "$work/failing-makensis"
pack_title 'title=Flower Power'
installer --saver Flowers.scr --engine "$work/engine.scr" --makensis "$work/failing-makensis"
check "a failed build leaves no setup and no temporary file" \
  eval 'exited 1 && [[ -z $(find "$work" -maxdepth 1 -name "setup.exe*") ]]'
finish
