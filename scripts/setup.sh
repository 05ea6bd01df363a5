#!/usr/bin/env bash
# Installs what the build needs on Debian 12. Idempotent: does nothing when
# every package is already there.
#   scripts/setup.sh        the native library, the lumtar tool and the demo
#   scripts/setup.sh test   also everything the tests and benchmarks use: the
#                           mingw-w64 cross compilers and Wine for 32-bit and
#                           x64, GoogleTest, clang for the fuzzers, the peers
#                           and decoders, the independent renderers and the
#                           binding languages
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libfreetype-dev libfontconfig-dev fonts-liberation
  libcli11-dev libpng-dev libharfbuzz-dev libtiff-dev libexpat1-dev help2man
  zbar-tools imagemagick
)
foreign=()
if [ "${1:-}" = test ]; then
  packages+=(
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64
    googletest libgtest-dev libbenchmark-dev
    clang libclang-rt-14-dev
    zint libzint-dev zxing-cpp-tools libwmf-bin
    librsvg2-bin poppler-utils ghostscript glabels-data
    python3 python3-pytest python3-setuptools python3-pip mono-mcs fpc
    libx11-dev dpkg-dev file time
    libcpp-httplib-dev wrk chromium nodejs $(command -v npm >/dev/null || echo npm) # lumtar serve: npm's own unless node brings it
  )
  foreign=(wine32:i386)
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

missing=()
for p in "${packages[@]}" "${foreign[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#foreign[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${packages[@]}" "${foreign[@]}" >/dev/null
fi
