# Products written in another code page than the system's, sourced by run.sh
# after the harness and dialog.sh (whose keys_to_dialog it uses): the host's
# ris packs a Polish, a Greek and a Russian product from settings texts saved
# as UTF-8, and the real saver's dialog, on a Wine whose ANSI code page is
# 1252, shows each title in its own letters; the saver's display, with the
# set name drawn, is kept as a screenshot. The Russian product's settings
# go under its title's key in its own letters; a title that would name
# another program's key is refused before any key is made.

# code_page_product NAME CODE_PAGE TITLE SET [LINE...]: a product of one
# set, its files named in UTF-8, packed for NAME.scr, a copy of the saver
# beside it; LINEs end its settings text.
code_page_product() {
  local name=$1 page=$2 title=$3 set=$4 product=$folder/$1
  local content=$product/content
  mkdir -p "$content/backgrounds" "$content/icons/thumbs"
  convert -size 64x48 xc:navy "$content/backgrounds/$set.png"
  convert -size 16x16 xc:gold "$content/icons/$set.png"
  cp "$content/icons/$set.png" "$content/icons/thumbs/$set.png"
  printf '%s\r\n' '[general]' "codePage=$page" "title=$title" '[General]' 'BackgroundColor=$00000000' \
    '[bounce]' 'nrImages=1' 'Speed=1' '[clocksettings]' 'clock=0' \
    "clockFont=object FontDialog1: TFontDialog;  Font.Height = -32;  Font.Name = 'Arial';end" \
    '[FilenameSettings]' 'filename=0' \
    "filenameFont=object FontDialog1: TFontDialog;  Font.Height = -40;  Font.Name = 'Arial';  Font.Color = clWhite;end" \
    '[sets]' 'SetTime=0' "${@:5}" >"$content/settings.txt"
  "$host_ris" pack "$content" "$product/$name.dat" --saver "$name.scr" >"$work/stdout" 2>"$work/stderr"
  cp "$build/Demo.scr" "$product/$name.scr"
}

# code_page_dialog NAME CODE_PAGE TITLE SET: the product's dialog is
# captioned with its title as Unicode text; screenshots of it and of the
# saver showing the set are kept in the build.
code_page_dialog() {
  local name=$1 page=$2 title=$3 saver_of_all=$saver
  code_page_product "$@"
  check "$page: ris packs a UTF-8 settings text" test -s "$folder/$name/$name.dat"
  saver="C:\\e2e\\$name\\$name.scr"
  keys_to_dialog "cp-$name" wait=1500 cancel -- shot "cp-$name"
  convert "$work/cp-$name.png" -trim +repage "$build/e2e-dialog-$page.png"
  check "$page: the system's ANSI code page is 1252" is "cp-$name" ansi_code_page 1252
  check "$page: the dialog's caption in the product's letters" is "cp-$name" dialog_caption "Configure $title"

  pointer_home
  if launch "cp-saver-$name" /s; then
    sleep 2
    shot "cp-saver-$name"
    convert "$work/cp-saver-$name.png" -crop 400x80+0+0 +repage "$build/e2e-saver-$page.png"
    press Escape
    check "$page: the saver shows the product and ends" ends_with 0
  else
    fail "$page: saver window"
  fi
  done_with_saver
  saver=$saver_of_all
}

code_page_dialog Polish 1250 'Zażółć gęślą jaźń' 'Łąka żółć'
code_page_dialog Greek 1253 'Καλημέρα κόσμε' 'Θάλασσα'

# The user's settings key, named and filled in the product's letters: the
# registry of HKCU\Software exported (UTF-16) and read as UTF-8.
software_keys() {
  wine reg export 'HKCU\Software' 'C:\e2e\software.reg' /y >/dev/null 2>&1 &&
    iconv -f UTF-16LE -t UTF-8 "$folder/software.reg" | tr -d '\r'
}
code_page_dialog Russian 1251 'Цветы' 'Луг' '[clocksettings]' 'setclock=true' \
  '[sets]' 'selectedSets=Луг' 'setselectedSets=true'
software_keys >"$work/software.txt"
check "1251: the settings key is Software\\Цветы" \
  grep -qxF '[HKEY_CURRENT_USER\Software\Цветы]' "$work/software.txt"
check "1251: a text setting in the product's letters" grep -qxF '"sets selectedSets"="Луг"' "$work/software.txt"

# refused_title NAME SWITCH TITLE SHOWN: a product titled TITLE (printf's %b
# escapes), zipped by hand as ris pack would refuse it, that a saver taking
# its title would keep its clock setting for; the saver, started with
# SWITCH, shows the refusal with the title as SHOWN (as the driver prints
# it, backslashes doubled) and ends with 3.
prefix=$(sed -n 's/^RIS_PASSWORD_PREFIX:STRING=//p' "$build/CMakeCache.txt")
refused_title() {
  local name=$1 switch=$2 product=$folder/$1
  mkdir -p "$product"
  printf '[general]\r\ntitle=%b\r\n[clocksettings]\r\nclock=1\r\nsetclock=true\r\n' "$3" >"$product/settings.txt"
  (cd "$product" && zip -q -P "${prefix}REFUS" "$name.dat" settings.txt)
  cp "$build/Demo.scr" "$product/$name.scr"
  drive "$name" --timeout=20 dialog "C:\\e2e\\$name\\$name.scr" "$switch"
  check "$name: the refusal, then exit 3" saw "$name" pressed=1 exit=3
  check "$name: the box tells why" starts_with "$name" text "the title \"$4\" cannot name the product"
}
refused_title RefusedNul /s 'Canary\0x' 'Canary\\x00x'
refused_title RefusedSlash /c 'Flowers\\Canary' 'Flowers\\Canary'
software_keys >"$work/software.txt"
no_refused_key() { ! grep -qiE '^\[HKEY_CURRENT_USER\\Software\\(Canary|Flowers)' "$work/software.txt"; }
check "refused titles: no key of theirs" no_refused_key
