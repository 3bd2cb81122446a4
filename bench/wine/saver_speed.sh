#!/usr/bin/env bash
# The real saver's start-up and set change under Wine, as the screen shows
# them, for this build and an earlier one on the same product: two sets of
# 3840 x 2160 photo-like JPEG backgrounds on a 1920 x 1080 screen, no moving
# pictures and no overlays, so that a frame is the background alone. The
# driver's timing command starts each saver, waits for either set's colour
# at the screen's centre (it starts with either), presses the right arrow
# key and waits for the other's, and reports the saver's processor time for
# each too: a frame waits for the display's next tick, so the processor time
# tells the work apart. The builds take turns; the least, median and most of
# each figure are printed. Both builds must show the same frames, pixel for
# pixel.
#   bench/wine/saver_speed.sh BUILD_DIR EARLIER_SCR [RUNS]
# BUILD_DIR is the windows preset's tree (as for tests/e2e/run.sh);
# EARLIER_SCR is the earlier build's Demo.scr.
here=$(cd "$(dirname "$0")/../../tests/e2e" && pwd)
earlier_scr=$(realpath "${2:?usage: bench/wine/saver_speed.sh BUILD_DIR EARLIER_SCR [RUNS]}")
runs=${3:-9}
screen_w=1920
screen_h=1080
source "$here/wine_harness.sh" "$1"

product=$folder/speed
content=$product/content
mkdir -p "$content/backgrounds" "$content/icons/thumbs" "$product/earlier" "$product/current"

# photo NAME CENTRE: grain over shading, as costly to decode as a
# photograph, with a flat patch of colour CENTRE (RRGGBB) in the middle.
photo() {
  convert -size 3840x2160 gradient:"#$2-#202020" -attenuate 0.6 +noise Gaussian \
    -fill "#$2" -draw 'rectangle 1720,980 2120,1180' -quality 90 "$content/backgrounds/$1.jpg"
  convert -size 32x32 xc:"#$2" "$content/icons/$1.png"
  cp "$content/icons/$1.png" "$content/icons/thumbs/$1.png"
}
red=C03020
blue=2050C0
photo red "$red"
photo blue "$blue"
plain_settings "Speed Pictures" 0 >"$content/settings.txt"
"$host_ris" pack "$content" "$product/Demo.dat" --saver Demo.scr >"$work/stdout" 2>"$work/stderr"
check "ris packs the speed product" test -s "$product/Demo.dat" || { finish; exit 1; }
cp "$product/Demo.dat" "$product/earlier/"
cp "$product/Demo.dat" "$product/current/"
cp "$earlier_scr" "$product/earlier/Demo.scr"
cp "$build/Demo.scr" "$product/current/Demo.scr"

# time_saver BUILD RUN: one start and set change of BUILD's saver, from
# settings as the product gives them (a saver stores its own when it ends).
time_saver() {
  wine reg delete 'HKCU\Software\Speed Pictures' /f >/dev/null 2>&1
  drive "$1-$2" timing "C:\\e2e\\speed\\$1\\Demo.scr" "$red" "$blue"
  done_with_saver
}
for ((run = 1; run <= runs; run++)); do
  time_saver earlier "$run"
  time_saver current "$run"
done

# spread BUILD KEY: the least, median and most of KEY over BUILD's runs.
spread() {
  local run
  for ((run = 1; run <= runs; run++)); do value "$1-$run" "$2"; done | sort -g |
    awk '{ v[NR] = $1 } END { printf "%.1f / %.1f / %.1f", v[1], v[int((NR + 1) / 2)], v[NR] }'
}
# digests BUILD KEY: the distinct digests BUILD's runs gave for KEY.
digests() {
  local run
  for ((run = 1; run <= runs; run++)); do value "$1-$run" "$2"; done | sort -u | tr '\n' ' '
}
for key in first_frame_ms first_frame_cpu_ms set_change_ms set_change_cpu_ms; do
  echo "     $key over $runs runs, least / median / most: earlier $(spread earlier $key) ms, current $(spread current $key) ms"
done
for key in "digest_$red" "digest_$blue"; do
  check "both builds show the same frame for each set ($key: $(digests current $key))" \
    eval '[[ $(digests earlier '"$key"') == $(digests current '"$key"') && $(digests current '"$key"' | wc -w) -eq 1 ]]'
done
finish
