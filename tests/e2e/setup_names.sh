# A product's setup beyond ASCII, sourced by run.sh after installer.sh: a
# product in a folder named "Blüten", titled "Цветы" in code page 1251,
# built by the host's ris and installed silently; its uninstaller, asked to
# remove the user's settings, removes the saver's values and nothing else of
# the key or beside it. The registry is read and written through .reg files
# in UTF-16, which carry the Cyrillic key whatever the console's code page.

blossoms=$work/Blüten
blossoms_title='Цветы'
blossoms_uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Flowers'
mkdir -p "$blossoms"
cp -r "$host/demo/content" "$blossoms/content"
sed -i "s/^title=.*/codePage=1251\r\ntitle=$blossoms_title\r/" "$blossoms/content/settings.txt"
"$host_ris" pack "$blossoms/content" "$blossoms/Flowers.dat" --saver Flowers.scr >"$work/stdout" 2>"$work/stderr" &&
  "$host_ris" installer "$blossoms/Flowers.dat" --saver Flowers.scr --engine "$build/Demo.scr" \
    --out "$blossoms/FlowersSetup.exe" >"$work/stdout" 2>>"$work/stderr"
check "a setup of a product in a folder beyond ASCII, titled in code page 1251" test -s "$blossoms/FlowersSetup.exe"
cp "$blossoms/FlowersSetup.exe" "$folder/FlowersSetup.exe"

# reg_import TEXT: TEXT, lines of a .reg file, written into the registry.
reg_import() {
  { printf '\xff\xfe'; printf 'Windows Registry Editor Version 5.00\r\n\r\n%s\r\n' "$1" | iconv -f UTF-8 -t UTF-16LE; } \
    >"$folder/import.reg"
  wine reg import 'C:\e2e\import.reg' >/dev/null 2>&1
}
# reg_export KEY: the key's tree as UTF-8 lines, without CRs.
reg_export() {
  rm -f "$folder/export.reg"
  wine reg export "$1" 'C:\e2e\export.reg' /y >/dev/null 2>&1
  iconv -f UTF-16 -t UTF-8 "$folder/export.reg" 2>/dev/null | tr -d '\r'
}

timeout 60 wine 'C:\e2e\FlowersSetup.exe' /S >/dev/null 2>&1
status=$?
check "it installs silently, its uninstall entry named in Cyrillic" \
  eval 'exited 0 && reg_export "$blossoms_uninstall_key" | grep -qxF "\"DisplayName\"=\"$blossoms_title\""'

# The user's settings as the saver keeps them, under the title's Unicode
# key, beside a value and a key of someone else's.
saver_values=('clocksettings clock' 'General BackgroundColor' 'bounce bounceImages' 'bounce nrImages'
  'bounce Speed' 'bounce fixedSpeed' 'General showBackground' 'sets selectedSets' 'ClockSettings clockFont'
  'sets SetTime' 'FilenameSettings filename' 'FilenameSettings filenameFont' 'backgrounds stretchSmallImages')
reg_import "[HKEY_CURRENT_USER\\Software\\$blossoms_title]
$(printf '"%s"="1"\n' "${saver_values[@]}")
\"Canary\"=\"someone else's\"

[HKEY_CURRENT_USER\\Software\\Canary]
\"Canary\"=\"someone else's\""
# The lines of one key's section of the export in $work/software.reg.
section() { sed -n "/^\\[HKEY_CURRENT_USER\\\\Software\\\\$1\\]\$/,/^\$/p" "$work/software.reg"; }
reg_export 'HKCU\Software' >"$work/software.reg"
check "the user's settings are in place before the uninstall" \
  eval '[[ $(section "$blossoms_title" | grep -c "^\"") -eq 14 ]]'

programs=$(wine cmd /c 'echo %LOCALAPPDATA%\Programs' 2>/dev/null | tr -d '\r')
blossoms_installed=$(winepath -u "$programs" 2>/dev/null)/$blossoms_title
timeout 60 wine "$blossoms_installed/Uninstall.exe" /S /REMOVESETTINGS >/dev/null 2>&1
for ((i = 0; i < 100; i++)); do
  [[ -e $blossoms_installed ]] || break
  sleep 0.2
done
check "the uninstall removes the product's folder" test ! -e "$blossoms_installed"
reg_export 'HKCU\Software' >"$work/software.reg"
check "\"remove my settings\" removes every value of the saver, keeps another's value in its key" \
  eval '[[ $(section "$blossoms_title" | grep -c "^\"") -eq 1 ]] && section "$blossoms_title" | grep -q "^\"Canary\"="'
check "... and keeps the key beside it" eval 'section Canary | grep -q "^\"Canary\"="'
wine reg delete 'HKCU\Software\Canary' /f >/dev/null 2>&1
