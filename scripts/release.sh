#!/usr/bin/env bash
# Builds the release files of the checked-out commit into one folder
# (build/dist/release, or --out DIR): the Windows saver and ris.exe, the
# demo's setup program, archive and Debian package, SHA256SUMS and a
# RELEASE.md that says what each file is and how to check it.
#   scripts/release.sh [--out DIR] [--pfx CERT.pfx --password-file FILE|-] [--timestamp URL]
# The files are reproducible: the same commit gives the same bytes in any
# folder, at any time (SOURCE_DATE_EPOCH is the commit's time), so anyone can
# rebuild a release and compare its SHA256SUMS. So it builds only a checkout
# without changes. With a key, the Windows programs are signed (the saver in
# the setup too); their password is read once, the first line of FILE or of
# standard input. Signed files stay reproducible for the same key, unless a
# timestamp server signs the time it answered at.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: $0 [--out DIR] [--pfx CERT.pfx --password-file FILE|-] [--timestamp URL]" >&2
  exit 2
}
out=build/dist/release
signing=()
password_file=
while [[ $# -gt 0 ]]; do
  [[ $# -ge 2 ]] || usage
  case $1 in
    --out) out=$2 ;;
    --pfx | --timestamp) signing+=("$1" "$2") ;;
    --password-file) password_file=$2 ;;
    *) usage ;;
  esac
  shift 2
done
if [[ ${#signing[@]} -gt 0 && -z $password_file ]]; then
  echo "release: --pfx needs --password-file FILE (or - for standard input)" >&2
  exit 2
fi

if [[ -n $(git status --porcelain) ]]; then
  echo "release: the checkout has changes; a release is built from a commit as it is:" >&2
  git status --short >&2
  exit 1
fi
commit=$(git rev-parse HEAD)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
# File modes go into the package as they are on disk.
umask 022

# The password stays in this shell: each signing command reads it from a
# pipe, never from a file or its command line.
password=
if [[ -n $password_file ]]; then
  if [[ $password_file == - ]]; then
    IFS= read -r password || true
  else
    IFS= read -r password <"$password_file" || true
  fi
fi
signed() {
  if [[ ${#signing[@]} -eq 0 ]]; then
    "$@"
  else
    printf '%s\n' "$password" | "$@" "${signing[@]}" --password-file -
  fi
}

scripts/install-deps.sh
source scripts/quiet_steps.sh

# Trees of their own: the host build without tests and benchmarks, the
# Windows build on it with its own libjpeg-turbo and libtiff.
linux=build/dist/linux
windows=build/dist/windows
echo "== Linux build (the demo's archive and package, ris)"
quietly cmake -S . -B "$linux" -G Ninja -DCMAKE_CXX_COMPILER=g++ -DCMAKE_BUILD_TYPE=Release \
  -DRIS_WERROR=ON -DRIS_BUILD_TESTS=OFF -DRIS_BUILD_BENCHMARKS=OFF
# The archive's entries carry SOURCE_DATE_EPOCH, which the build does not
# track: one packed for an earlier commit would be kept.
rm -f "$linux/demo/Demo.dat"
quietly cmake --build "$linux" -j "$jobs"
echo "== Windows build"
scripts/build-mingw-libraries.sh "$windows"
quietly cmake --preset windows -B "$windows" -DRIS_HOST_TOOLS_DIR="$PWD/$linux" \
  -DRIS_MINGW_PREFIX="$PWD/$windows/third_party/mingw"
quietly cmake --build "$windows" -j "$jobs" --target saver ris
echo "== Debian package"
rm -rf build/dist/deb
quietly cpack --config "$linux/CPackConfig.cmake" -G DEB -B "$PWD/build/dist/deb"

echo "== release files in $out"
ris=$linux/tools/ris/ris
rm -rf "$out"
mkdir -p "$out"
cp "$windows/Demo.scr" "$windows/ris.exe" "$linux/demo/Demo.dat" build/dist/deb/*.deb "$out/"
deb=$(cd "$out" && ls ./*.deb)
deb=${deb#./}
if [[ ${#signing[@]} -gt 0 ]]; then
  for program in Demo.scr ris.exe; do
    quietly signed "$ris" sign "$out/$program"
  done
fi
quietly signed "$ris" installer "$out/Demo.dat" --saver Demo.scr --engine "$windows/Demo.scr" \
  --out "$out/DemoSetup.exe"

signature_note="They are not signed."
[[ ${#signing[@]} -eq 0 ]] ||
  signature_note="Demo.scr, ris.exe and DemoSetup.exe (and the Demo.scr it installs) carry an Authenticode signature."
cat >"$out/RELEASE.md" <<EOF
# Release of commit $commit

Built by \`scripts/release.sh\`. Where these files carry a time (archive entries, the
package's files, a signature's signing time), it is the commit's:
$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC').

| file | what it is |
|---|---|
| \`Demo.scr\` | the screen saver for 64-bit Windows, as the demo product's engine |
| \`Demo.dat\` | the demo's data archive: beside \`Demo.scr\`, under the same name |
| \`DemoSetup.exe\` | the demo's setup program for Windows: installs \`Demo.scr\` and \`Demo.dat\` |
| \`ris.exe\` | the companion command for product makers on Windows (\`ris pack\`, \`ris installer\`, ...) |
| \`$deb\` | the demo for XScreenSaver on Debian and Ubuntu (\`sudo apt install ./$deb\`) |
| \`SHA256SUMS\` | the SHA-256 of every other file |

## Checking the files

On Linux, in the folder of the downloaded files: \`sha256sum -c --ignore-missing SHA256SUMS\`
prints \`OK\` for each. On Windows, in PowerShell: \`Get-FileHash DemoSetup.exe\` gives
the hash to compare with its line in \`SHA256SUMS\`.

$signature_note A signed file shows its signer on the *Digital Signatures* tab of its
properties in Explorer; in PowerShell \`Get-AuthenticodeSignature DemoSetup.exe\` says
\`Valid\` and names the signer; on Linux \`osslsigncode verify DemoSetup.exe\` does the
same. A file changed after signing fails these checks.

## Rebuilding

The files are reproducible: \`git checkout $commit && scripts/release.sh\` on Debian 12
gives the same \`SHA256SUMS\` (signed files: with the same key and no timestamp server).
EOF

(cd "$out" && sha256sum Demo.dat Demo.scr DemoSetup.exe RELEASE.md "$deb" ris.exe >SHA256SUMS)
cat "$out/SHA256SUMS"
