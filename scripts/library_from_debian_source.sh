# Sourced by the scripts that build a static third-party library from
# Debian's own source package into a prefix of a build tree: cross-built for
# the Windows saver (BUILD_DIR/third_party/mingw, where
# cmake/mingw-w64-x86_64.cmake finds it) or instrumented for the fuzz
# targets. Each library is built once per prefix: a stamp file in the prefix
# makes later runs return at once. Quiet; on failure the tail of the
# library's log is printed.
#
#   library_begin NAME PREFIX       # returns 1 when NAME is built there already
#   source_dir=$(debian_source PACKAGE DIR_GLOB [BUILD_FILE])
#   library_cmake_install "$source_dir" -DOPTION=...   (or mingw_cmake_install)
#   library_done HEADER
set -euo pipefail

library_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
library_sudo=()
[[ $(id -u) -eq 0 ]] || library_sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive

# Sources, logs and object folders go beside the prefix.
library_begin() {
  library_name=$1
  mkdir -p "$2"
  prefix=$(cd "$2" && pwd)
  third_party=$(dirname "$prefix")
  library_stamp=$prefix/.$library_name-built
  [[ -f $library_stamp ]] && return 1
  mkdir -p "$third_party/src"
  library_log=$third_party/$library_name.log
  : >"$library_log"
  return 0
}

library_fail() {
  tail -n 40 "$library_log" >&2
  echo "$library_name: $1 failed (full log: $library_log)" >&2
  exit 1
}

# apt-get source needs deb-src entries. They are derived from the machine's
# own Debian entries (those of this release's suites), so they name the same
# mirror and keys; third-party repositories publish no sources and are left
# out.
ensure_deb_src() {
  apt-cache showsrc "$1" 2>/dev/null | grep -q '^Package:' && return 0
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
    echo "no Debian $codename entry in /etc/apt to derive deb-src from" >>"$library_log"
    library_fail "finding the apt sources"
  fi
  [[ -z $stanzas ]] || printf '%s\n' "$stanzas" | "${library_sudo[@]}" tee "$list" >/dev/null
  [[ -z $lines ]] || printf '%s\n' "$lines" | "${library_sudo[@]}" tee "$legacy" >/dev/null
  "${library_sudo[@]}" apt-get update -qq >>"$library_log" 2>&1 || library_fail "apt-get update"
}

# Prints the folder of PACKAGE's unpacked source (a DIR_GLOB folder with the
# build file BUILD_FILE, CMakeLists.txt unless named), fetching it with
# apt-get source into a folder of its own the first time.
debian_source() {
  local package=$1 glob=$2 build_file=${3:-CMakeLists.txt} found
  local sources=$third_party/src/$package
  mkdir -p "$sources"
  find_source() {
    find "$sources" -mindepth 2 -maxdepth 2 -name "$build_file" -path "*/$glob/*" \
      -printf '%h\n' 2>/dev/null | head -n 1
  }
  found=$(find_source)
  if [[ -z $found ]]; then
    # dpkg-source, which apt-get source runs to unpack and patch the package.
    if [[ $(dpkg-query -W -f='${db:Status-Status}' dpkg-dev 2>/dev/null || true) != installed ]]; then
      "${library_sudo[@]}" apt-get install -y -qq --no-install-recommends dpkg-dev >>"$library_log" 2>&1 ||
        library_fail "installing dpkg-dev"
    fi
    ensure_deb_src "$package"
    # The newest version first; a mirror may list a version whose source it
    # no longer carries, so older ones of the same release are tried next.
    local version fetched=""
    for version in $(apt-cache showsrc "$package" | awk '/^Version:/ { print $2 }' | sort -Vru); do
      rm -rf "${sources:?}"/*
      if (cd "$sources" && apt-get source -qq "$package=$version") >>"$library_log" 2>&1; then
        fetched=$version
        break
      fi
    done
    [[ -n $fetched ]] || library_fail "apt-get source $package"
    found=$(find_source)
    [[ -n $found ]] || library_fail "unpacking $package"
  fi
  echo "$found"
}

# Configures SOURCE_DIR as a static Release library with the options given,
# builds it and installs it into the prefix. Its sources and objects lie in
# the third_party folder, whose path the compiler writes relative to it (an
# explicit -DCMAKE_C_FLAGS replaces this), so the library's bytes do not
# depend on where the build tree is.
library_cmake_install() {
  local source_dir=$1
  shift
  local object_dir=$third_party/build-$library_name
  rm -rf "$object_dir"
  CFLAGS="-ffile-prefix-map=$third_party/=" cmake -S "$source_dir" -B "$object_dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF \
    "$@" >>"$library_log" 2>&1 || library_fail "configuring"
  cmake --build "$object_dir" -j "$(nproc)" >>"$library_log" 2>&1 || library_fail "building"
  cmake --install "$object_dir" >>"$library_log" 2>&1 || library_fail "installing"
}

# The same, cross-built with MinGW-w64 against what the prefix holds.
mingw_cmake_install() {
  library_cmake_install "$@" \
    -DCMAKE_TOOLCHAIN_FILE="$library_root/cmake/mingw-w64-x86_64.cmake" \
    -DRIS_MINGW_PREFIX="$prefix"
}

# Checks that HEADER was installed and stamps the library as built.
library_done() {
  [[ -f $prefix/include/$1 ]] || library_fail "installing $1"
  echo "$library_name" >"$library_stamp"
}
