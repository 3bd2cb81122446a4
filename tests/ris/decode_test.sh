#!/usr/bin/env bash
# Decodes pictures with the real ris and checks its output against
# ImageMagick's own reading of the same files, then the exit codes of the
# failures: no decoder, a decoder error, an unreadable input.
source "$(dirname "$0")/harness.sh" "$1"

decode() { run_ris decode "$@"; }

# The payload of a PAM: everything after its ENDHDR line.
pam_payload() { sed '1,/^ENDHDR$/d' "$1"; }
same_pixels() { cmp -s <(convert "$1" -depth 8 rgba:-) <(pam_payload "$2"); }

if ! command -v convert >/dev/null; then
  echo "ImageMagick missing: skipped"
  exit 0
fi
cd "$work" || exit 1

convert -size 37x21 gradient:'#ff8000-#0040ff' -alpha set -region 5x5+3+4 -alpha transparent +region -depth 8 \
  -define png:color-type=6 rgba.png
convert -size 30x9 gradient:gray -depth 8 -interlace PNG -define png:color-type=0 grey.png

for picture in rgba.png grey.png; do
  decode "$picture" "$picture.pam"
  check "$picture: exit 0" exited 0
  check "$picture: PAM header" grep -qa '^TUPLTYPE RGB_ALPHA$' "$picture.pam"
  check "$picture: PAM pixels as ImageMagick reads them" same_pixels "$picture" "$picture.pam"

  decode "$picture" "$picture.out.PNG"
  check "$picture: PNG out exit 0" exited 0
  check "$picture: PNG out has the same pixels" \
    cmp -s <(convert "$picture" -depth 8 rgba:-) <(convert "$picture.out.PNG" -depth 8 rgba:-)
done

# Content wins over the name.
cp rgba.png disguised.jpg
decode disguised.jpg disguised.pam
check "PNG named .jpg: decoded" exited 0
check "PNG named .jpg: PAM pixels" same_pixels rgba.png disguised.pam

printf 'just some text\n' > notes.txt
decode notes.txt notes.pam
check "no decoder: exit 3" exited 3
check "no decoder: nothing written" test ! -e notes.pam

head -c 60 rgba.png > cut.png
decode cut.png cut.pam
check "damaged PNG: exit 4" exited 4
check "damaged PNG: decoder's message" said "PNG file"
check "damaged PNG: nothing written" test ! -e cut.pam

# A metafile is measured, but only Windows draws it.
printf '\x01\x00\x09\x00\x00\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x05\x00\x00\x00\x0c\x02\x14\x00\x1e\x00\x03\x00\x00\x00\x00\x00' > drawing.wmf
decode drawing.wmf drawing.pam
check "metafile: exit 4" exited 4
check "metafile: drawn by Windows only" said "Windows metafiles (WMF, EMF) are drawn by Windows only."

decode missing.png missing.pam
check "unreadable input: exit 1" exited 1

decode only-one-argument.png
check "usage: exit 2" exited 2

finish
