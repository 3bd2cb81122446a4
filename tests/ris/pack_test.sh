#!/usr/bin/env bash
# Packs product folders with the real ris and checks the archives with tools
# that share no code with it (unzip, 7z) and with the saver's own reader
# (ris list), then checks that every product the saver could not use is
# refused without an archive being written.
source "$(dirname "$0")/harness.sh" "$1"

pack() { run_ris pack "$@"; }
printed() { [[ $(cat "$work/stdout") == "$1" ]]; }

# The smallest settings text the saver accepts, CR LF line ends.
write_settings() {
  printf '%s\r\n' '[general]' 'title=Pack Test' '[General]' 'BackgroundColor=$00402010' \
    '[bounce]' 'nrImages=5' 'Speed=2' '[clocksettings]' 'clock=1' \
    "clockFont=object FontDialog1: TFontDialog;  Font.Height = -32;  Font.Name = 'Arial';end" \
    '[FilenameSettings]' 'filename=0' \
    "filenameFont=object FontDialog1: TFontDialog;  Font.Height = -21;  Font.Name = 'Arial';end" \
    '[sets]' 'SetTime=30' >"$1/settings.txt"
}

# A product of two complete sets, pictures made by ImageMagick; one picture
# is noise, which deflating cannot make smaller.
make_product() {
  local folder=$1
  mkdir -p "$folder/backgrounds" "$folder/icons/thumbs"
  write_settings "$folder"
  for set in ocean meadow; do
    convert -size 64x48 gradient:navy-skyblue "$folder/backgrounds/$set.bmp"
    convert -size 16x16 xc:gold "$folder/icons/$set.png"
    convert -size 8x8 xc:gold "$folder/icons/thumbs/$set.png"
  done
  rm "$folder/backgrounds/ocean.bmp"
  { printf 'P6\n64 64\n255\n'; head -c 12288 /dev/urandom; } >"$folder/backgrounds/ocean.ppm"
}

# --- a valid product -------------------------------------------------------
make_product "$work/good"
pack "$work/good" "$work/FlowerPower.dat" --saver FlowerPower.scr
check "valid product packs" exited 0
check "summary line" printed "packed 7 entries in 2 sets for FlowerPower.scr"
check "no findings" test ! -s "$work/stderr"

archive=$work/FlowerPower.dat
check "unzip accepts the password" unzip -qq -P rimagesFLOWE -t "$archive"
check "7z accepts the password" eval '7z t -primagesFLOWE "$archive" >/dev/null'
check "unzip refuses a wrong password" eval '! unzip -qq -P wrong -t "$archive" >/dev/null 2>&1'
check "7z refuses a wrong password" eval '! 7z t -pwrong "$archive" >/dev/null 2>&1'
check "entry names with / and in order" eval '[[ "$(unzip -Z1 "$archive" | tr "\n" " ")" == "settings.txt backgrounds/meadow.bmp backgrounds/ocean.ppm icons/meadow.png icons/ocean.png icons/thumbs/meadow.png icons/thumbs/ocean.png " ]]'
check "settings archived byte for byte" eval 'unzip -p -P rimagesFLOWE "$archive" settings.txt | cmp -s - "$work/good/settings.txt"'
check "noise is stored" eval 'unzip -v "$archive" | grep -q "Stored .*backgrounds/ocean.ppm"'
check "a smooth picture is deflated" eval 'unzip -v "$archive" | grep -q "Defl:.*backgrounds/meadow.bmp"'
check "the saver's reader opens it" eval '"$ris" list "$archive" --saver FlowerPower.scr >"$work/list" 2>"$work/stderr"'
check "the saver's reader finds both sets" eval 'grep -q "^meadow" "$work/list" && grep -q "^ocean" "$work/list"'
check "another saver's name does not open it, and the name it was packed for is told" eval \
  '! "$ris" list "$archive" --saver Other.scr >/dev/null 2>"$work/stderr" && said "packed for FlowerPower.scr"'

pack "$work/good" "$work/Demo.dat" --saver "C:\\Savers\\Demo.scr"
check "a saver given with its folder" exited 0
check "password of a short name" unzip -qq -P rimagesDEMO. -t "$work/Demo.dat"

pack "$work/good" "$work/one.dat" --saver Demo.scr
cp -r "$work/good" "$work/copy"
touch -d 2030-05-05 "$work/copy/settings.txt"
pack "$work/copy" "$work/two.dat" --saver Demo.scr
check "packs are reproducible, whatever the files' times" cmp -s "$work/one.dat" "$work/two.dat"
check "entries are stamped 1980-01-01 by default" eval 'unzip -Z -l "$work/one.dat" settings.txt | grep -q "80-Jan-01 00:00"'
printf 'x' >>"$work/copy/icons/meadow.png"
pack "$work/copy" "$work/three.dat" --saver Demo.scr
# settings.txt, the first entry, is unchanged: only its encryption header can differ.
check "other content gives other encryption headers" eval '! cmp -s <(head -c 54 "$work/one.dat") <(head -c 54 "$work/three.dat")'
SOURCE_DATE_EPOCH=1767225600 pack "$work/good" "$work/dated.dat" --saver Demo.scr
check "SOURCE_DATE_EPOCH sets the time stamps" eval 'unzip -Z -l "$work/dated.dat" settings.txt | grep -q "26-Jan-01 00:00"'
SOURCE_DATE_EPOCH=yesterday pack "$work/good" "$work/bad-epoch.dat" --saver Demo.scr
check "a malformed SOURCE_DATE_EPOCH is an error" eval 'exited 1 && said "error: SOURCE_DATE_EPOCH" && [[ ! -e "$work/bad-epoch.dat" ]]'

# --- warnings: packed anyway -----------------------------------------------
cp -r "$work/good" "$work/stray"
echo notes >"$work/stray/notes.txt"
mkdir "$work/stray/icons/big"
pack "$work/stray" "$work/stray.dat" --saver Stray.scr
check "stray files are left out with a warning" eval 'exited 0 && said "warning: left out '"'"'notes.txt'"'"'" && said "warning: left out '"'"'icons/big/'"'"'"'
check "stray files are not archived" eval '! unzip -Z1 "$work/stray.dat" | grep -q notes'
check "the rest is archived" unzip -qq -P rimagesSTRAY -t "$work/stray.dat"

pack "$work/good" "$work/Other.dat" --saver Demo.scr
check "an archive the saver would not find" eval 'exited 0 && said "warning: Demo.scr looks for its archive under the name Demo.dat, not Other.dat"'

cp -r "$work/good" "$work/metafile"
cp "$(dirname "$0")/../fuzz/pictures/corpus/metafile_decoder/plain.wmf" "$work/metafile/icons/meadow.wmf"
rm "$work/metafile/icons/meadow.png"
pack "$work/metafile" "$work/metafile.dat" --saver Metafile.scr
check "a metafile is packed with a warning" eval 'exited 0 && said "warning: icons/meadow.wmf: not checked: Windows metafiles (WMF, EMF) are drawn by Windows only."'

cp -r "$work/good" "$work/untitled"
sed -i -e '/^title=/d' -e '/^clockFont=/d' "$work/untitled/settings.txt"
pack "$work/untitled" "$work/untitled.dat" --saver Untitled.scr
check "missing title and font are warnings" eval 'exited 0 && said "warning: settings.txt: title in [general] is missing or empty" && said "warning: settings.txt: clockFont in [ClockSettings] is missing or empty"'

# --- texts saved as UTF-8 --------------------------------------------------
# with_code_page FOLDER PAGE: names the product's code page in [general].
with_code_page() { sed -i "s/^\[general\]\r\$/[general]\r\ncodePage=$2\r/" "$1/settings.txt"; }

cp -r "$work/good" "$work/polish"
with_code_page "$work/polish" 1250
{ printf '\xef\xbb\xbf'; sed 's/^title=Pack Test/title=Zażółć gęślą jaźń/' "$work/polish/settings.txt"; } \
  >"$work/polish.txt"
mv "$work/polish.txt" "$work/polish/settings.txt"
pack "$work/polish" "$work/polish.dat" --saver Polish.scr
check "UTF-8 with a code page packs" eval 'exited 0 && said "note: settings.txt: converted from UTF-8 to code page 1250"'
check "UTF-8 archived in the code page" eval \
  'unzip -p -P rimagesPOLIS "$work/polish.dat" settings.txt | cmp -s - <(tail -c +4 "$work/polish/settings.txt" | iconv -f UTF-8 -t CP1250)'
check "ris list prints the product's title in UTF-8" eval \
  '[[ $("$ris" list "$work/polish.dat" --saver Polish.scr | head -n1) == "Zażółć gęślą jaźń" ]]'

# --- photos as cameras store them ------------------------------------------
cp -r "$work/good" "$work/phone"
rm "$work/phone/backgrounds/meadow.bmp"
sideways_photo "$work/phone/backgrounds/meadow.jpg" 64 32
pack "$work/phone" "$work/phone.dat" --saver Phone.scr
check "a sideways photo is turned" eval 'exited 0 && said "note: backgrounds/meadow.jpg: EXIF orientation 6: turned 90 degrees clockwise without loss, orientation set to 1"'
check "the summary counts the notes" grep -qF "for Phone.scr (1 note above)" "$work/stdout"
unzip -p -P rimagesPHONE "$work/phone.dat" backgrounds/meadow.jpg >"$work/turned.jpg"
"$ris" decode "$work/turned.jpg" "$work/turned.png" 2>/dev/null
check "the archived photo stands upright, red on top" eval \
  '[[ $(convert "$work/turned.png" -format "%wx%h %[fx:p{16,4}.r>0.8&&p{16,4}.b<0.2] %[fx:p{16,60}.b>0.8&&p{16,60}.r<0.2]" info:) == "32x64 1 1" ]]'
check "its orientation tag says 1" eval '[[ $(identify -format "%[EXIF:Orientation]" "$work/turned.jpg") == 1 ]]'
sideways_photo "$work/phone/backgrounds/meadow.jpg" 64 36
pack "$work/phone" "$work/phone.dat" --saver Phone.scr
check "a photo of partial blocks is turned and trimmed" eval 'exited 0 && said "the partial blocks at an edge were trimmed off"'
pack "$work/phone" "$work/phone.dat" --saver Phone.scr --keep-orientation
check "--keep-orientation archives it as stored" eval \
  'said "EXIF orientation 6 kept" && unzip -p -P rimagesPHONE "$work/phone.dat" backgrounds/meadow.jpg | cmp -s - "$work/phone/backgrounds/meadow.jpg"'
convert -size 7700x4400 xc:navy "$work/phone/backgrounds/meadow.jpg"
pack "$work/phone" "$work/phone.dat" --saver Phone.scr
check "a background beyond any screen is a warning" eval \
  'exited 0 && said "warning: backgrounds/meadow.jpg: 7700 x 4400 pixels, more than any screen shows (7680 x 4320): each time the set is shown the saver decodes up to 33 million pixels into 130 MB"'

# --- bare LF line ends -----------------------------------------------------
cp -r "$work/good" "$work/unix"
tr -d '\r' <"$work/good/settings.txt" >"$work/unix/settings.txt"
pack "$work/unix" "$work/unix.dat" --saver Unix.scr
check "bare LF is reported" eval 'said "warning: settings.txt: lines end in a bare LF; the saver would read it as one single line (pack with --fix-line-ends"'
check "bare LF breaks the settings" eval 'exited 1 && said "missing, and the saver stops at start without it" && [[ ! -e "$work/unix.dat" ]]'
pack "$work/unix" "$work/Unix.dat" --saver Unix.scr --fix-line-ends
check "--fix-line-ends packs it" eval 'exited 0 && ! said "bare LF"'
check "--fix-line-ends archives CR LF" eval 'unzip -p -P rimagesUNIX. "$work/Unix.dat" settings.txt | cmp -s - "$work/good/settings.txt"'

# --- errors: nothing written -----------------------------------------------
# refused NAME SETUP_COMMAND MESSAGE: a copy of the good product, changed by
# SETUP_COMMAND in folder $product, must be refused with MESSAGE, and an
# archive already in place must be left as it was.
refused() {
  local name=$1 setup=$2 message=$3
  product=$work/$name
  rm -rf "$product"
  cp -r "$work/good" "$product"
  eval "$setup"
  echo "old archive" >"$work/kept.dat"
  pack "$product" "$work/kept.dat" --saver Kept.scr
  if exited 1 && said "error: $message" && [[ $(cat "$work/kept.dat") == "old archive" ]] &&
     [[ -z $(find "$work" -maxdepth 1 -name 'kept.dat.tmp*') ]]; then
    pass "$name"
  else
    fail "$name (exit $status)"
  fi
}
refused no-settings 'rm "$product/settings.txt"' "settings.txt is missing"
refused missing-integer 'sed -i "/^nrImages=/d" "$product/settings.txt"' \
  "settings.txt, [bounce] nrImages: missing, and the saver stops at start without it; write nrImages=10"
refused broken-font 'sed -i "s/Font.Height = -32/Font.Height = tall/" "$product/settings.txt"' \
  "settings.txt: the saver would stop at start"
refused bad-no-bouncing-logos 'printf "[bounce]\r\nnoBouncingLogos=maybe\r\n" >>"$product/settings.txt"' \
  "settings.txt line 17, [bounce] noBouncingLogos: 'maybe' stops the saver at start: write true or false"
refused utf8-without-code-page 'sed -i "s/^title=Pack Test/title=Zażółć/" "$product/settings.txt"' \
  "settings.txt: is saved as UTF-8, which the saver does not read; add codePage=<number> to [general]"
refused byte-order-mark-without-code-page \
  '{ printf "\xef\xbb\xbf"; cat "$work/good/settings.txt"; } >"$product/settings.txt"' \
  "settings.txt: is saved as UTF-8"
refused character-outside-code-page \
  'with_code_page "$product" 1252; sed -i "s/^title=Pack Test/title=Łódź/" "$product/settings.txt"' \
  "settings.txt: line 3: 'Ł' (U+0141) is not in code page 1252"
refused unknown-code-page 'with_code_page "$product" 936' \
  "settings.txt: codePage in [general] is '936'; the saver knows code pages 1250, 1251, 1252, 1253, 1254, 1257"
refused heic-photo 'rm "$product/icons/meadow.png"; printf "\0\0\0\x18ftypheic\0\0\0\0mif1heic" >"$product/icons/meadow.heic"' \
  "icons/meadow.heic: the saver cannot show this picture: no decoder recognises its content or its extension: it is a HEIC picture that ris could not convert: HEIC: "
refused webp-picture 'rm "$product/icons/meadow.png"; printf "RIFF\x1a\0\0\0WEBPVP8L" >"$product/icons/meadow.webp"' \
  "icons/meadow.webp: the saver cannot show this picture: no decoder recognises its content or its extension: it is a WebP picture that ris could not convert: WebP: the file ends early; convert it to JPEG or PNG first"
refused webp-beyond-limits 'printf "RIFF\x16\0\0\0WEBPVP8L\x0a\0\0\0\x2f\xff\xff\xff\x0f\0\0\0\0\0" >"$product/icons/ocean.webp"' \
  "icons/ocean.webp: the saver cannot show this picture: no decoder recognises its content or its extension: it is a WebP picture that ris could not convert: WebP: its size, 16384 x 16384, is beyond what the saver decodes"
refused webp-beyond-its-bytes 'printf "RIFF\x16\0\0\0WEBPVP8L\x0a\0\0\0\x2f\xff\x0f\xfc\x0f\0\0\0\0\0" >"$product/icons/ocean.webp"' \
  "icons/ocean.webp: the saver cannot show this picture: no decoder recognises its content or its extension: it is a WebP picture that ris could not convert: WebP: its declared size, 4096 x 16369, is more than its 30 bytes can hold"
refused no-background 'rm "$product/backgrounds/ocean.ppm"' "set 'ocean' has no background (backgrounds/ocean.*)"
refused no-moving-picture 'rm "$product/icons/meadow.png"' "set 'meadow' has no moving picture (icons/meadow.*)"
refused no-thumbnail 'mv "$product/icons/thumbs/ocean.png" "$product/icons/thumbs/sea.png"' \
  "set 'ocean' has no thumbnail (icons/thumbs/ocean.*)"
# The saver finds entries in any letter case, so one of the two would never be seen.
refused names-differing-in-case 'cp "$product/backgrounds/ocean.ppm" "$product/backgrounds/Ocean.ppm"' \
  "backgrounds/ocean.ppm: the archive already holds an entry of that name"
refused broken-picture 'printf "not a picture" >"$product/icons/ocean.png"' \
  "icons/ocean.png: the saver cannot show this picture: Cannot load image. Invalid or unexpected PNG image format."
refused unknown-format 'mv "$product/icons/ocean.png" "$product/icons/ocean.xyz"; printf "plain text" >"$product/icons/ocean.xyz"' \
  "icons/ocean.xyz: the saver cannot show this picture: no decoder recognises its content or its extension"
refused empty-picture ': >"$product/icons/thumbs/meadow.png"' \
  "icons/thumbs/meadow.png: the saver cannot show this picture"
# A title names the user's registry key, the setup and its folder.
for title in 'Canary\0x' 'Lone\rCR' 'Lone\nLF' 'Tab\tbed' 'Microsoft\\Windows'; do
  refused "title ${title@Q}" "perl -pi -e 's/^title=.*\\r/title=$title\\r/' \"\$product/settings.txt\"" \
    "settings.txt: the title"
done
refused two-findings-at-once 'rm "$product/settings.txt" "$product/icons/ocean.png"' \
  "set 'ocean' has no moving picture"

pack "$work/does-not-exist" "$work/none.dat" --saver None.scr
check "a missing folder is an error" eval 'exited 1 && said "is not a folder" && [[ ! -e "$work/none.dat" ]]'
pack "$work/good" "$work/no-such-folder/out.dat" --saver Out.scr
check "an unwritable output is an error" eval 'exited 1 && said "error: cannot write"'

# --- usage -----------------------------------------------------------------
pack "$work/good" "$work/u.dat"
check "--saver is required" exited 2
pack "$work/good" "$work/u.dat" --saver Demo.exe
check "--saver must name a .scr" eval 'exited 2 && said "--saver wants"'
# A name no saver can have on Windows, or one whose password differs from
# one system to the next.
for saver in 'a"b.scr' 'a:b.scr' 'CON.scr' $'a\tb.scr' 'a.scr.' 'a.scr ' 'Blüten.scr'; do
  pack "$work/good" "$work/u.dat" --saver "$saver"
  check "saver name ${saver@Q} is refused" eval 'exited 2 && said "ris pack: --saver" && [[ ! -e $work/u.dat ]]'
done
pack "$work/good" "$work/u.dat" --saver Demo.scr --fast
check "unknown option" exited 2
pack "$work/good" --saver Demo.scr
check "output is required" exited 2

finish
