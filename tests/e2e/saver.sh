# The saver and preview modes end to end, sourced by run.sh after the
# harness: the full-screen saver, its keys and mouse rule, the password gate,
# the preview in a host window, one instance at a time, the failures at
# start and the saver's CPU use.

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
  drive selection value "$settings_path" "sets selectedSets"
  check "the set selection is stored as REG_SZ with its terminating zero" \
    saw selection type=1 size=6 zero_terminated=1
else
  fail "saver window"
fi
done_with_saver

# A stored value beyond the size the saver reads (1 MiB) counts as absent:
# the saver runs on the product's selection and stores that.
{
  printf 'REGEDIT4\r\n\r\n[%s]\r\n"sets selectedSets"="' "${settings_key/HKCU/HKEY_CURRENT_USER}"
  head -c $((1100 * 1024)) /dev/zero | tr '\0' a
  printf '"\r\n'
} >"$WINEPREFIX/drive_c/e2e/huge.reg"
wine regedit /s 'C:\e2e\huge.reg' >/dev/null 2>&1
drive huge value "$settings_path" "sets selectedSets"
if is huge size $((1100 * 1024 + 1)); then
  pointer_home
  if launch huge-value /s; then
    sleep 0.5
    press Escape
    ends_with 0 >/dev/null
    drive huge-after value "$settings_path" "sets selectedSets"
    check "a stored value over 1 MiB is not read; the product's selection replaces it" is huge-after size 6
  else
    fail "huge value: saver window"
  fi
  done_with_saver
else
  fail "a 1.1 MB value could not be stored for the size test (size $(value huge size))"
fi

# ends_on NAME WHAT ACTION...: a saver that ACTION (a command) ends with 0.
ends_on() {
  local name=$1 what=$2
  shift 2
  pointer_home
  if launch "$name" /s; then
    sleep 0.5
    focus
    "$@"
    check "$what" ends_with 0
  else
    fail "$what: saver window"
  fi
  done_with_saver
}
ends_on unlisted-key "an unlisted key ends the saver" press a
# Alt and F10 come as system keys (WM_SYSKEYDOWN), which would open a menu.
ends_on alt-key "Alt ends the saver" press Alt_L
ends_on f10-key "F10 ends the saver" press F10

# ---------------------------------------------------------------- mouse

ends_on click "a click ends the saver" xdotool click 1
ends_on right-click "a right click ends the saver" xdotool click 3
ends_on middle-click "a middle click ends the saver" xdotool click 2

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
password_answers
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
  calls=$(reg_dword "$password_key" "verify calls")
  check "the password check was asked twice (${calls:-never})" [ "$calls" = 0x2 ]
  window_ok=$(reg_dword "$password_key" "verify window ok")
  check "the password check is handed the saver's window" [ "$window_ok" = 0x1 ]
else
  fail "password: saver window"
fi
done_with_saver

# ends_after_one_escape NAME WHAT CALLS: a saver that one Escape ends with 0,
# after CALLS calls of the password check ("" for none).
ends_after_one_escape() {
  local name=$1 what=$2 calls=$3
  if launch "$name" /s && takes_keys; then
    press Escape
    ended_after_calls() { ends_with 0 && [[ $(reg_dword "$password_key" "verify calls") == "$calls" ]]; }
    check "$what" ended_after_calls
  else
    fail "$what: saver window"
  fi
  done_with_saver
}

# The setting as a number, and a check that accepts at once.
password_answers refusals=0
wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /t REG_DWORD /d 1 /f >/dev/null
ends_after_one_escape password-number "password setting as a number: asked, accepted, ended" 0x1

# A check that fails inside the library counts as passed; the saver survives it.
password_answers crash=1
ends_after_one_escape password-crash "a check that crashes counts as passed, exit 0" 0x1

# The clock and set-change timers are the window's own: they go on ticking
# while the system's password dialog runs its modal loop.
password_answers refusals=0 "hold ms=3500"
ends_after_one_escape password-hold "a password dialog held 3.5 s: asked, accepted, ended" 0x1
ticks=$(reg_dword "$password_key" "timer ticks while asked")
ticked() { [[ -n $ticks ]] && ((ticks >= 3)); }
check "the clock ticks on during the password dialog (${ticks:-no} ticks in 3.5 s)" ticked

# A close asked while the question runs (as a click on another monitor's
# cover would ask) asks nothing more: one question, then the end.
password_answers refusals=0 "hold ms=2000"
if launch password-again /s; then
  sleep 0.5
  press Escape
  sleep 0.5
  drive close-again close "$(value password-again hwnd)"
  check "a close asked during the password question asks nothing more" asked_once
else
  fail "close during the question: saver window"
fi
done_with_saver

# Switched off again: no call at all.
wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /t REG_SZ /d 0 /f >/dev/null
password_answers
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

# A failed change is told, and told by its exit code too; a handle that is
# no window leaves the box without an owner rather than unshown.
for switch in /a /a:999999; do
  drive change-password --timeout=20 dialog "$saver" "$switch"
  check "$switch without a window: ScreenSaver box" \
    saw change-password caption=ScreenSaver "text='' is not a valid integer value"
  check "$switch without a window: exit 1 after OK" saw change-password pressed=1 exit=1
done

# ---------------------------------------------------------------- CPU use

check_saver_cpu cpu 50 "saver at ${screen_w}x${screen_h}"
done_with_saver
