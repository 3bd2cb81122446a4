# The configuration dialog end to end, sourced by run.sh after its set-up:
# the real Demo.scr in configure mode, its native controls found and used
# from outside by the driver, what it stores read back with Wine's reg.

# configure NAME ARGUMENTS... -- ACTIONS...: runs the driver's configure
# command to its end (see the driver for the actions).
configure() {
  local name=$1
  shift
  drive "$name" --timeout=40 configure "$saver" "$@"
}
# control NAME CLASS|TEXT: the driver's line for that control, as
# visible|left,top,width,height.
control() { sed -n "s/^control=$2|//p" "$work/$1.out" | head -n1; }
reg_text() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_SZ *//p"
}
# Every shown control lies inside the client area.
unclipped() {
  local name=$1 width height line rect
  width=$(value "$name" client_width)
  height=$(value "$name" client_height)
  while IFS= read -r line; do
    [[ ${line%|*} == *"|1" ]] || continue
    IFS=, read -r left top w h <<<"${line##*|}"
    ((left >= 0 && top >= 0 && left + w <= width && top + h <= height)) || return 1
  done < <(sed -n 's/^control=//p' "$work/$name.out")
}

wine reg delete "$settings_key" /f >/dev/null 2>&1

# What it shows, and a screenshot while it is open.
: >"$work/dialog-look.out"
timeout 60 wine "$driver" --timeout=40 configure "$saver" /c -- describe wait=2500 cancel \
  >"$work/dialog-look.out" 2>"$work/dialog-look.err" &
look_pid=$!
wait_printed "$work/dialog-look.out" '^ready=1' 200
sleep 1
shot dialog
wait "$look_pid"
cat "$work/dialog-look.out" "$work/dialog-look.err" >"$work/stderr"
caption_box=$(convert "$work/dialog.png" -trim -format '%wx%h%O' info:)
convert "$work/dialog.png" -trim +repage "$build/e2e-dialog.png"
check "/c: the product's caption" is dialog-look dialog_caption "Configure Bouncing Pictures Demo"
check "/c: captions from the archive" \
  grep -q '^control=Button|Pictures bounce off each other|1|' "$work/dialog-look.out"
check "/c: 470 pixels wide at 96 dpi" is dialog-look client_width 470
check "a row without its flag is hidden (the more-information link)" \
  grep -q '^control=Static|www.example.com|0|' "$work/dialog-look.out"
copyright=$(control dialog-look 'Static|(c) 2026 The Demo Makers')
IFS=, read -r _ copyright_top _ copyright_height <<<"${copyright#*|}"
check "client height ends with the copyright line ($caption_box on screen)" \
  is dialog-look client_height $((copyright_top + copyright_height))
check "Cancel ends configure mode with 0" is dialog-look exit 0
check "OK at x 244, 81 x 28" grep -qE '^control=Button\|&OK\|1\|244,[0-9]+,81,28$' "$work/dialog-look.out"
check "Cancel at x 348, 81 x 28" grep -qE '^control=Button\|&Cancel\|1\|348,[0-9]+,81,28$' "$work/dialog-look.out"
version=$(control dialog-look 'Static|Version 1.0')
IFS=, read -r version_left version_top version_width _ <<<"${version#*|}"
check "the version's right edge at x 467, y 2" [ $((version_left + version_width)),$version_top = 467,2 ]
check "no taskbar button without a host window" is dialog-look taskbar_button 0

# OK stores what was changed: a number field, a check box, the set list,
# and the colour accepted in the system's chooser (it opens on black).
configure dialog-ok /c -- edit=0:5 'click=All pictures at the same speed' toggle=1 \
  'chooser=Background colour...:ok' ok
check "the colour chooser opens" is dialog-ok chooser_found 1
check "OK: speed stored" [ "$(reg_dword "$settings_key" "bounce Speed")" = 0x5 ]
check "OK: check box stored" [ "$(reg_dword "$settings_key" "bounce fixedSpeed")" = 0x1 ]
check "OK: set list stored" [ "$(reg_text "$settings_key" "sets selectedSets")" = "meadow;ocean;sunrise" ]
check "OK: accepted colour stored" [ "$(reg_dword "$settings_key" "General BackgroundColor")" = 0x0 ]

# Cancel writes back what was loaded, the chooser's colour included.
wine reg add "$settings_key" /v "General BackgroundColor" /t REG_DWORD /d 4096 /f >/dev/null 2>&1
configure dialog-cancel /c:host -- edit=0:3 'chooser=Background colour...:cancel' \
  'chooser=Background colour...:ok' cancel
check "Cancel: speed as loaded" [ "$(reg_dword "$settings_key" "bounce Speed")" = 0x5 ]
check "Cancel: colour as loaded" [ "$(reg_dword "$settings_key" "General BackgroundColor")" = 0x1000 ]
check "/c:HWND: the host is enabled again" is dialog-cancel host_enabled 1

configure dialog-bare -- cancel
check "no argument opens the dialog" saw dialog-bare dialog_found=1 exit=0
configure dialog-apart /c host -- cancel
check "/c HWND opens the dialog" saw dialog-apart dialog_found=1 exit=0 host_enabled=1

# At 144 dpi the dialog is laid out 1.5 times as large, nothing cut off.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
configure dialog-144 /c -- describe cancel
check "144 dpi: 705 pixels wide" is dialog-144 client_width 705
check "144 dpi: every control inside the client area" unclipped dialog-144
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
wine reg delete "$settings_key" /f >/dev/null 2>&1

# Real keys through the X server. keys_to_dialog NAME ACTIONS -- COMMAND...:
# opens the dialog with the driver's ACTIONS after a describe, runs COMMAND
# (keys and clicks on $xwin, the dialog's X window) once it is described,
# and waits for the saver to end.
keys_to_dialog() {
  local name=$1 actions=() i
  shift
  while [[ $1 != -- ]]; do
    actions+=("$1")
    shift
  done
  shift
  : >"$work/$name.out"
  timeout 60 wine "$driver" --timeout=30 configure "$saver" /c -- describe "${actions[@]}" \
    >"$work/$name.out" 2>"$work/$name.err" &
  local pid=$!
  for ((i = 0; i < 200; i++)); do
    grep -q '^described=1' "$work/$name.out" && break
    sleep 0.1
  done
  xwin=$(value "$name" xwindow)
  "$@"
  wait "$pid"
  cat "$work/$name.out" "$work/$name.err" >"$work/stderr"
}
show_background() { reg_dword "$settings_key" "General showBackground"; }
keys_to_dialog dialog-enter -- press alt+b Return
check "Alt+B checks off \"Show &background\", Enter is OK" [ "$(show_background)" = 0x0 ]
keys_to_dialog dialog-escape -- press alt+b Escape
check "Escape is Cancel" [ "$(show_background)" = 0x0 ]
keys_to_dialog dialog-alt-o -- press alt+b alt+o
check "Alt+O is OK" [ "$(show_background)" = 0x1 ]

# click_on NAME TEXT: clicks, with the mouse, the control showing TEXT in the
# dialog that NAME described.
click_on() {
  local rect origin left top width height
  rect=$(sed -n "s/^control=[A-Za-z]*|$2|1|//p" "$work/$1.out" | head -n1)
  origin=$(value "$1" client_origin)
  IFS=, read -r left top width height <<<"$rect"
  focus && xdotool mousemove --window "$xwin" $((${origin%,*} + left + width / 3)) \
    $((${origin#*,} + top + height / 2)) click 1 && sleep 0.3
}

# A value typed into a number field is brought into range when the field
# loses the focus: 99999 seconds show as 86400 once Tab leaves the field.
type_out_of_range() { click_on dialog-clamp 30 && press End BackSpace BackSpace 9 9 9 9 9 Tab; }
keys_to_dialog dialog-clamp wait=4000 describe cancel -- type_out_of_range
check "a number field clamps what was typed when it loses the focus" \
  grep -q '^control=Edit|86400|1|' "$work/dialog-clamp.out"

# Down on the last clock item comes round to the first, not to the font
# button after the group.
down_from_last() { click_on dialog-radio 'Running time' && press Down Return; }
keys_to_dialog dialog-radio -- down_from_last
check "the arrow keys stay inside a radio group" [ "$(reg_dword "$settings_key" "clocksettings clock")" = 0x0 ]
wine reg delete "$settings_key" /f >/dev/null 2>&1
