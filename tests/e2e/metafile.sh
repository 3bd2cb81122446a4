# Windows metafiles end to end, sourced by run.sh after the harness: GDI
# records an EMF, a placeable WMF and a plain WMF (e2e_metafiles), the host's
# ris packs them as a product of two sets, and the real saver shows each set
# alone: "teal", an EMF background under placeable WMF moving pictures, and
# "olive", a plain WMF background under EMF ones. The screen is checked by
# the colours the writer drew with (see metafile_writer.cpp).

product=$folder/metafiles
content=$product/content
metafile_key='HKCU\Software\Metafile Pictures'
metafile_images=6

mkdir -p "$product/drawn" "$content/backgrounds" "$content/icons/thumbs"
timeout 60 wine "$metafile_writer_exe" 'C:\e2e\metafiles\drawn' >"$work/metafiles.out" 2>"$work/stderr"
check "GDI records the EMF, placeable WMF and plain WMF pictures" \
  eval '[[ $(grep -c "^written=" "$work/metafiles.out") -eq 4 ]]'

# A set's pictures share its name; the thumbnail is the moving picture.
place_set() {
  local set=$1 background=$2 sprite=$3
  cp "$product/drawn/$background" "$content/backgrounds/$set.${background##*.}"
  cp "$product/drawn/$sprite" "$content/icons/$set.${sprite##*.}"
  cp "$product/drawn/$sprite" "$content/icons/thumbs/$set.${sprite##*.}"
}
place_set teal background.emf sprite.wmf
place_set olive background_plain.wmf sprite.emf
plain_settings "Metafile Pictures" "$metafile_images" >"$content/settings.txt"
"$host_ris" pack "$content" "$product/Demo.dat" --saver Demo.scr >"$work/stdout" 2>"$work/stderr"
check "ris packs the metafile product" test -s "$product/Demo.dat"
cp "$build/Demo.scr" "$product/Demo.scr"

# metafile_set SET BACKGROUND SPRITE WHAT: the product's saver showing SET
# alone draws its background (colour BACKGROUND, a purple ellipse in its
# middle) over the screen and its moving pictures (a SPRITE square with a
# white margin that is keyed out, 47 x 47 pixels less a blue ellipse).
metafile_set() {
  local set=$1 background=$2 sprite=$3 what=$4
  wine reg add "$metafile_key" /v "sets selectedSets" /t REG_SZ /d "$set" /f >/dev/null 2>&1
  pointer_home
  if ! launch "metafile-$set" /s; then
    fail "$what: saver window"
    done_with_saver
    return
  fi
  sleep 2
  shot "metafile-$set"
  press Escape
  ends_with 0 >/dev/null
  done_with_saver
  : >"$work/stderr"
  local screen=$work/metafile-$set.png whole="${screen_w}x${screen_h}+0+0" area=$((screen_w * screen_h))
  local ground ellipse squares white
  ground=$(pixels_like "$screen" "$whole" "$background")
  ellipse=$(pixels_like "$screen" "$whole" '#800080')
  squares=$(pixels_like "$screen" "$whole" "$sprite")
  white=$(pixels_like "$screen" "$whole" white)
  echo "     $set: $ground background, $ellipse ellipse, $squares square, $white white pixels of $area"
  # Scaled to the screen, the ellipse covers a fifth of it; at the
  # picture's own size it would cover a fiftieth.
  check "$what background fills the screen ($ground of $area pixels)" more_than "$ground" $((area * 7 / 10))
  check "$what background's ellipse scaled with it ($ellipse pixels)" more_than "$ellipse" $((area * 15 / 100))
  # The moving pictures bounce off each other and nothing is drawn over
  # them: more than half of their squares' pixels show.
  check "$what moving pictures shown ($squares pixels)" more_than "$squares" $((metafile_images * 47 * 47 / 2))
  check "$what moving pictures' white margin keyed out ($white white pixels)" more_than 100 "$white"
}

saver='C:\e2e\metafiles\Demo.scr'
metafile_set teal '#008080' '#FF00FF' "EMF background, placeable WMF pictures:"
metafile_set olive '#808000' '#FF8000' "plain WMF background, EMF pictures:"
saver='C:\e2e\Demo.scr'
wine reg delete "$metafile_key" /f >/dev/null 2>&1
