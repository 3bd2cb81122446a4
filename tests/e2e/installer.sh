# The companion command and a product's setup program end to end, sourced by
# run.sh after its set-up: ris.exe packs the demo as the Linux ris does, the
# host's ris builds the demo's setup with makensis, signed with a throw-away
# key, and the setup and its uninstaller run silently in the Wine prefix,
# checked through its files and Wine's reg.

ris_exe=$build/ris.exe
desktop_key='HKCU\Control Panel\Desktop'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Demo'
previous_saver='C:\windows\system32\previous.scr'

# ris_exe NAME ARGUMENTS...: ris.exe under Wine, its output in $work/NAME.out.
run_ris_exe() {
  local name=$1
  shift
  timeout 60 wine "$folder/ris.exe" "$@" >"$work/$name.out" 2>"$work/$name.err"
  status=$?
  tr -d '\r' <"$work/$name.err" >"$work/stderr"
}

cp "$ris_exe" "$folder/ris.exe"
cp -r "$host/demo/content" "$folder/content"
mkdir -p "$folder/packed"

# ---------------------------------------------------------------- ris.exe

run_ris_exe pack pack 'C:\e2e\content' 'C:\e2e\packed\Demo.dat' --saver Demo.scr
check "ris.exe pack: the same bytes as ris pack on Linux" cmp -s "$folder/packed/Demo.dat" "$build/Demo.dat"
run_ris_exe list list 'C:\e2e\packed\Demo.dat' --saver 'C:\Savers\Demo.scr'
check "ris.exe list: the title and four sets" \
  eval '[[ $(tr -d "\r" <"$work/list.out" | head -n1) == "Bouncing Pictures Demo" && $(wc -l <"$work/list.out") -eq 5 ]]'
run_ris_exe render render 'C:\e2e\Demo.dat' --saver Demo.scr --out 'C:\e2e\frame.png' --size 320x200 --seconds 2
check "ris.exe render: a frame drawn with GDI text" \
  eval '[[ $status -eq 0 && $(identify -format %wx%h "$folder/frame.png") == 320x200 ]]'
run_ris_exe refused installer 'C:\e2e\Demo.dat' --saver Other.scr --engine 'C:\e2e\Demo.scr' --out 'C:\e2e\setup.exe'
check "ris.exe installer refuses a saver name that does not open the archive" \
  eval '[[ $status -eq 1 ]] && said "Other.scr cannot use this archive"'
run_ris_exe no-nsis installer 'C:\e2e\Demo.dat' --saver Demo.scr --engine 'C:\e2e\Demo.scr' \
  --out 'C:\e2e\setup.exe' --makensis 'C:\nowhere\makensis.exe'
check "ris.exe installer names a makensis it cannot start" \
  eval '[[ $status -eq 1 ]] && said "cannot start '"'"'C:\nowhere\makensis.exe'"'"'"'

# Photos of today's cameras: WebP through ris.exe's own libwebp, HEIC
# through the codecs Windows has installed, which Wine lacks.
mkdir -p "$folder/photos"
convert -size 64x48 xc:red "$work/photo.png"
convert "$work/photo.png" "$work/photo.jpg"
cwebp -quiet "$work/photo.png" -o "$folder/photos/browser.webp"
heif-enc -o "$folder/photos/phone.heic" "$work/photo.jpg" >/dev/null
run_ris_exe photos new 'C:\e2e\photo-product' --title Photos --photos 'C:\e2e\photos'
check "ris.exe converts a WebP photo and names the extension a HEIC photo needs" eval \
  '[[ $(identify -format %m "$folder/photo-product/backgrounds/browser.jpg") == JPEG ]] &&
   said "phone.heic: HEIC: Windows has no HEIC decoder installed: install \"HEIF Image Extensions\""'

# ---------------------------------------------------------------- setup

make_signer "$work"
"$host_ris" installer "$build/Demo.dat" --saver Demo.scr --engine "$build/Demo.scr" \
  --out "$folder/DemoSetup.exe" --pfx "$work/signer.pfx" --password-file "$work/password.txt" \
  >"$work/stdout" 2>"$work/stderr"
check "ris installer builds the demo's setup, signed" verified "$folder/DemoSetup.exe"
# Only the saver engine is installed as the product's saver: not ris.exe,
# not a test build.
for engine in "$ris_exe" "$timer_fault_scr"; do
  "$host_ris" installer "$build/Demo.dat" --saver Demo.scr --engine "$engine" --out "$work/refused.exe" 2>"$work/stderr"
  status=$?
  check "ris installer refuses ${engine##*/} as the engine" \
    eval 'exited 1 && said "is not the saver engine: --engine wants the saver engine" && [[ ! -e $work/refused.exe ]]'
done

# Its first page, for the README.
: >"$work/stderr"
timeout 60 wine 'C:\e2e\DemoSetup.exe' >/dev/null 2>&1 &
setup_pid=$!
setup_window=$(window_named '^Bouncing Pictures Demo Setup$')
check "setup's window is captioned with the product's title" test -n "$setup_window"
if [[ -n $setup_window ]]; then
  sleep 1.5
  timeout 20 import -window "$setup_window" "$build/e2e-setup.png"
  timeout 5 xdotool windowfocus --sync "$setup_window" key Escape >/dev/null 2>&1
fi
wait "$setup_pid" 2>/dev/null

wine reg add "$desktop_key" /v SCRNSAVE.EXE /t REG_SZ /d "$previous_saver" /f >/dev/null 2>&1
wine reg delete "$settings_key" /f >/dev/null 2>&1
timeout 60 wine 'C:\e2e\DemoSetup.exe' /S /ACTIVATE >/dev/null 2>&1
check "silent setup ends with 0" [ $? -eq 0 ]

programs=$(wine cmd /c 'echo %LOCALAPPDATA%\Programs' 2>/dev/null | tr -d '\r')
installed=$(winepath -u "$programs\\Bouncing Pictures Demo" 2>/dev/null)
installed_files() { [[ $(ls "$installed" 2>/dev/null | tr '\n' ' ') == "Demo.dat Demo.scr Uninstall.exe " ]]; }
check "setup installs the saver, its archive and the uninstaller into the user's programs" installed_files
check "the installed archive is the product's" cmp -s "$installed/Demo.dat" "$build/Demo.dat"
check "the installed saver is signed" verified "$installed/Demo.scr"
scrnsave=$(reg_value "$desktop_key" SCRNSAVE.EXE)
short_form() { [[ $scrnsave == *'\Programs\'*'\Demo.scr' && $scrnsave != *' '* ]]; }
check "SCRNSAVE.EXE is the installed saver's short path ($scrnsave)" short_form
check "the screen saver is turned on" [ "$(reg_value "$desktop_key" ScreenSaveActive)" = 1 ]
check "uninstaller registered: name, version, publisher" eval \
  '[[ $(reg_value "$uninstall_key" DisplayName) == "Bouncing Pictures Demo" &&
      $(reg_value "$uninstall_key" DisplayVersion) == 1.0 &&
      $(reg_value "$uninstall_key" Publisher) == "The Demo Makers" ]]'
size_kb=$(reg_dword "$uninstall_key" EstimatedSize)
check "uninstaller registered: icon and size (${size_kb:-none})" eval \
  '[[ $(reg_value "$uninstall_key" DisplayIcon) == *"\\Demo.scr,0" ]] && ((size_kb > 100))'

saver=$programs'\Bouncing Pictures Demo\Demo.scr'
pointer_home
if launch installed /s; then
  check "the installed saver runs in saver mode" saw installed left=0 top=0 popup=1
  sleep 0.5
  press Escape
  check "the installed saver ends with Escape" ends_with 0
else
  fail "the installed saver: its window"
fi
done_with_saver
saver='C:\e2e\Demo.scr'

uninstall_silently "$programs\\Bouncing Pictures Demo\\Uninstall.exe" "$installed"
check "silent uninstall removes the files and the folder" test ! -e "$installed"
check "silent uninstall removes the uninstaller's registration" \
  eval '! wine reg query "$uninstall_key" >/dev/null 2>&1'
check "silent uninstall puts back the previous saver" \
  [ "$(reg_value "$desktop_key" SCRNSAVE.EXE)" = "$previous_saver" ]
check "silent uninstall keeps the user's own settings" \
  eval 'wine reg query "$settings_key" >/dev/null 2>&1'
wine reg delete "$desktop_key" /v SCRNSAVE.EXE /f >/dev/null 2>&1
wine reg delete "$settings_key" /f >/dev/null 2>&1
