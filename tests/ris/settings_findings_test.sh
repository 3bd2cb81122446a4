#!/usr/bin/env bash
# Settings mistakes a maker makes, each in a folder `ris new` wrote, and the
# exact finding `ris pack` gives for it: the line, the section, the key and
# what to write instead. @N stands for the number of the line changed.
source "$(dirname "$0")/harness.sh" "$1"

run_ris new "$work/product" --title "Findings"
check "ris new writes a product" exited 0
template=$work/product/settings.txt
cp "$template" "$work/template.txt"
run_ris pack "$work/product" "$work/Findings.dat" --saver Findings.scr
check "a new product packs without a finding" test -z "$(cat "$work/stderr")"

# LINE_WRITTEN | LINE_INSTEAD | FINDING
while IFS='|' read -r written instead finding; do
  [[ -z $written ]] && continue
  line=$(grep -n -m1 -xF "$written"$'\r' "$work/template.txt" | cut -d: -f1)
  [[ -n $line ]] || { fail "the template holds '$written'"; continue; }
  awk -v n="$line" -v text="$instead" 'NR == n { printf "%s\r\n", text; next } { print }' \
    "$work/template.txt" >"$template"
  run_ris pack "$work/product" "$work/Findings.dat" --saver Findings.scr
  check "$instead: ${finding//@N/$line}" grep -qxF -- "${finding//@N/$line}" "$work/stderr"
done <<'TABLE'
nrImages=10|nrImages=ten|error: settings.txt line @N, [bounce] nrImages: 'ten' is not a whole number: write one from 1 to 10000, such as nrImages=10
nrImages=10|nrImage=12|warning: settings.txt line @N, [bounce] nrImage: the saver reads no such key; did you mean nrImages?
nrImages=10|nrImage=12|error: settings.txt, [bounce] nrImages: missing, and the saver stops at start without it; write nrImages=10
nrImages=10|nrImages=-5|warning: settings.txt line @N, [bounce] nrImages: '-5' is outside what the saver takes: write one from 1 to 10000, such as nrImages=10
nrImages=10|nrImages=100000|warning: settings.txt line @N, [bounce] nrImages: '100000' is outside what the saver takes: write one from 1 to 10000, such as nrImages=10
clock=1|clock=3|warning: settings.txt line @N, [clocksettings] clock: '3' is outside what the saver takes: write one from 0 to 2, such as clock=1
monitors=0|monitors=3|warning: settings.txt line @N, [display] monitors: '3' is outside what the saver takes: write one from 0 to 2, such as monitors=0
monitors=0|monitors=all|warning: settings.txt line @N, [display] monitors: 'all' is not a whole number and is not read: write one from 0 to 2, such as monitors=0
bounceImages=true|bounceImages=yes|warning: settings.txt line @N, [bounce] bounceImages: 'yes' reads as false: write true or false
BackgroundColor=$00000000|BackgroundColor=#FF0000|error: settings.txt line @N, [general] BackgroundColor: '#FF0000' is not a colour the saver reads: write $00BBGGRR in hexadecimal (blue, green, red), here BackgroundColor=$000000FF
SetTime=30|SetTme=30|warning: settings.txt line @N, [sets] SetTme: the saver reads no such key; did you mean SetTime?
Speed=2|clock=1|warning: settings.txt line @N, [bounce] clock: the saver reads no such key here; did you mean clock in [clocksettings]?
[backgrounds]|[backgrouns]|warning: settings.txt line @N, [backgrouns]: the saver reads no such section; did you mean [backgrounds]?
setSpeed=true|setSpeed=yes|warning: settings.txt line @N, [bounce] setSpeed: 'yes' reads as false: write true or false
version=Version 1.0|version=L'été // beta|warning: settings.txt line @N, [general] version: the line is cut at the apostrophe before "//", so the value stored is "L"; put the comment on a line of its own
url=www.example.com|url=https://www.example.com|warning: settings.txt line @N, [general] url: 'https:' is no address a browser could open: write it without "//" and blanks, such as https:www.example.com
TABLE

finish
