#!/usr/bin/env bash
# The Linux saver end to end on a virtual X screen: the demo product's
# program (ris-saver under the product's name, its archive beside it) in a
# window of its own driven with xdotool, and as a hack that a real
# XScreenSaver daemon runs for an unprivileged user.
#   tests/e2e/x11.sh RIS_SAVER DEMO.dat X11_FLOOD
# Needs Xvfb, xdotool, xprop, ImageMagick and xscreensaver; run as root (it
# makes the daemon's user).
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../ris/harness.sh" "$1"
demo_archive=$(realpath "$2")
flood=$(realpath "$3")
title="Bouncing Pictures Demo"

daemon_user=ris-saver-test
xvfb_pid=
program_pid=
flood_pid=
cleanup() {
  [[ -n $flood_pid ]] && kill "$flood_pid" 2>/dev/null
  [[ -n $program_pid ]] && kill "$program_pid" 2>/dev/null
  pkill -u "$daemon_user" 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The product as it is installed: the engine under the product's name, with
# its archive, readable by the daemon's user.
chmod 755 "$work"
mkdir -p "$work/bin"
cp "$ris" "$work/bin/demo"
cp "$demo_archive" "$work/bin/demo.dat"
chmod -R a+rX "$work/bin"

# The X server's access control is off: the daemon runs as another user.
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -ac 5>"$work/display" 2>/dev/null &
xvfb_pid=$!
for ((i = 0; i < 100; i++)); do [[ -s $work/display ]] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"

colours() { convert "$1" -format %k info:; }
shot() { timeout 20 import -window root "$work/$1.png"; }
more_than() { [[ -n $1 ]] && (($1 > $2)); }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
# ended PID: the process is gone within 10 s.
ended() {
  for ((i = 0; i < 100; i++)); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}

# ---------------------------------------------------------------- standalone

export XDG_CONFIG_HOME="$work/config"
"$work/bin/demo" >"$work/stderr" 2>&1 &
program_pid=$!
window=$(timeout 30 xdotool search --sync --name "^$title\$" | head -n1)
check "a window of its own, named by the product's title" [ -n "$window" ]
cat >"$work/identity" <<EOF
WM_NAME(UTF8_STRING) = "$title"
_NET_WM_NAME(UTF8_STRING) = "$title"
WM_CLASS(STRING) = "demo", "ris-saver"
_NET_WM_PID(CARDINAL) = $program_pid
WM_CLIENT_MACHINE(STRING) = "$(uname -n)"
EOF
check "known to window managers by its title, class and process" diff "$work/identity" \
  <(xprop -id "$window" WM_NAME _NET_WM_NAME WM_CLASS _NET_WM_PID WM_CLIENT_MACHINE)
sleep 3
shot standalone
frame_colours=$(colours "$work/standalone.png")
check "the product's frame ($frame_colours colours)" more_than "$frame_colours" 50
before=$(cpu_ticks "$program_pid")
sleep 10
after=$(cpu_ticks "$program_pid")
percent=$(awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.1f", t / hz / 10 * 100 }')
echo "     CPU: $percent% of one core over 10 s at 1024x768"
check "it sleeps between frames ($percent% of a core)" awk -v p="$percent" 'BEGIN { exit !(p < 50) }'
# Where the clock's white text ends, in the right half of the top band of a
# window WIDTH wide at the screen's left edge: clock_right SHOT WIDTH.
clock_right() {
  local half=$(($2 / 2)) box
  box=$(convert "$work/$1.png" -crop "${half}x56+${half}+0" +repage -fuzz 8% -fill black +opaque white \
    -format '%@' info:)
  [[ $box =~ ^([0-9]+)x[0-9]+\+([0-9]+) ]] && echo $((half + BASH_REMATCH[2] + BASH_REMATCH[1]))
}
clock_moved() { [[ -n $edge_before && -n $edge_after ]] && ((edge_before - edge_after >= 22 && edge_before - edge_after <= 26)); }
edge_before=$(clock_right standalone 1024)
xdotool windowsize --sync "$window" 1000 768
# The background is scaled anew for the new size first, slowly in a
# sanitized build: up to 10 s.
for ((i = 0; i < 20; i++)); do
  sleep 0.5
  shot resized
  edge_after=$(clock_right resized 1000)
  clock_moved && break
done
check "resized to 1000 wide, the clock keeps its margin ($edge_before -> $edge_after)" clock_moved
xdotool windowfocus --sync "$window" 2>/dev/null
xdotool key --delay 100 Up Up Up Escape
check "Escape ends it" ended "$program_pid"
wait "$program_pid"
check "with exit code 0" [ $? -eq 0 ]
program_pid=
check "the keys' speed is kept (2 + 3)" \
  grep -qi '"bounce Speed"=dword:00000005' "$work/config/ris-saver/demo.reg"

"$work/bin/demo" >"$work/stderr" 2>&1 &
program_pid=$!
"$flood" "$(timeout 30 xdotool search --sync --pid "$program_pid" | head -n1)" >"$work/flooding" 2>/dev/null &
flood_pid=$!
for ((i = 0; i < 100; i++)); do [[ -s $work/flooding ]] && break; sleep 0.1; done
kill -TERM "$program_pid"
check "SIGTERM ends it however many X events arrive" ended "$program_pid"
kill "$flood_pid" 2>/dev/null; flood_pid=
wait "$program_pid"
check "with exit code 0" [ $? -eq 0 ]
program_pid=

"$work/bin/demo" --window-id 0x3fffff0 >"$work/stderr" 2>&1
status=$?
check "a window id that names no window is told as such" eval 'exited 1 && said "there is no window 0x3fffff0"'

"$work/bin/demo" --speed 9 --no-bounce --window-id 0 --xml >"$work/demo.xml" 2>"$work/stderr"
check "its description for XScreenSaver" grep -q '<screensaver name="demo" _label="Bouncing Pictures Demo">' \
  "$work/demo.xml"

# ---------------------------------------------------------------- daemon

id "$daemon_user" >/dev/null 2>&1 || useradd --create-home "$daemon_user"
home=$(getent passwd "$daemon_user" | cut -d: -f6)
rm -rf "$home/.config/ris-saver"
printf '%s\n' 'timeout: 0:30:00' 'lock: False' 'splash: False' 'mode: one' 'selected: 0' \
  "programs: \"Demo\" $work/bin/demo --root" >"$home/.xscreensaver"
chown "$daemon_user" "$home/.xscreensaver"
as_user() { su "$daemon_user" -s /bin/sh -c "DISPLAY=$DISPLAY HOME=$home $*"; }
as_user "xscreensaver -no-splash >/dev/null 2>&1 &"
for ((i = 0; i < 100; i++)); do as_user "xscreensaver-command -version" >/dev/null 2>&1 && break; sleep 0.1; done
as_user "xscreensaver-command -activate" >"$work/stderr" 2>&1
hack=
for ((i = 0; i < 100; i++)); do
  hack=$(pgrep -u "$daemon_user" -f "$work/bin/demo" | head -n1)
  [[ -n $hack ]] && break
  sleep 0.1
done
check "the daemon runs the product" [ -n "$hack" ]
sleep 4
shot daemon
cp "$work/daemon.png" "$here/../../build/x11-daemon.png" 2>/dev/null
daemon_colours=$(colours "$work/daemon.png")
check "its frame on the screen ($daemon_colours colours)" more_than "$daemon_colours" 50
clock_white=$(convert "$work/daemon.png" -crop 240x56+784+0 +repage -fuzz 8% -fill black +opaque white \
  -fill white -opaque white -colorspace gray -format '%[fx:int(mean*w*h+0.5)]' info:)
check "with its clock ($clock_white white pixels)" more_than "$clock_white" 300
check "the daemon's window keeps its own name" eval '! xdotool search --name "$title" >/dev/null'
as_user "xscreensaver-command -deactivate" >"$work/stderr" 2>&1
check "-deactivate stops it" ended "${hack:-0}"

finish
