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

# What pack changes on the way: a UTF-8 text in code page 1252, an accented
# set name, a photo turned upright. The folder's sheet, without --saver,
# names the saver as ris new suggests it, as the archive's name does.
run_ris new "$work/accents" --title "Fleurs d'été"
for folder in backgrounds icons icons/thumbs; do
  mv "$work/accents/$folder/example.png" "$work/accents/$folder/rosé.png"
done
sideways_photo "$work/accents/backgrounds/rosé.jpg" 64 32
rm "$work/accents/backgrounds/rosé.png"
run_ris pack "$work/accents" "$work/accents.dat" --saver accents.scr
run_ris sheet "$work/accents" --out "$work/accents-folder.png"
run_ris sheet "$work/accents.dat" --out "$work/accents-archive.png"
check "a folder and its archive draw the same sheet when pack converts, renames and turns" \
  cmp -s "$work/accents-folder.png" "$work/accents-archive.png"

run_ris sheet "$work/Sheet.dat" --saver Other.scr --out "$work/other.png"
check "a saver that cannot open the archive is refused" \
  eval 'exited 1 && said "Other.scr cannot open this archive" && [[ ! -e $work/other.png ]]'
finish
