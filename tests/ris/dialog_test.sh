#!/usr/bin/env bash
# ris dialog over a product packed by Info-ZIP: the caption, every item and
# row in layout order, hidden rows, the client height they add up to, and
# where the controls lie.
source "$(dirname "$0")/harness.sh" "$1"

mkdir -p "$work/content/backgrounds" "$work/content/icons"
printf '%s\r\n' '[general]' 'title=Flower Power' 'BackgroundColor=0' 'setShowBackground=true' 'moreInfo=More' \
  'setMoreInfo=true' '[bounce]' 'nrImages=3' 'Speed=2' '[clocksettings]' 'clock=0' \
  '[FilenameSettings]' 'filename=0' '[sets]' 'SetTime=0' 'select=1' 'setSets=true' \
  '[language]' 'showBackground=Pictures behind' >"$work/content/settings.txt"
for folder in backgrounds icons; do printf 'picture' >"$work/content/$folder/rose.png"; done
(cd "$work/content" && zip -q -r -P rimagesFLOWE ../flowers.dat settings.txt backgrounds icons)

output=$("$ris" dialog "$work/flowers.dat" --saver Flowers.scr)
check "dialog runs" [ $? -eq 0 ]
check "caption" [ "$(head -n1 <<<"$output")" == "Configure Flower Power" ]
check "a shown row with its caption" grep -qP '^gbGeneral\tpShowBackground\tshown\t20\tPictures behind$' <<<"$output"
check "a row without its flag is hidden" grep -qP '^gbGeneral\tpBackgroundColor\thidden\t36\t' <<<"$output"
check "an item without rows is hidden" grep -qP '^gbBounce\t\thidden\t0\t' <<<"$output"
check "the set list" grep -qP '^gbSets\tclbSets\tshown\t56\t' <<<"$output"

# Title, disclaimer, the taller column, buttons, link and copyright lines.
heights=$(awk -F'\t' '$2 == "" && $3 == "shown" { sum[$1 ~ /^(pGeneral|gbSets)$/] += $4 + 5 }
  END { print (sum[0] > sum[1] ? sum[0] : sum[1]) }' <<<"$output")
client=$(sed -n 's/^client height\t//p' <<<"$output")
check "client height holds the columns" [ "$client" -gt $((heights + 29 + 13)) ]

# Where the controls lie: the buttons and the version's right edge are fixed.
check "OK and Cancel placed" grep -qP '^place\tbtnOk\t244,\d+,81,28\tshown$' <<<"$output"
version_right=$(awk -F'\t' '$2 == "lVersion" { split($3, b, ","); print b[1] + b[3] "," b[2] }' <<<"$output")
check "the version's right edge at x 467, y 2" [ "$version_right" = 467,2 ]

"$ris" dialog "$work/flowers.dat" --saver Roses.scr >/dev/null 2>"$work/stderr"
status=$?
check "wrong saver name" exited 2
"$ris" dialog "$work/absent.dat" --saver Flowers.scr >/dev/null 2>&1
status=$?
check "missing archive" exited 1

finish
