#!/usr/bin/env bash
# The library as its users get it. Installs build/native, build/windows and
# build/windows64 (built already, as scripts/test.sh leaves them) into prefixes
# of their own and builds the README's example against them: natively once
# through pkg-config and once through find_package, for 32-bit and x64 Windows
# with mingw-w64 and the import library, run under Wine. Each program writes
# an EAN-13 as a BMP that zbarimg must read back. Then `cpack -G ZIP` must make each Windows download
# and `cpack -G DEB` the three Debian packages at the project's version, each
# holding what it is for.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$(mktemp -d "${TMPDIR:-/tmp}/lumtar-consumers.XXXXXX")
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
example=tests/consumer/example.c
code=4006381333931

fail() { echo "consumers: $*" >&2; exit 1; }
decodes() { # picture
  local got
  got=$(zbarimg -q --raw "$1" 2>/dev/null | head -n 1) || true
  [ "$got" = "$code" ] || fail "$1 reads as '$got', not $code"
  echo "consumers: $(basename "$1") decodes" >&2
}

# The README shows the program built here, line for line.
awk '/^## Using it/ { using = 1 } using && /^```c$/ { inside = 1; next } inside && /^```$/ { exit } inside' README.md |
  diff -u - "$example" >&2 || fail "the README's example is not $example"

# Native, through pkg-config and through the CMake package.
native=$work/native
cmake --install build/native --prefix "$native" >/dev/null
pc=$(find "$native" -name lumtar32.pc | head -n 1)
[ -n "$pc" ] || fail "no lumtar32.pc installed"
export PKG_CONFIG_PATH=$(dirname "$pc")
# shellcheck disable=SC2046 # pkg-config's words are separate arguments
cc -Wall -Wextra -Werror -o "$work/by-pkg-config" "$example" $(pkg-config --cflags --libs lumtar32)
LD_LIBRARY_PATH=$(pkg-config --variable=libdir lumtar32) "$work/by-pkg-config" "$work/pkg-config.bmp"
decodes "$work/pkg-config.bmp"

cmake -S tests/consumer -B "$work/by-find-package" -G Ninja -DCMAKE_PREFIX_PATH="$native" >/dev/null
cmake --build "$work/by-find-package" >/dev/null
"$work/by-find-package/example" "$work/find-package.bmp"
decodes "$work/find-package.bmp"

# Windows, once per bitness: the installed headers and import library, the
# DLL beside the program, run under that bitness's Wine loader. The 32-bit
# program is built everywhere but run only where 32-bit programs run.
. scripts/wine32.sh
windows() { # build tree, compiler, Wine loader, bits
  local prefix=$work/$1 run=$work/$1-run
  for component in runtime development; do
    cmake --install "build/$1" --prefix "$prefix" --component $component >/dev/null
  done
  mkdir "$run"
  "$2" -Wall -Wextra -Werror -static-libgcc -I"$prefix/include" -o "$run/example.exe" "$example" "$prefix/lib/lumtar32.lib"
  cp "$prefix/bin/lumtar32.dll" "$run/"
  if [ "$4" = 32 ] && [ -n "$LUMTAR_NO32" ]; then
    echo "consumers: $1/example.exe (32-bit) built, not run: $LUMTAR_NO32" >&2
    return
  fi
  (cd "$run" && WINEPREFIX=$root/build/$1/wineprefix "$3" example.exe "$1.bmp")
  decodes "$run/$1.bmp"
}
windows windows i686-w64-mingw32-gcc wine 32
windows windows64 x86_64-w64-mingw32-gcc /usr/lib/wine/wine64 64

# The Windows downloads: each zip holds what README-windows.txt lists, the DLL
# of its bitness in bin/ and in the Python package's folder of that bitness.
version=$(sed -n 's/^project(lumtar32 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
download() { # build tree, win32 or win64, Python folder, PE32 or PE32+
  local name=lumtar32-$version-$2 listing
  rm -rf "build/$1/packages"
  (cd "build/$1" && cpack -G ZIP >/dev/null)
  listing=$(python3 -m zipfile -l "build/$1/packages/$name.zip") || fail "no $name.zip"
  for path in bin/lumtar32.dll bin/lumtar.exe lib/lumtar32.lib lib/lumtar32.def include/lumtar32.h \
              bindings/vba/lumtar32.bas bindings/dotnet/Lumtar32.cs bindings/pascal/lumtar32.pas \
              "bindings/python/src/lumtar32/$3/lumtar32.dll" LICENSE README-windows.txt; do
    grep -q "^$name/$path " <<<"$listing" || fail "$name.zip holds no $path"
  done
  python3 -m zipfile -e "build/$1/packages/$name.zip" "$work/$2"
  file -b "$work/$2/$name/bin/lumtar32.dll" | grep -q "^$4 executable (DLL)" || fail "$name.zip: bin/lumtar32.dll is $(file -b "$work/$2/$name/bin/lumtar32.dll")"
  echo "consumers: $name.zip holds a $4 lumtar32.dll and all README-windows.txt lists" >&2
}
download windows win32 x86 PE32
download windows64 win64 x64 PE32+

# Debian packages: package, then the paths each must hold.
rm -rf build/native/packages
(cd build/native && cpack -G DEB >/dev/null)
check_package() { # name, path patterns...
  local name=$1 deb
  shift
  deb=$(find build/native/packages -maxdepth 1 -name "${name}_${version}_*.deb" | head -n 1)
  [ -n "$deb" ] || fail "no package ${name}_${version}"
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "$deb: version $(dpkg-deb -f "$deb" Version)"
  local listing
  listing=$(dpkg-deb -c "$deb")
  for pattern in "$@"; do
    grep -Eq "${pattern}( |\$)" <<<"$listing" || fail "$deb holds nothing like $pattern"
  done
  echo "consumers: $(basename "$deb"): Depends: $(dpkg-deb -f "$deb" Depends)" >&2
}
check_package liblumtar32-1 '/liblumtar32\.so\.1' "/liblumtar32\\.so\\.${version//./\\.}"
check_package liblumtar32-dev '/include/lumtar32\.h' '/liblumtar32\.so' '/lumtar32\.pc' '/lumtar32Config\.cmake'
check_package lumtar '/bin/lumtar' '/man1/lumtar\.1'
dpkg-deb -f "$(find build/native/packages -maxdepth 1 -name "liblumtar32-1_*.deb" | head -n 1)" Depends | grep -q libc6 ||
  fail "the runtime package's dependencies were not found by dpkg-shlibdeps"
