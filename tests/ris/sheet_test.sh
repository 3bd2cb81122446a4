#!/usr/bin/env bash
# ris sheet: a product drawn from its folder and from its archive is the same
# picture, a broken set is drawn with the rest, and an archive the saver
# cannot open is refused.
source "$(dirname "$0")/harness.sh" "$1"

run_ris new "$work/product" --title Sheet
run_ris pack "$work/product" "$work/Sheet.dat" --saver Sheet.scr
cp "$work/product/backgrounds/example.png" "$work/product/backgrounds/broken.png"

run_ris sheet "$work/product" --saver Sheet.scr --out "$work/folder.png"
check "a folder with a broken set is drawn" eval 'exited 0 && grep -qF "drew 2 sets" "$work/stdout"'
rm "$work/product/backgrounds/broken.png"
run_ris sheet "$work/product" --saver Sheet.scr --out "$work/folder.png"
run_ris sheet "$work/Sheet.dat" --out "$work/archive.png"
check "folder and archive give the same sheet" eval 'exited 0 && cmp -s "$work/folder.png" "$work/archive.png"'
check "the sheet is a PNG" eval '[[ $(head -c 4 "$work/archive.png" | tail -c 3) == PNG ]]'

run_ris sheet "$work/Sheet.dat" --saver Other.scr --out "$work/other.png"
check "a saver that cannot open the archive is refused" \
  eval 'exited 1 && said "Other.scr cannot open this archive" && [[ ! -e $work/other.png ]]'
finish
