# ris.exe preview and the system around it, sourced by run.sh after its
# set-up: another program's registry key left alone whatever the title,
# ris.exe and the temporary folder under a user name beyond ASCII, the
# scratch folder gone once the preview ends, and the saver ended with
# ris.exe when ris.exe is killed; and a program ris.exe starts given its
# standard handles and no other.

# ris.exe with the engine beside it, and a temporary folder, under a user
# name beyond ASCII: the engine's copy and the archive go there, and the
# saver starts from there. (The registry's environment wins over the one
# Wine is started with; Wine reads names in UTF-8 only in such a locale.)
unusual_user="$WINEPREFIX/drive_c/users/Jürgen"
mkdir -p "$unusual_user/Temp" "$unusual_user/Tools"
cp "$build/ris.exe" "$build/Demo.scr" "$unusual_user/Tools/"
usual_temp=$(wine reg query 'HKCU\Environment' /v TEMP 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
set_temp() {
  local variable
  for variable in TEMP TMP; do
    LC_ALL=C.UTF-8 wine reg add 'HKCU\Environment' /v "$variable" /t REG_SZ /d "$1" /f >/dev/null 2>&1
  done
}
set_temp 'C:\users\Jürgen\Temp'
scratch_left() { [[ -n $(ls -A "$unusual_user/Temp") ]]; }

# start_preview NAME: ris.exe preview of C:\e2e\NAME in the background.
start_preview() {
  LC_ALL=C.UTF-8 timeout 120 wine "$unusual_user/Tools/ris.exe" preview "C:\\e2e\\$1" \
    >"$work/preview.out" 2>"$work/preview.err" &
  preview_pid=$!
}
# window_up SECONDS PATTERN: a visible window whose caption matches is up
# within that time; $xwin is then that window.
window_up() {
  local i
  for ((i = 0; i < $1 * 4; i++)); do
    xwin=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n1)
    [[ -n $xwin ]] && return 0
    sleep 0.25
  done
  tr -d '\r' <"$work/preview.err" >"$work/stderr"
  return 1
}
# in_prefix PGREP_ARGUMENTS...: the processes pgrep finds that run in this
# Wine prefix, not another run's.
in_prefix() {
  local pid
  for pid in $(pgrep "$@"); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
}
# saver_gone SECONDS: within that time neither the preview's saver window
# nor its process (by its file name) is left.
saver_gone() {
  local i
  for ((i = 0; i < $1 * 4; i++)); do
    [[ -z $(xdotool search --onlyvisible --name '^Abroad \(preview\)$' 2>/dev/null) ]] &&
      [[ -z $(in_prefix -f 'Abroad-preview\.scr') ]] && return 0
    sleep 0.25
  done
  return 1
}
# ended SECONDS: the preview ended within that time.
ended() {
  local i
  for ((i = 0; i < $1 * 10; i++)); do
    kill -0 "$preview_pid" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# The title "Canary" NUL "x": the Win32 calls read a key's name up to the
# NUL, so what the preview forgets must never be HKCU\Software\Canary.
# (Where ris pack refuses such a title, the preview shows its findings.)
wine reg add 'HKCU\Software\Canary' /v Keep /t REG_SZ /d yes /f >/dev/null 2>&1
"$host_ris" new "$folder/Canary" --title Canary >/dev/null 2>&1
perl -pi -e 's/^title=Canary/title=Canary\0x/' "$folder/Canary/settings.txt"
start_preview Canary
if window_up 30 '^(Canary|ris preview)'; then
  press Escape
  check "a title with a NUL: the preview runs and ends" ended 10
else
  fail "a title with a NUL: the preview's window"
fi
kill "$preview_pid" 2>/dev/null
wait "$preview_pid" 2>/dev/null
check "... and another program's key of the title's first part keeps its value" \
  eval "wine reg query 'HKCU\\Software\\Canary' /v Keep 2>/dev/null | grep -q yes"
check "the preview ended: its scratch folder with the engine's copy is gone" eval '! scratch_left'

# Killed, ris.exe takes the saver it started with it.
"$host_ris" new "$folder/Abroad" --title Abroad >/dev/null 2>&1
start_preview Abroad
if window_up 30 '^Abroad \(preview\)$'; then
  pass "ris.exe and the temporary folder beyond ASCII: the engine beside it runs from there"
  for pid in $(in_prefix -x ris.exe); do kill -KILL "$pid"; done
  # (bash's note that its job was killed goes nowhere)
  check "ris.exe killed: the saver it started ends with it" eval '{ ended 10 && saver_gone 10; } 2>/dev/null'
else
  fail "ris.exe and the temporary folder beyond ASCII: the saver's window"
fi
kill "$preview_pid" 2>/dev/null
wait "$preview_pid" 2>/dev/null
preview_pid=
set_temp "$usual_temp"

# ris.exe holding an inheritable handle of the driver's signs through the
# driver standing in for osslsigncode (its password on a pipe), which looks
# for that handle.
cp "$build/ris.exe" "$folder/ris.exe"
printf 'open sesame\n' >"$folder/password.txt"
cp "$build/Demo.scr" "$folder/unsigned.exe"
: >"$folder/signer.pfx"
drive inherit inherit 'C:\e2e\ris.exe' sign 'C:\e2e\unsigned.exe' --pfx 'C:\e2e\signer.pfx' \
  --password-file 'C:\e2e\password.txt' --osslsigncode "$driver"
check "a program ris.exe starts inherits its standard handles, no other of ris.exe's" \
  saw inherit inherited=0 exit=1
