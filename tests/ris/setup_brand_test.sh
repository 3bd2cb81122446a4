#!/usr/bin/env bash
# A setup with its maker's brand: the [setup] section ris pack checks and
# ris installer builds with, the options that stand for its keys, the
# languages, and the package manager's manifest. What the setup shows and
# does is seen under Wine by the end-to-end tests.
source "$(dirname "$0")/harness.sh" "$1"

make_engine "$work/engine.scr"
run_ris new "$work/product" --title "Flower Power"
content=$work/product
mkdir -p "$content/setup"
convert -size 48x48 xc:orange -define icon:auto-resize=48,32,16 "$content/setup/brand.ico"
convert -size 400x300 gradient:navy-gold "$content/setup/side.png"
printf 'Licence d\xe9taill\xe9e du produit.\r\n' >"$content/setup/licence.txt"  # in code page 1252

# set_key KEY VALUE: the line KEY=... of settings.txt, whatever its section.
set_key() { sed -i "s|^$1=.*\r\$|$1=$2\r|" "$content/settings.txt"; }
pack() { run_ris pack "$content" "$work/Flowers.dat" --saver Flowers.scr; }

# Each refused value is named by its line, as pack and installer both say.
refused=(
  'icon|setup/side.png|is no icon the setup can carry'
  'icon|setup/none.ico|is no file of the product'"'"'s setup/ folder'
  'wizardPicture|setup/licence.txt|is no picture the setup can show'
  'language|Klingon|a setup speaks no language named '"'"'Klingon'"'"
  'publisherUrl|not an address|is no address a browser could open'
)
for row in "${refused[@]}"; do
  IFS='|' read -r key value message <<<"$row"
  set_key "$key" "$value"
  pack
  check "[setup] $key=$value is refused by pack" \
    eval 'exited 1 && grep -qE "^error: settings.txt line [0-9]+, \[setup\] $key: .*$message" "$work/stderr"'
  set_key "$key" ""
done

set_key icon setup/brand.ico
set_key wizardPicture setup/side.png
set_key headerPicture 'setup\\side.png'  # sed reads the backslash doubled
set_key licence setup/licence.txt
set_key language French
set_key publisherUrl https:www.example.org/about
pack
check "a product with its brand packs" exited 0

run_ris installer --languages
check "--languages lists the setup's languages" \
  eval 'exited 0 && grep -qx "French, code page 1252" "$work/stdout" && grep -q "^Japanese.*in English" "$work/stdout"'

if ! command -v makensis >/dev/null || ! command -v wrestool >/dev/null; then
  echo "skip setups built: makensis or icoutils is not installed"
  finish
  exit
fi
# Built without compression, the setup's strings can be read: UTF-16, each
# ending in a NUL.
printf '#!/bin/sh\nexec makensis "-XSetCompressor /FINAL zlib" "-XSetCompress off" "$@"\n' >"$work/makensis"
chmod +x "$work/makensis"
setup_holds() { iconv -c -f UTF-16LE -t UTF-8 "$work/setup.exe" 2>/dev/null | tr '\0' '\n' | grep -qF -- "$1"; }
installer() {
  run_ris installer "$work/Flowers.dat" --saver Flowers.scr --engine "$work/engine.scr" --out "$work/setup.exe" \
    --makensis "$work/makensis" "$@"
}

installer --winget https://www.example.org/FlowersSetup.exe
check "the branded setup speaks French, with the licence and the maker's site" eval \
  'exited 0 && setup_holds "Qui utilise Flower Power" && setup_holds "Licence détaillée du produit." &&
   setup_holds "https://www.example.org/about"'
# The setup's own icon resource is the maker's icon, every size of it.
mkdir -p "$work/extracted" "$work/theirs" "$work/ours"
wrestool -x -t 14 -o "$work/extracted/brand.ico" "$work/setup.exe" 2>/dev/null
icotool -x -o "$work/theirs" "$content/setup/brand.ico" 2>/dev/null
icotool -x -o "$work/ours" "$work/extracted/brand.ico" 2>/dev/null
check "the setup's icon resource is the maker's icon, in its three sizes" \
  eval '[[ $(ls "$work/ours" | wc -l) -eq 3 ]] && diff -r "$work/theirs" "$work/ours" >/dev/null'

installer --language German --publisher-url www.example.net
check "options stand for the section's keys" \
  eval 'exited 0 && setup_holds "Wer Flower Power verwendet" && setup_holds "http://www.example.net"'

# The package manager's manifest: every field its schema requires, and the
# digest of the setup it was written beside.
manifests=$work/setup.winget
id=TheMakers.FlowerPower
required=(
  "$id.yaml|PackageIdentifier PackageVersion DefaultLocale ManifestType ManifestVersion"
  "$id.installer.yaml|PackageIdentifier PackageVersion InstallerType Installers Architecture InstallerUrl InstallerSha256 Scope ManifestType ManifestVersion"
  "$id.locale.en-US.yaml|PackageIdentifier PackageVersion PackageLocale Publisher PackageName License ShortDescription ManifestType ManifestVersion"
)
for row in "${required[@]}"; do
  file=${row%%|*}
  missing=
  for field in ${row#*|}; do grep -qE "^(- |  )?$field:" "$manifests/$file" 2>/dev/null || missing+=" $field"; done
  check "$file holds every required field${missing:+ (missing:$missing)}" test -z "$missing"
done
run_ris installer "$work/Flowers.dat" --saver Flowers.scr --engine "$work/engine.scr" --out "$work/setup.exe" \
  --winget https://www.example.org/FlowersSetup.exe
digest=$(sha256sum "$work/setup.exe" | cut -d' ' -f1)
check "the manifest carries the setup's SHA-256, for both scopes" \
  eval '[[ $(grep -ci "InstallerSha256: \"$digest\"" "$manifests/$id.installer.yaml") -eq 2 ]]'
check "the manifest names the version and the maker's site" eval \
  'grep -qx "PackageVersion: \"1.0\"" "$manifests/$id.yaml" &&
   grep -qx "PublisherUrl: \"https://www.example.org/about\"" "$manifests/$id.locale.en-US.yaml"'
installer --winget ftp://example.org/setup.exe
check "--winget wants a web address" eval 'exited 1 && said "--winget wants the web address"'
installer --winget https://example.org/setup.exe --winget-id 'Only'
check "a package identifier of one part is refused" eval 'exited 1 && said "--winget-id '"'"'Only'"'"': it has 2 to 8 parts"'

# A code page written in several languages: the setup speaks English until
# the maker names one.
set_key language ""
set_key codePage 1250
pack
check "code page 1250 without a language: a warning that names the choices" \
  eval 'exited 0 && said "code page 1250 is written in several languages (Polish, Czech, Slovak, Hungarian"'
finish
