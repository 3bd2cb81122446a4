#!/usr/bin/env bash
# Cross-builds a static libjpeg-turbo for the Windows saver from Debian's own
# source package, with its SIMD code, into BUILD_DIR/third_party/mingw, where
# cmake/mingw-w64-x86_64.cmake finds it. Done once: a stamp file in that
# prefix makes later runs return at once. Quiet; on failure the tail of the
# log is printed.
#   scripts/build-mingw-libjpeg.sh BUILD_DIR
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
build_dir=$(cd "$1" && pwd)
third_party=$build_dir/third_party
prefix=$third_party/mingw
stamp=$prefix/.libjpeg-turbo-built
[[ -f $stamp ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive

mkdir -p "$third_party/src"
log=$third_party/libjpeg-turbo.log
: >"$log"
fail() {
  tail -n 40 "$log"
  echo "libjpeg-turbo for MinGW: $1 failed (full log: $log)" >&2
  exit 1
}

# apt-get source needs deb-src entries. They are derived from the machine's
# own Debian entries (those of this release's suites), so they name the same
# mirror and keys; third-party repositories publish no sources and are left
# out.
ensure_deb_src() {
  apt-cache showsrc libjpeg-turbo 2>/dev/null | grep -q '^Package:' && return 0
  local codename list=/etc/apt/sources.list.d/ris-deb-src.sources
  local legacy=/etc/apt/sources.list.d/ris-deb-src.list
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  local suite="^${codename}(-[a-z]+)?\$"
  local stanzas="" lines=""
  if compgen -G '/etc/apt/sources.list.d/*.sources' >/dev/null; then
    # Paragraph mode: one deb822 stanza per record; keep those of type deb
    # whose suites are this release's, and make them deb-src.
    stanzas=$(awk -v RS='' -v ORS='\n\n' -v suite="$suite" '
      {
        types = ""; keep = 0; n = split($0, field, "\n")
        for (i = 1; i <= n; i++) {
          if (field[i] ~ /^Types:/) types = field[i]
          if (field[i] ~ /^Suites:/) {
            m = split(field[i], word, /[ \t]+/)
            for (j = 2; j <= m; j++) if (word[j] ~ suite) keep = 1
          }
        }
        if (!keep || types !~ /[ \t]deb([ \t]|$)/) next
        out = ""
        for (i = 1; i <= n; i++) {
          if (field[i] ~ /^Types:/) field[i] = "Types: deb-src"
          out = out field[i] "\n"
        }
        printf "%s\n", out
      }' /etc/apt/sources.list.d/*.sources)
  fi
  if [[ -f /etc/apt/sources.list ]]; then
    # One-line entries: "deb [options] URI SUITE COMPONENTS...".
    lines=$(awk -v suite="$suite" '
      $1 == "deb" {
        i = 2
        if ($2 ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
        if ($(i + 1) ~ suite) { $1 = "deb-src"; print }
      }' /etc/apt/sources.list)
  fi
  if [[ -z $stanzas && -z $lines ]]; then
    echo "no Debian $codename entry in /etc/apt to derive deb-src from" >>"$log"
    fail "finding the apt sources"
  fi
  [[ -z $stanzas ]] || printf '%s\n' "$stanzas" | "${sudo[@]}" tee "$list" >/dev/null
  [[ -z $lines ]] || printf '%s\n' "$lines" | "${sudo[@]}" tee "$legacy" >/dev/null
  "${sudo[@]}" apt-get update -qq >>"$log" 2>&1 || fail "apt-get update"
}

# dpkg-source, which apt-get source runs to unpack and patch the package.
if [[ $(dpkg-query -W -f='${db:Status-Status}' dpkg-dev 2>/dev/null || true) != installed ]]; then
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends dpkg-dev >>"$log" 2>&1 ||
    fail "installing dpkg-dev"
fi

source_dir=$(find "$third_party/src" -mindepth 2 -maxdepth 2 -name CMakeLists.txt \
  -path '*/libjpeg-turbo-*' -printf '%h\n' 2>/dev/null | head -n 1)
if [[ -z $source_dir ]]; then
  ensure_deb_src
  (cd "$third_party/src" && apt-get source -qq libjpeg-turbo) >>"$log" 2>&1 ||
    fail "apt-get source libjpeg-turbo"
  source_dir=$(find "$third_party/src" -mindepth 2 -maxdepth 2 -name CMakeLists.txt \
    -path '*/libjpeg-turbo-*' -printf '%h\n' | head -n 1)
  [[ -n $source_dir ]] || fail "unpacking libjpeg-turbo"
fi

# The library only: the command-line programs and TurboJPEG are not wanted.
# REQUIRE_SIMD makes a missing nasm an error rather than a slow library.
object_dir=$third_party/build-libjpeg-turbo
rm -rf "$object_dir" "$prefix"
cmake -S "$source_dir" -B "$object_dir" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DRIS_MINGW_PREFIX="$prefix" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
  -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm \
  >>"$log" 2>&1 || fail "configuring"
cmake --build "$object_dir" -j "$(nproc)" >>"$log" 2>&1 || fail "building"
cmake --install "$object_dir" >>"$log" 2>&1 || fail "installing"
[[ -f $prefix/include/jpeglib.h ]] || fail "installing jpeglib.h"
basename "$source_dir" >"$stamp"
