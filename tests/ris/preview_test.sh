#!/usr/bin/env bash
# ris preview on a virtual X screen: the folder shown by the Linux saver, a
# refused folder shown as pack's findings in the window, a file saved again
# shown within a second or so, a user's default too, a click ending it as it
# ends the saver, its scratch folder gone.
# Skipped without Xvfb, xdotool and ImageMagick.
source "$(dirname "$0")/harness.sh" "$1"
for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 0; }
done
xvfb_pid=
preview_pid=
cleanup() {
  [[ -n $preview_pid ]] && kill "$preview_pid" 2>/dev/null && wait "$preview_pid" 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# -noreset: with its last client gone, as between two savers, the server
# would reset and refuse the next saver for that moment.
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset 5>"$work/display" 2>/dev/null &
xvfb_pid=$!
for ((i = 0; i < 100; i++)); do [[ -s $work/display ]] && break; sleep 0.1; done
mkdir "$work/tmp"
export DISPLAY=":$(head -n1 "$work/display")" XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp"

# screen_shows SECONDS FX: within that time a shot of the screen passes the
# ImageMagick test FX. Between two savers the screen is black a moment: no
# test passes on that.
screen_shows() {
  for ((i = 0; i < $1 * 4; i++)); do
    timeout 10 import -window root "$work/shot.png" 2>/dev/null &&
      [[ $(convert "$work/shot.png" -format "%[fx:$2]" info:) == 1 ]] && return 0
    sleep 0.25
  done
  return 1
}
the_folder='mean > 0.2'
the_findings='mean < 0.05 && maxima > 0.5'  # black but for lines of text
mostly_green='mean.g > 0.5 && mean.r < 0.2'

run_ris new "$work/Flowers" --title Flowers
printf '// Blüten\r\n' >>"$work/Flowers/settings.txt"  # UTF-8: a routine note at every check of the folder
"$ris" preview "$work/Flowers" >"$work/stdout" 2>"$work/stderr" &
preview_pid=$!
window=$(timeout 30 xdotool search --sync --name '^Flowers \(preview\)$' | head -n1)
check "the saver's window shows the folder" eval '[[ -n $window ]] && screen_shows 10 "$the_folder"'

mv "$work/Flowers/icons/thumbs/example.png" "$work/thumb.png"
check "a refused folder shows the findings in the window" \
  eval 'screen_shows 10 "$the_findings" && kill -0 $preview_pid && said "has no thumbnail"'
mv "$work/thumb.png" "$work/Flowers/icons/thumbs/example.png"
check "the folder saved again shows again" screen_shows 10 "$the_folder"

# A picture saved again with other bytes is checked again, not taken for the
# one checked before.
cp "$work/Flowers/icons/example.png" "$work/sprite.png"
head -c 200 "$work/sprite.png" >"$work/Flowers/icons/example.png"
check "a picture saved broken shows the findings" \
  eval 'screen_shows 10 "$the_findings" && said "icons/example.png: the saver cannot show this picture"'
cp "$work/sprite.png" "$work/Flowers/icons/example.png"
check "and saved whole again shows the folder" screen_shows 10 "$the_folder"

# Two pictures whose names differ only in case are one entry to the saver.
cp "$work/sprite.png" "$work/Flowers/icons/EXAMPLE.png"
check "pictures named alike but for case show the findings" \
  eval 'screen_shows 10 "$the_findings" && said "the archive already holds an entry of that name"'
rm "$work/Flowers/icons/EXAMPLE.png"

# A default the user may change, saved again, shows as well: what the ended
# saver stored for its user is forgotten before the next one starts.
sed -i 's/^BackgroundColor=.00000000/BackgroundColor=$0000FF00/; s/^showBackground=true/showBackground=false/' \
  "$work/Flowers/settings.txt"
check "a default the user may change shows once saved again" screen_shows 10 "$mostly_green"

check "a routine note is said once, not again at every save" \
  test "$(grep -c "note: settings.txt: converted from UTF-8" "$work/stderr")" -eq 1

# A click ends the saver, and with it the preview; its settings are its own.
# (The saver restarted on the saved folder: its window again, then the click;
# a loaded machine may take seconds for either.)
timeout 30 xdotool search --sync --name '^Flowers \(preview\)$' >/dev/null
xdotool mousemove 500 400 click 1
for ((i = 0; i < 200; i++)); do kill -0 "$preview_pid" 2>/dev/null || break; sleep 0.1; done
status=99  # still running: ended below, and the check fails
kill -0 "$preview_pid" 2>/dev/null && kill "$preview_pid" || { wait "$preview_pid"; status=$?; }
preview_pid=
check "a click ends it as it ends the saver, its scratch folder gone" \
  eval '[[ $status -eq 0 && -f $XDG_CONFIG_HOME/ris-saver/Flowers-preview.reg && ! -e $XDG_CONFIG_HOME/ris-saver/Flowers.reg &&
          -z $(ls -A "$work/tmp") ]]'
finish
