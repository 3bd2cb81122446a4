#!/usr/bin/env bash
# The peak memory and time of showing a background far larger than the
# screen: `ris render` at 1920 x 1080 of a product whose one background is a
# 471-byte Group 4 TIFF page of 32768 x 2048, a flat 8192 x 8192 PNG, a
# 12000 x 9000 JPEG or an 8000 x 8000 RLE BMP. Each must peak under 96 MB;
# with EARLIER_RIS, that build's peaks and times are printed beside.
#   bench/pictures/shown_size_memory.sh BUILD_DIR [EARLIER_RIS]
set -uo pipefail
ris=${1:?usage: bench/pictures/shown_size_memory.sh BUILD_DIR [EARLIER_RIS]}/tools/ris/ris
earlier=${2:-}
limit_kb=$((96 * 1024))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# An 8-bit RLE BMP of one colour: each row one run of 255 and one of the rest.
rle_bmp() {
  python3 - "$1" "$2" "$3" <<'PY'
import struct, sys
width, height, out = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
row = bytes([255, 1, (width - 255) % 256 or 0, 1]) if width > 255 else bytes([width, 1])
runs, left = b"", width
while left:
    n = min(left, 255)
    runs += bytes([n, 1])
    left -= n
pixels = (runs + b"\0\0") * height + b"\0\1"
palette = b"\0\0\0\0" + b"\x90\x60\x30\0" + b"\0" * 4 * 254
header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 1, len(pixels), 2835, 2835, 256, 0)
offset = 14 + len(header) + len(palette)
open(out, "wb").write(b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + header + palette + pixels)
PY
}

pbmmake -white 32768 2048 | pnmtotiff -g4 >"$work/page.tif" 2>/dev/null
ppmmake '#3060a0' 8192 8192 | pnmtopng >"$work/flat.png"
ppmmake '#406080' 12000 9000 | pnmtojpeg --quality 90 >"$work/photo.jpg"
rle_bmp 8000 8000 "$work/runs.bmp"

product() {
  local folder=$work/product-$1
  "$ris" new "$folder" --title "Shown Size" >/dev/null 2>&1
  rm -f "$folder"/backgrounds/* "$folder"/icons/*.png "$folder"/icons/thumbs/*
  cp "$work/$1" "$folder/backgrounds/big.${1##*.}"
  ppmmake orange 64 64 | pnmtopng >"$folder/icons/big.png"
  ppmmake orange 16 16 | pnmtopng >"$folder/icons/thumbs/big.png"
  # Zipped as it is: ris pack checks a picture decoded whole, which refuses
  # a JPEG past 64 Mi pixels that the saver shows at a reduced scale.
  (cd "$folder" && zip -q -r -P rimagesSHOWN "$work/$1.dat" settings.txt backgrounds icons)
}
# peak RIS PICTURE: "KB SECONDS" of one render.
peak() {
  /usr/bin/time -f "%M %e" "$1" render "$work/$2.dat" --saver Shown.scr --size 1920x1080 --seconds 1 \
    --out "$work/frame.png" 2>&1 >/dev/null | tail -n1
}

failed=0
printf '%-10s %10s %8s %s\n' picture "peak MB" seconds "${earlier:+(earlier: peak MB, seconds)}"
for picture in page.tif flat.png photo.jpg runs.bmp; do
  product "$picture"
  read -r kb seconds < <(peak "$ris" "$picture")
  line=$(printf '%-10s %10.1f %8s' "$picture" "$(bc -l <<<"$kb / 1024")" "$seconds")
  if [[ -n $earlier ]]; then
    read -r earlier_kb earlier_seconds < <(peak "$earlier" "$picture")
    line+=$(printf '   (%.1f, %s)' "$(bc -l <<<"$earlier_kb / 1024")" "$earlier_seconds")
  fi
  ((kb < limit_kb)) || { line+="   over 96 MB"; failed=1; }
  echo "$line"
done
exit $failed
