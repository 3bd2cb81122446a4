#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Quiet, and does
# nothing when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libdeflate-dev libjpeg62-turbo-dev libturbojpeg0-dev libpng-dev libtiff-dev
  libheif-dev libavif-dev libwebp-dev libjxl-dev libheif-examples libavif-bin webp libjxl-tools
  libfreetype-dev libfontconfig-dev fonts-liberation
  imagemagick netpbm libtiff-tools openimageio-tools
  zip unzip p7zip-full
  g++-mingw-w64-x86-64 libz-mingw-w64-dev nasm dpkg-dev
  wine wine64 xvfb xdotool x11-utils
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  libx11-dev libxext-dev libxrandr-dev xscreensaver
  nsis osslsigncode openssl libssl-dev icoutils ccache
  libcpp-httplib-dev nlohmann-json3-dev
  chromium chromium-driver python3-selenium
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [[ $status == installed ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
