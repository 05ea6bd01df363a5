#!/usr/bin/env bash
# Installs everything the build, the tests, the demo and the benchmarks need on
# Debian 12. Idempotent: does nothing when every package is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  g++-mingw-w64-i686-posix
  wine wine32:i386
  googletest libgtest-dev
  libcli11-dev
  libfreetype-dev libfontconfig-dev fonts-liberation
  zint libzint-dev zbar-tools zxing-cpp-tools libwmf-bin imagemagick
  libbenchmark-dev
  clang libclang-rt-14-dev
  time
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  missing+=(wine32:i386)
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
fi
