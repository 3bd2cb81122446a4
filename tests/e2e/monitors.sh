# The saver on two monitors, sourced by run.sh after the harness, which runs
# it on Xorg's two monitors with the second one on the side second_side of
# the primary: the product's three choices of what the monitors show, each
# compared with what the host's ris renders headless for the same monitors,
# the password asked once, whichever monitor the mouse or a key is on, and
# the Linux saver on the root window of the same monitors.

# Where each monitor lies in the root window's screenshot, as WxH+X+Y (X
# puts the leftmost, topmost monitor at 0,0), and the second one's place
# and size in Windows' coordinates, where the primary's top-left corner is 0,0.
monitor_crop() { xrandr --listmonitors | awk -v name="$1" '$NF == name { gsub(/\/[0-9]+/, "", $3); print $3 }'; }
crop_x() { local rest=${1#*+}; echo "${rest%+*}"; }
crop_y() { echo "${1##*+}"; }
find_monitors() {
  primary_crop=$(monitor_crop DUMMY0)
  second_crop=$(monitor_crop DUMMY1)
  second_x=$(($(crop_x "$second_crop") - $(crop_x "$primary_crop")))
  second_y=$(($(crop_y "$second_crop") - $(crop_y "$primary_crop")))
  local size=${second_crop%%+*}
  second_w=${size%x*}
  second_h=${size#*x}
}
find_monitors
echo "     monitors: primary $primary_crop, second $second_crop (at $second_x,$second_y in Windows)"

# monitors_product NAME CHOICE [IMAGES]: the demo product with [display]
# monitors=CHOICE in C:\e2e\NAME, showing one set, with IMAGES moving
# pictures (1), no clock, no set name and no set change, so that the
# headless frame and the screen differ only where the pictures move.
monitors_product() {
  local product=$folder/$1
  rm -rf "$product"
  mkdir -p "$product"
  cp -r "$host/demo/content" "$product/content"
  printf '%s\r\n' '[bounce]' "nrImages=${3:-1}" '[clocksettings]' 'clock=0' '[FilenameSettings]' 'filename=1' \
    '[sets]' 'selectedSets=ocean' 'SetTime=0' '[display]' "monitors=$2" >>"$product/content/settings.txt"
  "$host_ris" pack "$product/content" "$product/Demo.dat" --saver Demo.scr >"$work/stdout" 2>"$work/stderr" &&
    cp "$build/Demo.scr" "$product/Demo.scr"
}

# shows_like NAME CHOICE: the screenshot NAME shows on each monitor what ris
# renders for the same monitors, but for a twentieth of the pixels (the
# moving picture, scaling told apart by a few per cent).
shows_like() {
  "$host_ris" render "$folder/monitors$2/Demo.dat" --saver Demo.scr --out "$work/$1-headless.png" --seconds 1 \
    --monitors "${screen_w}x${screen_h},${second_w}x${second_h}@${second_x},${second_y}" >"$work/stdout" \
    2>"$work/stderr" || return 1
  local crop differ
  # The headless desktop starts at the monitors' top-left corner, as X does.
  for crop in "$primary_crop" "$second_crop"; do
    convert "$work/$1.png" -crop "$crop" +repage "$work/$1-part.png"
    convert "$work/$1-headless.png" -crop "$crop" +repage "$work/$1-headless-part.png"
    differ=$(compare -metric AE -fuzz 12% "$work/$1-part.png" "$work/$1-headless-part.png" null: 2>&1 | cut -d' ' -f1)
    local size=${crop%%+*}
    echo "     $1 $crop: $differ pixels differ from the headless frame"
    more_than $((${size%x*} * ${size#*x} / 20)) "${differ:-999999999}" || return 1
  done
}

# until_like NAME CHOICE [COMMAND...]: runs COMMAND and screenshots NAME
# until it shows what ris renders (shows_like), for up to 10 s.
until_like() {
  local name=$1 choice=$2 deadline=$((SECONDS + 10))
  shift 2
  while ((SECONDS < deadline)); do
    "$@"
    shot "$name"
    shows_like "$name" "$choice" >"$work/like.out" && return 0
    sleep 0.3
  done
  cat "$work/like.out"
  cp "$work/$name.png" "$build/e2e-$name.png"  # what it showed instead
  return 1
}

# until_shows NAME CROP: screenshots NAME until the crop shows a picture (more
# than 50 colours), for up to 10 s.
until_shows() {
  local deadline=$((SECONDS + 10))
  while ((SECONDS < deadline)); do
    shot "$1"
    more_than "$(convert "$work/$1.png" -crop "$2" +repage -format %k info:)" 50 && return 0
    sleep 0.3
  done
  return 1
}
all_black() {
  local size=${2%%+*}
  [[ $(pixels_like "$work/$1.png" "$2" black 1) == $((${size%x*} * ${size#*x})) ]]
}

wine reg delete "$settings_key" /f >/dev/null 2>&1
for choice in 0 1 2; do
  monitors_product "monitors$choice" "$choice" || fail "monitors=$choice: ris packs the product"
done
saver_of_all=$saver

# ---------------------------------------------------------------- the primary alone

saver='C:\e2e\monitors0\Demo.scr'
pointer_home
if launch monitors0 /s && until_shows monitors0 "$primary_crop"; then
  check "monitors=0, second $second_side: the saver covers the primary" \
    saw monitors0 left=0 top=0 width=$screen_w height=$screen_h
  check "monitors=0, second $second_side: the second monitor is black" all_black monitors0 "$second_crop"
  check "monitors=0, second $second_side: the frame is the headless one" shows_like monitors0 0
  press Escape
  ends_with 0 >/dev/null
else
  fail "monitors=0, second $second_side: saver window"
fi
done_with_saver

# The password, asked once whichever monitor the input comes from: a mouse
# move on the second monitor, then while the question is held a click
# there; a key with the pointer on the second monitor.
cp "$password_cpl" "$WINEPREFIX/drive_c/windows/system32/password.cpl"
wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /t REG_SZ /d 1 /f >/dev/null
second_centre_x=$(($(crop_x "$second_crop") + second_w / 2))
second_centre_y=$(($(crop_y "$second_crop") + second_h / 2))
password_answers refusals=0 "hold ms=1500"
pointer_home
if launch password-mouse /s && until_shows password-mouse "$primary_crop"; then
  xdotool mousemove "$second_centre_x" "$second_centre_y"
  sleep 0.3
  xdotool mousemove $((second_centre_x + 20)) $((second_centre_y + 20)) click 1
  check "monitors=0, second $second_side: the mouse on the second monitor asks for the password once" asked_once
else
  fail "monitors=0, second $second_side: password by mouse: saver window"
fi
done_with_saver
password_answers refusals=0
# The pointer rests on the second monitor from the start, so the saver's
# window there (its black cover) is the one under it, and takes the key.
xdotool mousemove "$second_centre_x" "$second_centre_y"
if launch password-key /s && until_shows password-key "$primary_crop"; then
  cover=$(xdotool getmouselocation --shell | sed -n 's/^WINDOW=//p')
  timeout 5 xdotool windowfocus --sync "$cover" >/dev/null 2>&1
  timeout 10 xdotool key Escape
  check "monitors=0, second $second_side: a key on the second monitor asks for the password once" asked_once
else
  fail "monitors=0, second $second_side: password by key: saver window"
fi
done_with_saver
wine reg delete 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /f >/dev/null 2>&1
rm -f "$WINEPREFIX/drive_c/windows/system32/password.cpl"

# ---------------------------------------------------------------- every monitor, one across all

# moves_on NAME CROP: the crop changes between two screenshots a second apart.
moves_on() {
  shot "$1-later"
  convert "$work/$1.png" -crop "$2" +repage "$work/$1-a.png"
  convert "$work/$1-later.png" -crop "$2" +repage "$work/$1-b.png"
  more_than "$(differing "$work/$1-a.png" "$work/$1-b.png")" 200
}
for choice in 1 2; do
  what=$([[ $choice == 1 ]] && echo "a picture on each monitor" || echo "one picture across both")
  saver="C:\\e2e\\monitors$choice\\Demo.scr"
  pointer_home
  if launch "monitors$choice" /s && until_shows "monitors$choice" "$second_crop"; then
    check "monitors=$choice, second $second_side: $what, as rendered headless" shows_like "monitors$choice" "$choice"
    cp "$work/monitors$choice.png" "$build/e2e-monitors$choice-$second_side.png"
    sleep 1
    [[ $choice == 1 ]] && check "monitors=1, second $second_side: a moving picture on the second monitor" \
      moves_on monitors1 "$second_crop"
    press Escape
    check "monitors=$choice, second $second_side: Escape ends the saver" ends_with 0
  else
    fail "monitors=$choice, second $second_side: the second monitor shows a picture"
  fi
  done_with_saver
done

# ---------------------------------------------------------------- a monitor changes

# The second monitor becomes 640 x 480 while the saver runs and the windows
# are told (WM_DISPLAYCHANGE, which Wine does not send for a change XRandR
# makes from outside: the driver broadcasts it as Windows would): the
# picture there is fitted anew.
# second_mode WxH: the second monitor's size, right of the primary.
second_mode() {
  local mode="$1_60" w=${1%x*} h=${1#*x}
  xrandr --newmode "$mode" $(awk -v w="$w" -v h="$h" 'BEGIN { printf "%.2f %d %d %d %d %d %d %d %d", (w + 160) * (h + 30) * 60 / 1e6,
    w, w + 48, w + 80, w + 160, h, h + 3, h + 8, h + 30 }') +hsync -vsync 2>/dev/null
  xrandr --addmode DUMMY1 "$mode" 2>/dev/null
  xrandr --output DUMMY1 --mode "$mode" --right-of DUMMY0
  find_monitors
}
if [[ $second_side == right ]]; then
  saver='C:\e2e\monitors1\Demo.scr'
  pointer_home
  if launch monitors-change /s && until_shows monitors-change "$second_crop"; then
    second_mode 640x480
    # Told until Wine, which follows XRandR in a while, answers with the new size.
    check "monitors=1: a second monitor changed to 640x480 is fitted anew" \
      until_like monitors-changed 1 drive display-change displaychange
    press Escape
    ends_with 0 >/dev/null
  else
    fail "monitors=1: a monitor changes: saver window"
  fi
  done_with_saver
  second_mode 800x600
fi

# ---------------------------------------------------------------- the Linux saver

# The host's ris-saver on the root window, over the same products: the
# monitors XRandR tells show what the Windows saver shows.
for choice in 1 2; do
  xsetroot -solid black
  HOME=$work/linux-home timeout 30 "$host/src/ris-saver" --root --archive "$folder/monitors$choice/Demo.dat" \
    >"$work/linux.out" 2>&1 &
  linux_pid=$!
  if until_shows "root$choice" "$second_crop"; then
    check "ris-saver --root, monitors=$choice, second $second_side: as rendered headless" shows_like "root$choice" "$choice"
    if [[ $second_side == right && $choice == 1 ]]; then
      # The root window follows XRandR's monitors: a new size places the scenes anew.
      second_mode 640x480
      check "ris-saver --root, monitors=1: a second monitor changed to 640x480 is fitted anew" \
        until_like root-changed 1
      second_mode 800x600
    fi
  else
    fail "ris-saver --root, monitors=$choice, second $second_side: the second monitor shows a picture"
  fi
  kill "$linux_pid" 2>/dev/null
  wait "$linux_pid" 2>/dev/null
done

# ---------------------------------------------------------------- processor time

# The demo's twelve moving pictures on the primary monitor alone, then on
# each of the two: the processor time the saver's threads had in 10 s, from
# the scheduler's count in nanoseconds (the tick count's 10 ms would not
# tell them apart).
saver_cpu_ns() {
  local pid task total=0
  for pid in $(saver_pids); do
    for task in /proc/"$pid"/task/*/schedstat; do
      total=$((total + $(cut -d' ' -f1 "$task" 2>/dev/null || echo 0)))
    done
  done
  echo "$total"
}
if [[ $second_side == right ]]; then
  cpu_of() {
    monitors_product "cpu$1" "$1" 12 || return 1
    saver="C:\\e2e\\cpu$1\\Demo.scr"
    pointer_home
    launch "cpu$1" /s && until_shows "cpu$1" "$primary_crop" || return 1
    local before
    before=$(saver_cpu_ns)
    sleep 10
    echo $((($(saver_cpu_ns) - before) / 1000000))
    press Escape
    ends_with 0 >/dev/null
  }
  watch_timeout=40
  one=$(cpu_of 0)
  done_with_saver
  both=$(cpu_of 1)
  done_with_saver
  echo "     processor time in 10 s, 12 moving pictures: ${one:-?} ms on one monitor, ${both:-?} ms on two"
  under_twice() { [[ -n $one && -n $both ]] && ((one > 0 && both < 2 * one)); }
  check "every monitor: the saver's processor time on two monitors under twice that on one" under_twice
fi
saver=$saver_of_all
