#!/usr/bin/env bash
# ris render: the saver's display run headless over an archive made with
# ImageMagick and Info-ZIP, its frame checked with ImageMagick.
source "$(dirname "$0")/harness.sh" "$1"

content="$work/content"
mkdir -p "$content/backgrounds" "$content/icons"
cat >"$content/settings.txt" <<'TEXT'
[general]
title=Render Test
BackgroundColor=$00000000
showBackground=true
setShowBackground=true
[bounce]
nrImages=3
Speed=1
setSpeed=true
[clocksettings]
clock=2
clockFont=object F: TFontDialog;  Font.Height = -24;  Font.Name = 'Arial';  Font.Style = [fsBold];end
[FilenameSettings]
filename=0
[sets]
SetTime=0
[backgrounds]
stretchSmallImages=true
TEXT
sed -i 's/$/\r/' "$content/settings.txt"
convert -size 64x48 xc:'#2040c0' "$content/backgrounds/sky.png"
convert -size 16x16 xc:'#ff8000' -fill '#ff00ff' -draw 'point 0,0' "$content/icons/sky.png"
(cd "$content" && zip -q -r -P rimagesRENDE ../render.dat settings.txt backgrounds icons)

render() { run_ris render "$work/render.dat" --saver Render.scr --out "$work/frame.png" "$@"; }
printed() { [[ $(cat "$work/stdout") == "$1" ]]; }
frame_size() { [[ $(identify -format '%wx%h' "$work/frame.png") == "$1" ]]; }
frame_has() { convert "$work/frame.png" -format %c histogram:info:- | grep -qi -- "$1"; }

render --size 320x240 --seconds 1
check "time up" printed "time up after 1.0 s"
check "frame at the screen's size" frame_size 320x240
check "stretched background" frame_has "#2040C0"
check "moving pictures" frame_has "#FF8000"
check "white clock" frame_has "#FFFFFF"
check "colour key not drawn" bash -c "! convert '$work/frame.png' -format %c histogram:info:- | grep -qi '#FF00FF'"

render --size 320x240 --registry "$work/user.reg" --key 38@0.5 --key 38@0.6 --key 27@0.7
check "closed by key" printed "closed by key after 0.7 s"
check "speed stored" grep -q '"bounce Speed"=dword:00000003' "$work/user.reg"
render --size 320x240 --registry "$work/user.reg" --key 38@0.2 --key 65@0.3
check "speed read back and raised" grep -q '"bounce Speed"=dword:00000004' "$work/user.reg"

render --mouse 10,10@0.3 --mouse 20,20@0.4 --seconds 5
check "closed by mouse" printed "closed by mouse after 0.4 s"
render --mouse 10,10@0.3 --mouse 90,10@0.4 --seconds 1
check "one axis does not close" printed "time up after 1.0 s"

render --mode preview --size 1024x768
check "preview size" frame_size 152x114

render --key 27@0
check "closed before the first frame" exited 1
render --key 38 --seconds 1
check "malformed key" exited 2
render --size 0x10
check "empty screen" exited 2

# Two monitors, the second right of the primary and smaller: 1920..3200 x
# 1024..1080 lies on no monitor. The 64 x 48 background fits a 1920 x 1080
# monitor at 240..1680, a 1280 x 1024 one at 32..992 down, and the 3200 x
# 1080 box of both at 880..2320. One archive per choice of the product.
pixel_is() { [[ $(convert "$work/frame.png" -format "%[hex:p{$1}]" info:) == "$2"* ]]; }
part_has() { convert "$work/frame.png" -crop "$1" +repage -format %c histogram:info:- | grep -qi -- "$2"; }
part_lacks() { ! part_has "$@"; }
only_grey() { [[ $(convert "$work/frame.png" -crop "$1" +repage -format %k info:) == 1 ]] && part_has "$1" "#404040"; }
strip=1280x56+1920+1024
while read -r choice name checks; do
  sed "s/^\[backgrounds\]/[display]\r\nmonitors=$choice\r\n[backgrounds]/" "$content/settings.txt" >"$work/settings.txt"
  (cd "$work" && cp -r "$content/backgrounds" "$content/icons" . && zip -q -r -P rimagesRENDE monitors.dat settings.txt \
    backgrounds icons && rm -rf backgrounds icons)
  run_ris render "$work/monitors.dat" --saver Render.scr --out "$work/frame.png" --monitors 1920x1080,1280x1024@1920,0 \
    --seconds 1
  check "monitors=$choice: the desktop's box" frame_size 3200x1080
  check "monitors=$choice: nothing shown where no monitor is" only_grey "$strip"
  for check_word in $checks; do
    IFS=: read -r what where colour <<<"$check_word"
    check "monitors=$choice $name: $what ${where//+/ } ${colour:-}" "$what" "${where//_/,}" "${colour:-}"
  done
done <<'TABLE'
0 primary-only pixel_is:500_540:2040C0 part_has:1920x1080+0+0:#FFFFFF part_has:1280x1024+1920+0:#000000 part_lacks:1280x1024+1920+0:#2040C0
1 every-monitor pixel_is:500_540:2040C0 pixel_is:3000_540:2040C0 pixel_is:2000_10:000000 part_has:1280x1024+1920+0:#FF8000 part_lacks:1280x1024+1920+0:#FFFFFF part_has:1920x1080+0+0:#FFFFFF
2 across-all pixel_is:500_540:000000 pixel_is:1930_540:2040C0 pixel_is:3000_540:000000 part_has:1920x1080+0+0:#FFFFFF part_lacks:1280x1024+1920+0:#FFFFFF
TABLE
run_ris render "$work/render.dat" --saver Render.scr --out "$work/frame.png" --monitors 1920x1080,1280x1024@-1280
check "a monitor without its place" exited 2
run_ris render "$work/render.dat" --saver Render.scr --out "$work/frame.png" --monitors 1920x1080,1280x1024@40000,0
check "monitors too far apart for one picture" eval 'exited 2 && said "too far apart"'
run_ris render "$work/render.dat" --saver Render.scr --out "$work/frame.png" --monitors 1920x1080,1280x1024@-1280,-200
check "left of and above the primary" frame_size 3200x1280

run_ris render "$work/render.dat" --saver Other.scr --out "$work/frame.png"
check "wrong saver name" exited 2
check "wrong saver name: the archive was not packed by ris" said "was not packed by ris"
run_ris render "$work/absent.dat" --saver Render.scr --out "$work/frame.png"
check "missing archive" exited 1

finish
