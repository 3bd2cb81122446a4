#!/usr/bin/env bash
# ris list on archives made by other tools: Info-ZIP and 7-Zip, encrypted for
# the saver name Flowers.scr (password "rimages" + "FLOWE").
source "$(dirname "$0")/harness.sh" "$1"

mkdir -p "$work/content/backgrounds" "$work/content/icons/thumbs"
printf '[general]\r\ntitle=Flower Power\r\n' >"$work/content/settings.txt"
for folder in backgrounds icons icons/thumbs; do
  printf 'picture' >"$work/content/$folder/Rose.png"
  printf 'picture' >"$work/content/$folder/tulip.bmp"
done
password=rimagesFLOWE
expected=$'Flower Power\nrose\tbackgrounds\\Rose.png\ticons\\Rose.png\ntulip\tbackgrounds\\tulip.bmp\ticons\\tulip.bmp'
expected_preview=$'Flower Power\nrose\tbackgrounds\\Rose.png\ticons\\thumbs\\Rose.png\ntulip\tbackgrounds\\tulip.bmp\ticons\\thumbs\\tulip.bmp'

(cd "$work/content" && zip -q -r -P "$password" ../infozip.dat settings.txt backgrounds icons)
(cd "$work/content" && zip -q -0 -r -P "$password" ../stored.dat settings.txt backgrounds icons)
(cd "$work/content" && 7z a -tzip -p"$password" ../sevenzip.dat settings.txt backgrounds icons >/dev/null)
# Written to a pipe, Info-ZIP cannot seek back: data descriptors follow the data.
(cd "$work/content" && zip -q -r -P "$password" - settings.txt backgrounds icons | cat >../piped.dat)

# The title, then the sets in sorted order: archivers walk folders in the
# order the file system gives.
listing() {
  "$ris" list "$@" 2>&1 | { IFS= read -r title; printf '%s\n' "$title"; LC_ALL=C sort; }
}

for archive in infozip stored sevenzip piped; do
  output=$(listing "$work/$archive.dat" --saver Flowers.scr)
  check "$archive opens" [ "$output" == "$expected" ]
  output=$(listing "$work/$archive.dat" --saver flowers.SCR --mode preview)
  check "$archive preview" [ "$output" == "$expected_preview" ]
  "$ris" list "$work/$archive.dat" --saver Roses.scr >/dev/null 2>"$work/stderr"
  status=$?
  check "$archive under another saver name" [ $status -eq 2 ]
  check "$archive under another saver name: not packed by ris" grep -q 'was not packed by ris' "$work/stderr"
done

"$ris" list "$work/absent.dat" --saver Flowers.scr >/dev/null 2>"$work/stderr"
status=$?
check "missing archive" [ $status -eq 1 ]
check "missing archive message" grep -q 'No data file found or missing settings in data file.' "$work/stderr"
"$ris" list "$work/infozip.dat" >/dev/null 2>&1
status=$?
check "usage" [ $status -eq 2 ]
run_ris list "$work/infozip.dat" --saver CON.scr
check "a saver name Windows refuses" eval 'exited 2 && said "--saver CON.scr cannot be the saver'"'"'s file name"'

finish
