# The Wine end-to-end harness, sourced by run.sh: a virtual X screen, a fresh
# Wine prefix with the saver, its archive and the driver in it, the desktop
# held for the whole run, keys checked to arrive as meant, and the helpers
# every scenario file uses (drive, launch, press, shot, saw, reg_dword ...).

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
# An entry point may choose another before sourcing the harness.
screen_w=${screen_w:-1024}
screen_h=${screen_h:-768}

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

# The driver, the password check, the metafile writer and the saver with a
# fault in a timer handler are built by the windows preset beside the saver.
driver_exe=$build/tests/e2e/e2e_driver.exe
password_cpl=$build/tests/e2e/password.cpl
metafile_writer_exe=$build/tests/e2e/e2e_metafiles.exe
timer_fault_scr=$build/tests/e2e/timer_fault/TimerFault.scr
for artefact in "$driver_exe" "$password_cpl" "$metafile_writer_exe" "$timer_fault_scr"; do
  [[ -f $artefact ]] || { echo "build the windows preset first" >"$work/setup.log"; setup_failed "$artefact"; }
done
# The host build beside it: its ris packs products as a maker's machine does.
host=$(sed -n 's/^RIS_HOST_TOOLS_DIR:PATH=//p' "$build/CMakeCache.txt")
host_ris=$host/tools/ris/ris

if [[ -n ${second_side:-} ]]; then
  # Two monitors (run.sh sets second_side for the scenarios on them): Xorg's
  # dummy driver with two XRandR outputs, the primary at the screen size and
  # a second of second_w x second_h on that side of it. Xvfb would give Wine
  # one monitor. The first free display number from 80 on.
  second_w=800
  second_h=600
  two_monitors=${TWO_MONITORS_TOOL:-$here/../../../shared/tools/two-monitors.sh}
  for ((number = 80; number < 200; number++)); do
    [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]] || break
  done
  xvfb_pid=$("$two_monitors" "$number" "${screen_w}x${screen_h}" "${second_w}x${second_h}" "$second_side" \
    2>"$work/setup.log") || setup_failed "two monitors on Xorg ($two_monitors)"
  DISPLAY=":$number"
else
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
fi
export DISPLAY

export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
timeout 180 wineboot -i >"$work/setup.log" 2>&1 || setup_failed "wine prefix"
# wineboot may return while the programs that fill the new prefix still
# run; a program started then finds no system32 yet. The server ends once
# they have: wait for that, then keep one up between programs, which makes
# each start quick.
timeout 180 wineserver -w || setup_failed "wine prefix settling"
wineserver -p
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
settings_path=${settings_key#HKCU\\}

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
# wait_printed FILE PATTERN TENTHS: waits until a program started in the
# background has printed a line matching PATTERN into FILE, for at most
# TENTHS tenths of a second.
wait_printed() {
  local i
  for ((i = 0; i < $3; i++)); do
    grep -q "$2" "$1" && return 0
    sleep 0.1
  done
  return 1
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
# Linux process ids of the saver (or the Windows program NAME, up to 15
# characters) in this prefix.
saver_pids() {
  local stat pid
  for stat in /proc/[0-9]*/stat; do
    pid=${stat#/proc/}
    pid=${pid%/stat}
    [[ $(cut -d' ' -f2 "$stat" 2>/dev/null) == "(${1:-Demo.scr})" ]] || continue
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
# takes_keys: the launched saver's window is shown and has the keyboard,
# within 10 s (X refuses the focus to a window not yet shown); a key sent
# before would go nowhere.
takes_keys() {
  local deadline=$((SECONDS + 10))
  until focus; do
    ((SECONDS < deadline)) || return 1
    sleep 0.2
  done
}
press() { focus && timeout 10 xdotool key --delay 80 "$@"; }
# The pointer starts each case at the centre, where Wine also believes it is
# before it has seen the pointer move.
centre_x=$((screen_w / 2))
centre_y=$((screen_h / 2))
pointer_home() { xdotool mousemove "$centre_x" "$centre_y"; }

shot() { timeout 20 import -window root "$work/$1.png"; }

# plain_settings TITLE IMAGES: a product's settings text with no clock and no
# set name over the pictures and no set change while a set shows.
plain_settings() {
  printf '%s\r\n' '[general]' "title=$1" '[General]' 'BackgroundColor=$00000000' \
    'showBackground=true' '[bounce]' "nrImages=$2" 'Speed=2' 'bounceImages=true' \
    '[clocksettings]' 'clock=0' \
    "clockFont=object FontDialog1: TFontDialog;  Font.Height = -32;  Font.Name = 'Arial';end" \
    '[FilenameSettings]' 'filename=1' \
    "filenameFont=object FontDialog1: TFontDialog;  Font.Height = -21;  Font.Name = 'Arial';end" \
    '[sets]' 'SetTime=0' 'selectedSets=*all*' 'setSelectedSets=true' \
    '[backgrounds]' 'stretchSmallImages=true'
}
# pixels_like FILE CROP COLOUR: how many pixels of the crop are within a few
# per cent of COLOUR.
pixels_like() {
  convert "$1" -crop "$2" +repage -fuzz "${4:-8}%" -fill black +opaque "$3" -fill white \
    -opaque "$3" -colorspace gray -format '%[fx:int(mean*w*h+0.5)]' info:
}
differing() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1; }
more_than() { [[ -n $1 ]] && (($1 > $2)); }
# saver_cpu_percent SECONDS: the share of one core the saver's processes of
# this prefix took over that many seconds, as user and system time.
saver_cpu_percent() {
  local before after
  before=$(saver_cpu_ticks)
  sleep "$1"
  after=$(saver_cpu_ticks)
  awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$1" 'BEGIN { printf "%.1f", t / hz / s * 100 }'
}
saver_cpu_ticks() {
  local pid total=0
  for pid in $(saver_pids); do
    total=$((total + $(awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null || echo 0)))
  done
  echo "$total"
}
# below_percent VALUE LIMIT: a figure with a decimal point under the limit.
below_percent() { [[ -n $1 ]] && awk -v p="$1" -v limit="$2" 'BEGIN { exit !(p < limit) }'; }

# check_saver_cpu NAME LIMIT LABEL: the saver, started as NAME over the whole
# screen, settles for 2 s and then uses less than LIMIT percent of one core
# over 10 s; Escape ends it.
check_saver_cpu() {
  local name=$1 limit=$2 label=$3 processes percent
  watch_timeout=40
  pointer_home
  if ! launch "$name" /s; then
    fail "$label: saver window"
    return
  fi
  check "$label: the saver window covers the ${screen_w}x${screen_h} screen" \
    saw "$name" left=0 top=0 width=$screen_w height=$screen_h
  sleep 2
  processes=$(saver_pids | wc -l)
  percent=$(saver_cpu_percent 10)
  echo "     $label: $percent% of one core over 10 s (saver processes: $processes)"
  within_limit() { ((processes > 0)) && below_percent "$percent" "$limit"; }
  check "$label: CPU use below $limit% of a core ($percent%)" within_limit
  press Escape
  ends_with 0 >/dev/null
}
# reg_value KEY NAME: a value of any string type; it may hold blanks.
reg_value() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
# window_named REGEX: the X window of that name once it shows, within 15 s.
window_named() {
  local window i
  for ((i = 0; i < 150; i++)); do
    window=$(xdotool search --name "$1" 2>/dev/null | head -n1)
    [[ -n $window ]] && break
    sleep 0.1
  done
  echo "$window"
}
# uninstall_silently UNINSTALLER PATH: runs a setup's uninstaller with /S.
# It goes on from a copy of itself, so its end is seen in the files: PATH
# gone, within 20 s.
uninstall_silently() {
  local i
  timeout 60 wine "$1" /S >/dev/null 2>&1
  for ((i = 0; i < 100; i++)); do
    [[ -e $2 ]] || break
    sleep 0.2
  done
}
# password_answers [NAME=NUMBER...]: the stand-in password.cpl's answers
# afresh (see fake_password.cpp): "refusals", "hold ms", "crash"; it keeps
# what it saw there too ("verify calls", ...).
password_key='HKCU\Software\RisE2E'
password_answers() {
  wine reg delete "$password_key" /f >/dev/null 2>&1
  local pair
  for pair; do
    wine reg add "$password_key" /v "${pair%%=*}" /t REG_DWORD /d "${pair#*=}" /f >/dev/null
  done
}
# asked_once: the launched saver ends with 0 after one question of the password.
asked_once() { ends_with 0 && [[ $(reg_dword "$password_key" "verify calls") == 0x1 ]]; }
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
