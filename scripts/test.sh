#!/usr/bin/env bash
# Builds every target and runs every test: natively, the 32-bit and the x64
# Windows DLL's tests under Wine, programs built against the installed
# prefixes and the Debian packages (scripts/consumers.sh), the native suite
# again under AddressSanitizer/UBSan/LeakSanitizer, the threading tests under
# ThreadSanitizer, and a short run of every fuzzer. Where this machine cannot
# execute 32-bit programs (scripts/wine32.sh), the 32-bit DLL is built and
# read without running it, and each stage that would run it says so in one
# line. Exits non-zero when any stage fails.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test || exit 1

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
jobs=$(nproc)
failed=()
not_run=()
. scripts/wine32.sh

stage() { # name, command...
  local name=$1; shift
  echo "== $name" >&2
  local start=$SECONDS
  if "$@"; then echo "== $name: ok ($((SECONDS - start)) s)" >&2
  else echo "== $name: FAILED ($((SECONDS - start)) s)" >&2; failed+=("$name"); fi
}

skip() { # name, why
  echo "== $1: not run: $2" >&2
  not_run+=("$1")
}

build() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs" "${@:2}"; }

stage "native build" build native
stage "native tests" ctest --preset native -j "$jobs"
stage "windows build" build windows
if [ -z "$LUMTAR_NO32" ]; then
  stage "windows tests (Wine)" ctest --preset windows -j "$jobs"
else
  skip "windows tests (Wine)" "$LUMTAR_NO32"
  stage "windows checks without Wine (exports, imports, import library)" ctest --preset windows -R '^dll_static$'
fi
stage "windows64 build" build windows64
stage "windows64 tests (wine64)" ctest --preset windows64 -j "$jobs"
stage "consumers" scripts/consumers.sh
stage "asan build" build asan
stage "asan tests" ctest --preset asan -j "$jobs"
tsan_tests=(test_threads test_robust_threads test_raster test_raster_gdi test_gdi_playback test_cli) # test_cli: lumtar's batch threads
stage "tsan build" build tsan --target "${tsan_tests[@]}" lumtar
stage "tsan tests" ctest --preset tsan -R "^($(IFS='|'; echo "${tsan_tests[*]}"))\$"
stage "fuzzing" scripts/fuzz.sh "${LUMTAR_FUZZ_SECONDS:-60}"

if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}" >&2
  exit 1
fi
if [ ${#not_run[@]} -gt 0 ]; then
  echo "all stages passed; not run: ${not_run[*]} ($LUMTAR_NO32)" >&2
else
  echo "all stages passed" >&2
fi
