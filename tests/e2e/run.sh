#!/usr/bin/env bash
# The Windows build end to end under Wine: the saver runs on a virtual X
# screen in a fresh Wine prefix and is used the way the system and a person
# use it: started with its mode switches by a driver program that watches its
# windows and dialogs, keys and mouse sent through the X server with xdotool,
# the screen read back with ImageMagick, its settings with Wine's reg.
#   tests/e2e/run.sh BUILD_DIR
# BUILD_DIR (the windows preset's tree) holds Demo.scr and Demo.dat, and
# tests/e2e/e2e_driver.exe and tests/e2e/password.cpl.
# Needs Xvfb, wine (64-bit), xdotool and ImageMagick.
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: tests/e2e/run.sh BUILD_DIR}" && pwd) || exit 2
source "$here/../ris/harness.sh" "$build/Demo.scr"

xvfb_pid=
watch_pid=
holder_pid=
cleanup() {
  # Ends every program of this prefix only, then the X server this script
  # started, by its process id.
  [[ -n ${WINEPREFIX:-} && -d $WINEPREFIX ]] && timeout 20 wineserver -k >/dev/null 2>&1
  [[ -n $watch_pid ]] && kill "$watch_pid" 2>/dev/null
  [[ -n $holder_pid ]] && kill "$holder_pid" 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

started=$SECONDS
# One screen size for every case: the expected sizes below follow from it.
screen_w=1024
screen_h=768

# ---------------------------------------------------------------- set-up

setup_failed() {
  echo "FAIL $1"
  sed 's/^/     | /' "$work/setup.log" 2>/dev/null | tail -20
  failures=$((failures + 1))
  finish
  exit 1
}

for artefact in Demo.scr Demo.dat; do
  [[ -f $build/$artefact ]] || { : >"$work/setup.log"; setup_failed "$artefact in $build"; }
done

# The driver and the password check are built by the windows preset beside
# the saver.
driver_exe=$build/tests/e2e/e2e_driver.exe
password_cpl=$build/tests/e2e/password.cpl
for artefact in "$driver_exe" "$password_cpl"; do
  [[ -f $artefact ]] || { echo "build the windows preset first" >"$work/setup.log"; setup_failed "$artefact"; }
done

# Xvfb picks a free display itself and names it on descriptor 5 once it
# accepts clients. -noreset keeps its state (Num Lock) between clients.
Xvfb -displayfd 5 -screen 0 "${screen_w}x${screen_h}x24" -nolisten tcp -noreset \
  5>"$work/display" 2>"$work/setup.log" &
xvfb_pid=$!
for ((i = 0; i < 100; i++)); do
  [[ -s $work/display ]] && break
  sleep 0.1
done
[[ -s $work/display ]] || setup_failed "Xvfb start"
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY

export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
# A server that stays up between programs makes each start quick.
wineserver -p
timeout 180 wineboot -i >"$work/setup.log" 2>&1 || setup_failed "wine prefix"
# No window manager runs on this X server, and Wine, when it hides a window
# it let a window manager manage (a full-screen one among them), waits two
# seconds for the manager to withdraw it: a saver would seem to go on for two
# seconds after it closed. Unmanaged windows are hidden at once.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 ||
  setup_failed "Wine X11 settings"

folder="$WINEPREFIX/drive_c/e2e"
mkdir -p "$folder/nodata" "$folder/renamed"
cp "$build/Demo.scr" "$build/Demo.dat" "$folder/"
cp "$driver_exe" "$folder/e2e_driver.exe"
cp "$build/Demo.scr" "$folder/nodata/Demo.scr"
# The archive's password follows from the executable's name: renamed, the
# same archive no longer opens.
cp "$build/Demo.scr" "$folder/renamed/Other.scr"
cp "$build/Demo.dat" "$folder/renamed/Other.dat"
driver='C:\e2e\e2e_driver.exe'
saver='C:\e2e\Demo.scr'
settings_key='HKCU\Software\Bouncing Pictures Demo'

# One desktop for the whole run (see the driver's hold).
: >"$work/hold.out"
timeout 600 wine "$driver" --timeout=590 hold >"$work/hold.out" 2>"$work/setup.log" &
holder_pid=$!
for ((i = 0; i < 150; i++)); do
  grep -q '^ready=1' "$work/hold.out" && break
  sleep 0.1
done
grep -q '^ready=1' "$work/hold.out" || setup_failed "Wine desktop"
echo "set-up: display $DISPLAY, Wine prefix ready after $((SECONDS - started)) s"

# ---------------------------------------------------------------- helpers

# drive NAME DRIVER_ARGUMENTS...: runs the driver to its end; its lines go to
# $work/NAME.out and are what a failure shows.
drive() {
  local name=$1
  shift
  timeout 90 wine "$driver" "$@" >"$work/$name.out" 2>"$work/$name.err"
  cat "$work/$name.out" "$work/$name.err" >"$work/stderr"
}
# value NAME KEY: the first value the driver printed for KEY.
value() { sed -n "s/^$2=//p" "$work/$1.out" | head -n1; }
is() { [[ $(value "$1" "$2") == "$3" ]]; }
# saw NAME KEY=VALUE...: the driver printed every one of the pairs.
saw() {
  local name=$1 pair
  shift
  for pair; do
    is "$name" "${pair%%=*}" "${pair#*=}" || return 1
  done
}
starts_with() { [[ $(value "$1" "$2") == "$3"* ]]; }
near() { local v; v=$(value "$1" "$2"); [[ -n $v ]] && ((v >= $3 - 1 && v <= $3 + 1)); }
below() { local v; v=$(value "$1" "$2"); [[ -n $v ]] && ((v < $3)); }

# launch NAME ARGUMENTS...: starts the saver with ARGUMENTS through the
# driver's watch, in the background, and waits until its window is up;
# $xwin is then its X window. The watch ends the saver after watch_timeout.
watch_timeout=25
launch() {
  watch_name=$1
  shift
  : >"$work/$watch_name.out"
  timeout $((watch_timeout + 20)) wine "$driver" --timeout="$watch_timeout" watch "$saver" "$@" \
    >"$work/$watch_name.out" 2>"$work/$watch_name.err" &
  watch_pid=$!
  local i
  for ((i = 0; i < 300; i++)); do
    if grep -q '^ready=1' "$work/$watch_name.out"; then
      xwin=$(value "$watch_name" xwindow)
      return 0
    fi
    kill -0 "$watch_pid" 2>/dev/null || break
    sleep 0.1
  done
  cat "$work/$watch_name.out" "$work/$watch_name.err" >"$work/stderr"
  return 1
}
finished() { grep -q '^exit=\|^timeout=' "$work/$watch_name.out"; }
running() { ! finished && kill -0 "$watch_pid" 2>/dev/null; }
# ends_with CODE: the launched saver ends within 10 s, with exit code CODE.
ends_with() {
  local i
  for ((i = 0; i < 100; i++)); do
    finished && break
    sleep 0.1
  done
  cat "$work/$watch_name.out" "$work/$watch_name.err" >"$work/stderr"
  is "$watch_name" exit "$1"
}
# Linux process ids of the saver in this prefix.
saver_pids() {
  local stat pid
  for stat in /proc/[0-9]*/stat; do
    pid=${stat#/proc/}
    pid=${pid%/stat}
    [[ $(cut -d' ' -f2 "$stat" 2>/dev/null) == "(Demo.scr)" ]] || continue
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
      echo "$pid"
  done
}
# done_with_saver: whatever a case left running ends now, so the next case
# starts alone (a saver still up would hold the single-instance mutex).
done_with_saver() {
  local pid
  if [[ -n $watch_pid ]]; then
    for pid in $(saver_pids); do kill "$pid" 2>/dev/null; done
    wait "$watch_pid" 2>/dev/null
  fi
  watch_pid=
}
focus() { timeout 5 xdotool windowfocus --sync "$xwin" >/dev/null 2>&1; }
press() { focus && timeout 10 xdotool key --delay 80 "$@"; }
# The pointer starts each case at the centre, where Wine also believes it is
# before it has seen the pointer move.
centre_x=$((screen_w / 2))
centre_y=$((screen_h / 2))
pointer_home() { xdotool mousemove "$centre_x" "$centre_y"; }

shot() { import -window root "$work/$1.png"; }
# pixels_like FILE CROP COLOUR: how many pixels of the crop are within a few
# per cent of COLOUR.
pixels_like() {
  convert "$1" -crop "$2" +repage -fuzz "${4:-8}%" -fill black +opaque "$3" -fill white \
    -opaque "$3" -colorspace gray -format '%[fx:int(mean*w*h+0.5)]' info:
}
differing() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1; }
more_than() { [[ -n $1 ]] && (($1 > $2)); }
reg_dword() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk '/REG_DWORD/ { print $NF }'
}
clock_crop="240x56+$((screen_w - 240))+0"
name_crop="200x32+0+0"

# ---------------------------------------------------------------- input path

# The keypad sends digits only with Num Lock on, and Num Lock is itself a
# key the saver would end on: it is set before any saver runs. Wine brings
# its desktop's Num Lock state in line with the X server's by sending the
# window that next gets a key a Num Lock press of its own, so a window of the
# driver's takes that press first; a second one then shows that the X keys
# arrive as the keys meant, and nothing else.
xdotool key Num_Lock
probe_keys() {
  : >"$work/keys.out"
  timeout 30 wine "$driver" --timeout=15 keys >"$work/keys.out" 2>"$work/keys.err" &
  watch_pid=$!
  local i
  for ((i = 0; i < 150; i++)); do
    grep -q '^ready=1' "$work/keys.out" && break
    sleep 0.1
  done
  xwin=$(value keys xwindow)
  press Up KP_Begin Escape
  wait "$watch_pid"
  watch_pid=
  cat "$work/keys.out" "$work/keys.err" >"$work/stderr"
}
probe_keys
if grep -qx 'vk=12' "$work/keys.out"; then
  # Keypad 5 came as Clear: Num Lock was on before; turn it back on.
  xdotool key Num_Lock
  probe_keys
fi
probe_keys
keys_sent() { [[ $(sed -n 's/^vk=//p' "$work/keys.out" | tr '\n' ' ') == "38 101 27 " ]]; }
check "keys reach Windows programs (Up, keypad 5, Escape)" keys_sent

# ---------------------------------------------------------------- saver mode

wine reg delete "$settings_key" /f >/dev/null 2>&1
pointer_home
if launch saver /s; then
  check "saver window covers the screen" \
    saw saver left=0 top=0 width=$screen_w height=$screen_h
  check "saver window is borderless and topmost" saw saver popup=1 caption=0 border=0 topmost=1
  # The screen checks name their figures; nothing else to show on failure.
  : >"$work/stderr"
  sleep 2
  shot draw-a
  sleep 1
  shot draw-b
  cp "$work/draw-a.png" "$build/e2e-saver.png"
  colours=$(convert "$work/draw-a.png" -format %k info:)
  changed=$(differing "$work/draw-a.png" "$work/draw-b.png")
  echo "     screen: $colours colours, $changed pixels changed in 1 s"
  check "saver draws a picture ($colours colours)" more_than "$colours" 50
  check "saver animates ($changed pixels changed in 1 s)" more_than "$changed" 2000
  clock_now=$(pixels_like "$work/draw-a.png" "$clock_crop" white)
  check "clock at the top right ($clock_now white pixels)" more_than "$clock_now" 300
  set_name=$(pixels_like "$work/draw-a.png" "$name_crop" yellow 12)
  check "set name at the top left ($set_name yellow pixels)" more_than "$set_name" 40

  # Keypad 5 steps the clock: current time, running time, none.
  press KP_Begin
  sleep 0.6
  shot clock-running
  press KP_Begin
  sleep 0.6
  # A moving picture with white in it may pass under the clock: of a few
  # screenshots, the one with the fewest white pixels counts.
  none_white=
  for _ in 1 2 3; do
    shot clock-none
    white=$(pixels_like "$work/clock-none.png" "$clock_crop" white)
    [[ -z $none_white || $white -lt $none_white ]] && none_white=$white
    sleep 0.3
  done
  running_white=$(pixels_like "$work/clock-running.png" "$clock_crop" white)
  convert "$work/draw-a.png" -crop "$clock_crop" +repage "$work/clock-time-crop.png"
  convert "$work/clock-running.png" -crop "$clock_crop" +repage "$work/clock-running-crop.png"
  clock_changed=$(differing "$work/clock-time-crop.png" "$work/clock-running-crop.png")
  echo "     clock white pixels: time $clock_now, running time $running_white, none $none_white"
  clock_replaced() { more_than "$clock_changed" 50 && more_than "$running_white" 300; }
  check "keypad 5: running time replaces the time" clock_replaced
  check "keypad 5 twice: no clock" more_than $((clock_now / 3)) "$none_white"
  press Up Up Up Up Up Escape
  check "Escape ends the saver with 0" ends_with 0
  speed=$(reg_dword "$settings_key" "bounce Speed")
  check "Up five times from 2 stores Speed 7 (stored: ${speed:-none})" [ "$speed" = 0x7 ]
else
  fail "saver window"
fi
done_with_saver

pointer_home
if launch unlisted-key /s; then
  sleep 0.5
  press a
  check "an unlisted key ends the saver" ends_with 0
else
  fail "unlisted key: saver window"
fi
done_with_saver

# ---------------------------------------------------------------- mouse

pointer_home
if launch click /s; then
  sleep 0.5
  xdotool click 1
  check "a click ends the saver" ends_with 0
else
  fail "click: saver window"
fi
done_with_saver

# The first position the saver hears of is its reference; whether that is
# the centre (Wine's move at window creation) or the first real move, the
# moves below give the same answers.
pointer_home
if launch mouse /s; then
  sleep 0.5
  xdotool mousemove $((centre_x + 10)) "$centre_y"
  sleep 1
  check "moving along one axis keeps the saver" running
  xdotool mousemove $((centre_x + 2)) $((centre_y + 2))
  sleep 1
  check "moving 2 px on both axes keeps the saver" running
  if running; then
    xdotool mousemove $((centre_x + 3)) $((centre_y + 3))
    check "moving 3 px on both axes ends the saver" ends_with 0
  else
    fail "moving 3 px on both axes ends the saver: it had ended before"
  fi
else
  fail "mouse: saver window"
fi
done_with_saver
pointer_home

# ---------------------------------------------------------------- password

cp "$password_cpl" "$WINEPREFIX/drive_c/windows/system32/password.cpl"
wine reg delete 'HKCU\Software\RisE2E' /f >/dev/null 2>&1
wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /t REG_SZ /d 1 /f >/dev/null
if launch password /s; then
  sleep 0.5
  press Escape
  sleep 1.5
  check "a refused password keeps the saver" running
  if running; then
    press Escape
    check "an accepted password ends the saver" ends_with 0
  else
    fail "an accepted password ends the saver: it had ended before"
  fi
  calls=$(reg_dword 'HKCU\Software\RisE2E' "verify calls")
  check "the password check was asked twice (${calls:-never})" [ "$calls" = 0x2 ]
  window_ok=$(reg_dword 'HKCU\Software\RisE2E' "verify window ok")
  check "the password check is handed the saver's window" [ "$window_ok" = 0x1 ]
else
  fail "password: saver window"
fi
done_with_saver

# ends_after_one_escape NAME WHAT CALLS: a saver that one Escape ends with 0,
# after CALLS calls of the password check ("" for none).
ends_after_one_escape() {
  local name=$1 what=$2 calls=$3
  if launch "$name" /s; then
    sleep 0.5
    press Escape
    ended_after_calls() { ends_with 0 && [[ $(reg_dword 'HKCU\Software\RisE2E' "verify calls") == "$calls" ]]; }
    check "$what" ended_after_calls
  else
    fail "$what: saver window"
  fi
  done_with_saver
}

# The setting as a number, and a check that accepts at once.
wine reg delete 'HKCU\Software\RisE2E' /f >/dev/null 2>&1
wine reg add 'HKCU\Software\RisE2E' /v refusals /t REG_DWORD /d 0 /f >/dev/null
wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /t REG_DWORD /d 1 /f >/dev/null
ends_after_one_escape password-number "password setting as a number: asked, accepted, ended" 0x1

# A check that fails inside the library counts as passed; the saver survives it.
wine reg delete 'HKCU\Software\RisE2E' /f >/dev/null 2>&1
wine reg add 'HKCU\Software\RisE2E' /v crash /t REG_DWORD /d 1 /f >/dev/null
ends_after_one_escape password-crash "a check that crashes counts as passed, exit 0" 0x1

# Switched off again: no call at all.
wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /t REG_SZ /d 0 /f >/dev/null
wine reg delete 'HKCU\Software\RisE2E' /f >/dev/null 2>&1
ends_after_one_escape password-off "password off: no check, the saver ends" ""
wine reg delete 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /f >/dev/null 2>&1
rm -f "$WINEPREFIX/drive_c/windows/system32/password.cpl"

# ---------------------------------------------------------------- preview

# What the preview draws is not looked at: Wine shows nothing that a process
# draws into a window whose top-level window is another process's.
preview_height=$(((152 * screen_h + screen_w / 2) / screen_w))
drive preview --timeout=20 preview "$saver"
check "preview: a child window of the host" saw preview child_found=1 child=1 parent_is_host=1
check "preview: disabled, so the host keeps the input" saw preview disabled=1
check "preview: 152 px wide" saw preview width=152
check "preview: in the screen's proportions" near preview height "$preview_height"
check "preview: at the host's top left" saw preview offset_x=0 offset_y=0
check "preview: runs until its host goes" saw preview still_running=1
check "preview: ends with its host, exit 0" saw preview ended=1 exit=0

drive preview-colon --timeout=20 preview "$saver" --colon --settle=300
check "preview: /p:HWND form" saw preview-colon child_found=1 ended=1 exit=0

drive preview-no-host --timeout=10 run "$saver" /p 999999
check "preview without a host window: silently, with 0" saw preview-no-host exit=0 windows_seen=0
check "preview without a host window: at once" below preview-no-host elapsed_ms 5000

# ---------------------------------------------------------------- one instance

drive second --timeout=20 second "$saver" /s
check "second instance: ends at once with 0, shows nothing" \
  saw second first_window=1 second_ended=1 second_exit=0 second_windows_seen=0
check "second instance: the first goes on" is second first_running 1
check "a running saver closes on WM_CLOSE with 0" is second first_exit 0

drive second-configure --timeout=20 second "$saver" /c
check "second instance in configure mode: ends at once with 0, shows nothing" \
  saw second-configure first_window=1 second_ended=1 second_exit=0 second_windows_seen=0

# ---------------------------------------------------------------- failures

drive no-archive --timeout=20 dialog 'C:\e2e\nodata\Demo.scr' /s
check "missing archive: Error box" saw no-archive caption=Error
check "missing archive: its text" \
  starts_with no-archive text "No data file found or missing settings in data file."
check "missing archive: exit 1 after OK" saw no-archive pressed=1 exit=1

drive wrong-password --timeout=20 dialog 'C:\e2e\renamed\Other.scr' /s
check "renamed saver: Error box" saw wrong-password caption=Error
check "renamed saver: wrong password text" \
  starts_with wrong-password text "Corrupted data files detected [pwdata01]"
check "renamed saver: exit 2 after OK" saw wrong-password pressed=1 exit=2

drive change-password --timeout=20 dialog "$saver" /a
check "/a without a window: ScreenSaver box" \
  saw change-password caption=ScreenSaver "text='' is not a valid integer value"
check "/a without a window: exit 0 after OK" saw change-password pressed=1 exit=0

# ---------------------------------------------------------------- dialog

source "$here/dialog.sh"

# ---------------------------------------------------------------- setup program

source "$here/installer.sh"

# ---------------------------------------------------------------- CPU use

cpu_ticks() {
  local pid total=0
  for pid in $(saver_pids); do
    total=$((total + $(awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null || echo 0)))
  done
  echo "$total"
}
watch_timeout=40
pointer_home
if launch cpu /s; then
  sleep 2
  processes=$(saver_pids | wc -l)
  before=$(cpu_ticks)
  sleep 10
  after=$(cpu_ticks)
  percent=$(awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" \
    'BEGIN { printf "%.1f", t / hz / 10 * 100 }')
  echo "     CPU: $percent% of one core over 10 s (saver processes: $processes)"
  modest() { ((processes > 0)) && awk -v p="$percent" 'BEGIN { exit !(p < 50) }'; }
  check "CPU use below 50% of a core ($percent%)" modest
  press Escape
  ends_with 0 >/dev/null
else
  fail "CPU use: saver window"
fi
done_with_saver

echo "e2e: $((SECONDS - started)) s"
finish
