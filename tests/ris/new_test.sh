#!/usr/bin/env bash
# ris new: the folder it writes packs without a word, shows every row of the
# dialog and keeps the title as given; it never writes over a maker's work.
source "$(dirname "$0")/harness.sh" "$1"

run_ris new "$work/product" --title "Anne's Flowers"
check "a new product is written" eval 'exited 0 && [[ -s $work/product/icons/thumbs/example.png ]]'
run_ris pack "$work/product" "$work/Anne.dat" --saver Anne.scr
check "it packs without error or warning" eval 'exited 0 && [[ ! -s $work/stderr ]]'
run_ris dialog "$work/Anne.dat" --saver Anne.scr
check "the dialog shows every row and the title" \
  eval 'exited 0 && ! grep -q hidden "$work/stdout" && grep -qx "Configure Anne.s Flowers" "$work/stdout"'
run_ris render "$work/Anne.dat" --saver Anne.scr --out "$work/frame.png" --seconds 1
check "the saver runs it" eval 'exited 0 && [[ -s $work/frame.png ]]'

run_ris new "$work/product" --title Other
check "an existing product is not written over" \
  eval 'exited 1 && said "is not an empty folder" && grep -q "Anne.s Flowers" "$work/product/settings.txt"'
for title in "a//b" " padded" $'two\nlines'; do
  run_ris new "$work/refused" --title "$title"
  check "title '$title' is refused" eval 'exited 1 && said "ris new: the title" && [[ ! -e $work/refused ]]'
done
finish
