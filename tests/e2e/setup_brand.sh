# A setup with its maker's brand, sourced by run.sh after its set-up: the
# demo with an icon, a wizard picture, a licence and French, packed and built
# by the host's ris; its pages seen in French (screenshots for the docs),
# then installed silently for one user and for all users, and once into a
# folder it cannot write, checked through its files and Wine's reg.

brand=$work/brand
mkdir -p "$brand"
cp -r "$host/demo/content" "$brand/content"
mkdir -p "$brand/content/setup"
convert -size 48x48 radial-gradient:gold-darkorange -define icon:auto-resize=48,32,16 \
  "$brand/content/setup/brand.ico"
cp "$brand/content/backgrounds/sunrise.png" "$brand/content/setup/side.png"
printf 'Contrat de licence\r\n\r\nCet \xe9conomiseur d'"'"'\xe9cran est libre de droits.\r\n' \
  >"$brand/content/setup/licence.txt"
{ printf '\r\n[setup]\r\n'
  printf '%s\r\n' icon=setup/brand.ico wizardPicture=setup/side.png headerPicture=setup/side.png \
    licence=setup/licence.txt language=French publisherUrl=https:www.example.org/demo
} >>"$brand/content/settings.txt"
"$host_ris" pack "$brand/content" "$brand/Demo.dat" --saver Demo.scr >"$work/stdout" 2>"$work/stderr" &&
  "$host_ris" installer "$brand/Demo.dat" --saver Demo.scr --engine "$build/Demo.scr" \
    --out "$folder/BrandSetup.exe" >>"$work/stdout" 2>>"$work/stderr"
status=$?
check "the branded demo packs and builds its setup" exited 0

# ---------------------------------------------------------------- pages

french_caption='^Installation de Bouncing Pictures Demo$'
timeout 60 wine 'C:\e2e\BrandSetup.exe' >/dev/null 2>&1 &
setup_pid=$!
setup_window=$(window_named "$french_caption")
check "the setup's window is captioned in French" test -n "$setup_window"
# page_shot NAME: the setup's window once it shows what it did not before.
page_shot() {
  local i
  for ((i = 0; i < 50; i++)); do
    timeout 20 import -window "$setup_window" "$work/$1.png" 2>/dev/null
    [[ ! -e $work/previous.png ]] || more_than "$(differing "$work/previous.png" "$work/$1.png")" 1000 && break
    sleep 0.2
  done
  cp "$work/$1.png" "$work/previous.png"
}
if [[ -n $setup_window ]]; then
  rm -f "$work/previous.png"
  sleep 1
  page_shot setup-welcome
  timeout 5 xdotool windowfocus --sync "$setup_window" key Return >/dev/null 2>&1
  page_shot setup-licence
  check "Next leads from the welcome page to another page, the licence" \
    more_than "$(differing "$work/setup-welcome.png" "$work/setup-licence.png")" 1000
  cp "$work/setup-welcome.png" "$build/e2e-setup-welcome-fr.png"
  cp "$work/setup-licence.png" "$build/e2e-setup-licence-fr.png"
  timeout 5 xdotool windowfocus --sync "$setup_window" key Escape >/dev/null 2>&1
fi
wait "$setup_pid" 2>/dev/null

# ---------------------------------------------------------------- silent

desktop_key='HKCU\Control Panel\Desktop'
brand_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Demo'
programs=$(wine cmd /c 'echo %LOCALAPPDATA%\Programs' 2>/dev/null | tr -d '\r')
wine reg delete "$desktop_key" /v SCRNSAVE.EXE /f >/dev/null 2>&1

timeout 60 wine 'C:\e2e\BrandSetup.exe' /S >/dev/null 2>&1
status=$?
installed=$(winepath -u "$programs\\Bouncing Pictures Demo" 2>/dev/null)
check "silent setup for one user ends with 0 and installs the maker's icon" \
  eval 'exited 0 && cmp -s "$installed/Demo.ico" "$brand/content/setup/brand.ico"'
check "its uninstall entry carries the publisher's address and the icon" eval \
  '[[ $(reg_value "HKCU\\$brand_key" URLInfoAbout) == "https://www.example.org/demo" &&
      $(reg_value "HKCU\\$brand_key" DisplayIcon) == *"\\Bouncing Pictures Demo\\Demo.ico" ]]'
check "a silent setup without /ACTIVATE leaves the user's saver alone" \
  test -z "$(reg_value "$desktop_key" SCRNSAVE.EXE)"
uninstall_silently "$programs\\Bouncing Pictures Demo\\Uninstall.exe" "$installed"
check "silent uninstall for one user removes the folder, the icon with it" test ! -e "$installed"

# As an administrator writes it: /D= last and unquoted, blanks and all (Wine
# would quote an argument with a blank, which NSIS does not read).
timeout 60 wine cmd /c 'C:\e2e\BrandSetup.exe /S /ALLUSERS /ACTIVATE /D=C:\Brand Folder' >/dev/null 2>&1
status=$?
system32=$WINEPREFIX/drive_c/windows/system32
check "silent setup for all users ends with 0: the saver in the system folder, the rest in /D=" eval \
  'exited 0 && [[ -f $system32/Demo.scr && -f $system32/Demo.dat ]] &&
   [[ -f "$WINEPREFIX/drive_c/Brand Folder/Uninstall.exe" && -f "$WINEPREFIX/drive_c/Brand Folder/Demo.ico" ]]'
check "for all users: registered for the machine, and the saver set as asked" eval \
  '[[ $(reg_value "HKLM\\$brand_key" URLInfoAbout) == "https://www.example.org/demo" &&
      $(reg_value "$desktop_key" SCRNSAVE.EXE) == *"Demo.scr" ]]'
uninstall_silently 'C:\Brand Folder\Uninstall.exe' "$system32/Demo.scr"
check "silent uninstall for all users removes the saver and its registration" \
  eval '[[ ! -e $system32/Demo.scr ]] && ! wine reg query "HKLM\\$brand_key" >/dev/null 2>&1'

# A folder where the saver cannot be written: a folder of the saver's name.
mkdir -p "$WINEPREFIX/drive_c/Blocked/Demo.scr"
timeout 60 wine 'C:\e2e\BrandSetup.exe' /S '/D=C:\Blocked' >/dev/null 2>&1
status=$?
check "a setup that cannot write the saver ends non-zero and registers nothing ($status)" \
  eval '! exited 0 && ! wine reg query "HKCU\\$brand_key" >/dev/null 2>&1'
wine reg delete "$desktop_key" /v SCRNSAVE.EXE /f >/dev/null 2>&1
