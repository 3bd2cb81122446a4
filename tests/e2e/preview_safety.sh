# ris.exe and the system around it, sourced by run.sh after its set-up:
# another program's registry key kept from a title with a NUL; ris.exe, its
# engine and the temporary folder under a user name beyond ASCII; the
# scratch folder gone after a preview, the saver gone with a killed ris.exe;
# a started program given no handle of ris.exe's but the standard ones.

# (The registry's environment wins over Wine's; Wine reads names in UTF-8
# only in such a locale.)
user="$WINEPREFIX/drive_c/users/Jürgen"
mkdir -p "$user/Temp" "$user/Tools"
cp "$build/ris.exe" "$build/Demo.scr" "$user/Tools/"
usual_temp=$(wine reg query 'HKCU\Environment' /v TEMP 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
set_temp() {
  for variable in TEMP TMP; do
    LC_ALL=C.UTF-8 wine reg add 'HKCU\Environment' /v "$variable" /t REG_SZ /d "$1" /f >/dev/null 2>&1
  done
}
set_temp 'C:\users\Jürgen\Temp'
preview_of() {
  "$host_ris" new "$folder/$1" --title "$1" >/dev/null 2>&1
  [[ $1 == Canary ]] && perl -pi -e 's/^title=Canary/title=Canary\0x/' "$folder/Canary/settings.txt"
  # (in a shell of its own, whose end is ordinary when ris.exe is killed)
  (LC_ALL=C.UTF-8 timeout 120 wine "$user/Tools/ris.exe" preview "C:\\e2e\\$1"; true) >/dev/null 2>"$work/stderr" &
  preview_pid=$!
}
# within SECONDS COMMAND...: the command succeeds within that time.
within() {
  local i
  for ((i = 0; i < $1 * 4; i++)); do "${@:2}" && return 0; sleep 0.25; done
  return 1
}
window_up() { xwin=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1); [[ -n $xwin ]]; }
preview_ended() { ! kill -0 "$preview_pid" 2>/dev/null; }

wine reg add 'HKCU\Software\Canary' /v Keep /t REG_SZ /d yes /f >/dev/null 2>&1
preview_of Canary  # or its findings, where the title is refused
within 30 window_up '^(Canary|ris preview)' && takes_keys && press Escape
check "a title Canary NUL x: the preview ends, HKCU\\Software\\Canary keeps its value, the scratch folder goes" \
  eval 'within 10 preview_ended && wine reg query "HKCU\\Software\\Canary" /v Keep 2>/dev/null | grep -q yes &&
        [[ -z $(ls -A "$user/Temp") ]]'

preview_of Far
check "ris.exe and its temporary folder beyond ASCII: the engine beside it runs" within 30 window_up '^Far \(preview\)$'
for pid in $(saver_pids ris.exe); do kill -KILL "$pid"; done
saver_gone() { [[ -z $(saver_pids Far-preview.scr) ]]; }
check "ris.exe killed: the saver it started ends with it" within 10 saver_gone
set_temp "$usual_temp"

# The driver offers ris.exe an inheritable handle and, as osslsigncode,
# looks for it.
cp "$build/ris.exe" "$folder/ris.exe"
printf 'pass\n' >"$folder/password.txt"
drive inherit inherit 'C:\e2e\ris.exe' sign 'C:\e2e\Demo.scr' --pfx 'C:\e2e\Demo.dat' \
  --password-file 'C:\e2e\password.txt' --osslsigncode "$driver"
check "a program ris.exe starts inherits its standard handles, no other of ris.exe's" \
  saw inherit inherited=0 exit=1
