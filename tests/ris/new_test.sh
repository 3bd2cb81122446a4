#!/usr/bin/env bash
# ris new: the folder it writes packs without a word, shows every row of the
# dialog and keeps the title as given, beyond ASCII in the code page named;
# it never writes over a maker's work.
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
for title in "a//b" " padded" $'two\nlines' $'tab\tbed' 'Microsoft\Windows' '   '; do
  run_ris new "$work/refused" --title "$title"
  check "title '$title' is refused" eval 'exited 1 && said "ris new: the title" && [[ ! -e $work/refused ]]'
done

# The saver's file name suggested is one ris pack takes, even for a title
# Windows reserves as a device's name.
run_ris new "$work/con" --title CON
suggested=$(sed -n 's/^saver file name, for example: "\(.*\)" (archive.*/\1/p' "$work/stdout")
run_ris pack "$work/con" "$work/con.dat" --saver "$suggested"
check "the suggested saver name of a title Windows reserves packs ($suggested)" \
  eval 'exited 0 && [[ $suggested == *.scr && $suggested != CON.scr ]]'

# A title beyond ASCII, in UTF-8, when the product's code page holds it.
run_ris new "$work/greek" --title "Λουλούδια" --code-page 1253
check "a Greek title with code page 1253" eval 'exited 0 && grep -q "^codePage=1253" "$work/greek/settings.txt"'
run_ris pack "$work/greek" "$work/Greek.dat" --saver Greek.scr
run_ris dialog "$work/Greek.dat" --saver Greek.scr
check "it packs, and the dialog shows the title" eval 'exited 0 && grep -qx "Configure Λουλούδια" "$work/stdout"'
run_ris new "$work/refused" --title "Łąka"
check "a title that code page 1252 lacks is refused" eval 'exited 1 && said "lacks" && [[ ! -e $work/refused ]]'
run_ris new "$work/refused" --title Flowers --code-page 437
check "a code page without a table is refused" eval 'exited 1 && said "--code-page 437" && [[ ! -e $work/refused ]]'
finish
