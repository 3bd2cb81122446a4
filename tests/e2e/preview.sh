# ris.exe preview end to end, sourced by run.sh after its set-up: a folder
# made by ris new shown by the engine in a window of its own, a settings text
# saved again shown within seconds where the window was left, a refused one
# shown as its findings in the window, the mouse free, Escape ending it with
# its settings kept apart from the product's.

flowers="$folder/Flowers"
cp "$build/ris.exe" "$folder/ris.exe"
"$host_ris" new "$flowers" --title Flowers >/dev/null 2>&1
timeout 120 wine "$folder/ris.exe" preview 'C:\e2e\Flowers' >"$work/preview.out" 2>"$work/preview.err" &
preview_pid=$!

# showing SECONDS CAPTION TEST [COLOUR]: within that time a visible window
# of that caption is up ($xwin) and the share of its pixels (per cent) near
# COLOUR (the green of the rewritten settings) passes TEST. The window is
# looked for afresh each time: ris.exe starts the saver anew on every
# change, and a new window is blank a moment before it is drawn.
showing() {
  local i shot=$work/preview.png area like
  for ((i = 0; i < $1 * 4; i++)); do
    xwin=$(xdotool search --onlyvisible --name "^$2\$" 2>/dev/null | head -n1)
    if [[ -n $xwin ]] && timeout 10 import -window "$xwin" "$shot" 2>/dev/null; then
      area=$(identify -format '%[fx:w*h]' "$shot")
      like=$(pixels_like "$shot" "$(identify -format '%wx%h+0+0' "$shot")" "${4:-#00FF00}" 15)
      awk -v n="$like" -v a="$area" "BEGIN { exit !(n * 100 / a $3) }" && return 0
    fi
    sleep 0.25
  done
  tr -d '\r' <"$work/preview.err" >"$work/stderr"
  return 1
}
not_full_screen() {
  eval "$(xdotool getwindowgeometry --shell "$xwin")"
  ((WIDTH > 200 && HEIGHT > 150 && WIDTH < screen_w && HEIGHT < screen_h))
}
place_of() { xdotool getwindowgeometry "$1" 2>/dev/null | sed -n 's/^ *\(Position\|Geometry\): \([0-9,x]*\).*/\2/p' | tr '\n' ' '; }
preview_said() { tr -d '\r' <"$work/preview.err" >"$work/stderr" && grep -qF "$1" "$work/stderr"; }
rewrite() { sed -i "$1" "$flowers/settings.txt"; }

if showing 30 'Flowers \(preview\)' '< 5'; then
  check "ris.exe preview: a window captioned with the preview's title, not full screen" not_full_screen

  # Moved with the keyboard through its system menu, the window comes back
  # where it was left when the saver is started again.
  started_at=$(place_of "$xwin")
  focus && xdotool key alt+space sleep 0.5 key m sleep 0.3 key --repeat 10 Right Down sleep 0.1 key Return
  left_at=$(place_of "$xwin")
  rewrite 's/^BackgroundColor=.00000000/BackgroundColor=$0000FF00/; s/^showBackground=true/showBackground=false/'
  check "a settings text saved again shows within seconds, where the window was left" eval \
    'showing 8 "Flowers \(preview\)" "> 50" && [[ $left_at != "$started_at" && $(place_of "$xwin") == "$left_at" ]]'

  rewrite 's/^nrImages=10/nrImages=many/'
  # Drawn: an error's line of text in red.
  check "a refused settings text shows its findings in the window, ris.exe running on" eval \
    'showing 8 "ris preview" "> 0.05" "#FF6060" && kill -0 $preview_pid && preview_said "'"'many'"' is not a whole number"'

  rewrite 's/^nrImages=many/nrImages=3/'
  check "saved right again, the folder shows again" showing 8 'Flowers \(preview\)' '> 50'
  xdotool mousemove --window "$xwin" 40 40 sleep 0.3 mousemove --window "$xwin" 200 150 click 1 sleep 0.5
  check "moving and clicking the mouse in the window leaves it open" \
    eval 'kill -0 $preview_pid && [[ -n $(xdotool search --onlyvisible --name "^Flowers \(preview\)\$") ]]'
  press Escape
else
  fail "ris.exe preview: its window"
fi
for ((i = 0; i < 100; i++)); do kill -0 "$preview_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$preview_pid" 2>/dev/null; then
  kill "$preview_pid" 2>/dev/null
  fail "Escape ends the preview and ris.exe with it"
else
  wait "$preview_pid"
  preview_status=$?
  check "Escape ends the preview and ris.exe with 0, its settings apart from the product's" \
    eval '((preview_status == 0)) && wine reg query "HKCU\\Software\\Flowers (preview)" >/dev/null 2>&1 &&
          ! wine reg query "HKCU\\Software\\Flowers" >/dev/null 2>&1'
fi
preview_pid=
