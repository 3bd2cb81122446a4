#!/usr/bin/env bash
# A product made from a folder of photos, as a maker of photo savers starts:
# a set per photo, each background upright and no larger than 3840 x 2160,
# a framed moving picture and thumbnail keyed by a colour the photo lacks,
# and a product that packs without a finding. Photos in today's camera
# formats (WebP, AVIF, HEIC, JPEG XL) are converted on the way.
source "$(dirname "$0")/harness.sh" "$1"

photos=$work/photos
mkdir -p "$photos"
sideways_photo "$photos/Beach Day.jpg" 4000 3000
convert -size 8000x6000 gradient:navy-gold -quality 80 "$photos/PANORAMA.JPG"
convert -size 640x480 xc:none -fill '#20a040' -draw 'circle 320,240 320,40' "$photos/leaf.png"
# Red above blue; stored sideways (red on the left) where the format says
# how to turn it: WebP by its EXIF orientation 6, AVIF by its irot.
convert -size 1200x450 xc:red -size 1200x450 xc:blue -append "$work/upright.png"
convert "$work/upright.png" -quality 95 "$work/upright.jpg"
convert "$work/upright.png" -rotate -90 "$work/sideways.png"
printf 'MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0' >"$work/exif6"
cwebp -quiet "$work/sideways.png" -o "$work/plain.webp"
webpmux -set exif "$work/exif6" "$work/plain.webp" -o "$photos/Browser.webp" >/dev/null
avifenc --irot 3 "$work/sideways.png" "$photos/Tablet.avif" >/dev/null
heif-enc -o "$photos/Phone.heic" "$work/upright.jpg" >/dev/null
cjxl "$work/upright.png" "$photos/Camera.jxl" >/dev/null 2>&1

run_ris new "$work/product" --title "Holiday" --photos "$photos"
check "ris new --photos makes a set of each photo" eval 'exited 0 && [[ $(grep -c "^set " "$work/stdout") -eq 7 ]]'
size() { identify -format '%wx%h' "$work/product/$1"; }
red_above_blue() { [[ $(convert "$work/product/$1" -resize '2x2!' -format '%[fx:p{0,0}.r>0.7&&p{0,1}.b>0.7]' info:) == 1 ]]; }
for set in browser:1200x900 tablet:1200x900 phone:1200x900 camera:1200x900; do
  check "the ${set%%:*} photo is converted to JPEG, upright" eval \
    '[[ $(size backgrounds/${set%%:*}.jpg) == ${set#*:} ]] && red_above_blue backgrounds/${set%%:*}.jpg'
done
for background in "$work"/product/backgrounds/*; do
  set=$(basename "${background%.*}")
  check "set $set: background within 3840 x 2160, moving picture and thumbnail" eval \
    '[[ $(identify -format "%[fx:w<=3840&&h<=2160]" "$background") == 1 &&
       -f $work/product/icons/$set.png && -f $work/product/icons/thumbs/$set.png ]]'
done
check "the sideways photo stands upright, shrunk to the screen" test "$(size 'backgrounds/beach day.jpg')" = 1620x2160
check "its left half, red, is now on top" eval \
  '[[ $(convert "$work/product/backgrounds/beach day.jpg" -crop 1x1+810+100 -format "%[fx:round(r*9)]%[fx:round(b*9)]" info:) == 90 ]]'
check "a photo larger than any screen is shrunk" test "$(size backgrounds/panorama.jpg)" = 2880x2160
check "a photo that fits is stored as it was" cmp -s "$photos/leaf.png" "$work/product/backgrounds/leaf.png"
check "each set has its moving picture and a fifth of it as thumbnail" eval \
  '[[ $(size icons/leaf.png) == 96x75 && $(size icons/thumbs/leaf.png) == 19x15 ]]'
check "the folder records which photo made which set" grep -qx "panorama	$photos/PANORAMA.JPG" "$work/product/photos.txt"

run_ris pack "$work/product" "$work/Holiday.dat" --saver Holiday.scr
check "the product packs without a finding" eval 'exited 0 && [[ ! -s $work/stderr ]]'
script -qec "${ris@Q} pack ${work@Q}/product ${work@Q}/Holiday.dat --saver Holiday.scr" /dev/null >"$work/terminal"
check "on a terminal, pack shows its progress" grep -qF "packing: 1 of " "$work/terminal"
run_ris list "$work/Holiday.dat" --saver Holiday.scr
check "the saver finds the seven sets" eval \
  '[[ $(tail -n +2 "$work/stdout" | cut -f1 | tr "\n" " ") == "beach day browser camera leaf panorama phone tablet " ]]'

# The moving picture's corner colour is keyed out: no pixel of the photo
# may have it, or the saver would punch holes into the photo.
corner=$(convert "$work/product/icons/leaf.png" -format '%[pixel:p{0,0}]' info:)
check "the key colour is the corner's and the frame's border only" eval \
  '[[ $(convert "$work/product/icons/leaf.png" -fill black +opaque "$corner" -fill white -opaque "$corner" -format "%[fx:round(mean*96*75)]" info:) -eq $((96 * 2 + 73 * 2)) ]]'

cp "$photos/leaf.png" "$work/Leaf;2.png"
convert -size 40x40 xc:magenta -fill gold -draw 'circle 20,20 20,4' "$work/ball.png"
run_ris add "$work/product" "$photos/leaf.png" "$work/Leaf;2.png" --sprite "$work/ball.png"
check "ris add names sets apart and cleans their names" eval \
  'exited 0 && [[ -f $work/product/backgrounds/leaf-2.png && -f $work/product/backgrounds/leaf_2.png ]]'
check "--sprite is the moving picture, its thumbnail a fifth of it" eval \
  'cmp -s "$work/ball.png" "$work/product/icons/leaf-2.png" && [[ $(size icons/thumbs/leaf-2.png) == 8x8 ]]'
# A background larger than any screen, put in by hand: pack says so and
# names --shrink, which stores it shrunk.
cp "$photos/PANORAMA.JPG" "$work/product/backgrounds/leaf-2.jpg"
rm "$work/product/backgrounds/leaf-2.png"
run_ris pack "$work/product" "$work/Holiday.dat" --saver Holiday.scr
check "pack names --shrink for a background larger than any screen" said "(pack with --shrink shrinks it to 3840 x 2160)"
run_ris pack "$work/product" "$work/Holiday.dat" --saver Holiday.scr --shrink
check "pack --shrink stores it shrunk" eval \
  'exited 0 && said "note: backgrounds/leaf-2.jpg: shrunk from 8000 x 6000 to 2880 x 2160" &&
   [[ $(unzip -p -P rimagesHOLID "$work/Holiday.dat" backgrounds/leaf-2.jpg | identify -format %wx%h -) == 2880x2160 ]]'

# A WebP put into backgrounds/ by hand is stored as the JPEG it converts to.
rm "$work/product/backgrounds/leaf-2.jpg"
cp "$photos/Browser.webp" "$work/product/backgrounds/leaf-2.webp"
run_ris pack "$work/product" "$work/Holiday.dat" --saver Holiday.scr
check "pack converts a WebP background, upright" eval \
  'exited 0 && said "note: backgrounds/leaf-2.webp: WebP converted to JPEG, stored as backgrounds/leaf-2.jpg" &&
   [[ $(unzip -p -P rimagesHOLID "$work/Holiday.dat" backgrounds/leaf-2.jpg | identify -format %wx%h -) == 1200x900 ]]'

echo "not a picture" >"$work/notes.jpg"
run_ris add "$work/product" "$work/notes.jpg"
check "a file that is no picture makes no set" eval 'exited 1 && said "notes.jpg" && [[ ! -e $work/product/backgrounds/notes.jpg ]]'

finish
