#!/usr/bin/env bash
# Builds both targets and runs every test: natively, the Windows DLL's tests
# under Wine, programs built against both installed prefixes and the Debian
# packages (scripts/consumers.sh), the native suite again under
# AddressSanitizer/UBSan/LeakSanitizer,
# the threading tests under ThreadSanitizer, and a short run of every fuzzer.
# Exits non-zero when any stage fails.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test || exit 1

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
jobs=$(nproc)
failed=()

stage() { # name, command...
  local name=$1; shift
  echo "== $name" >&2
  local start=$SECONDS
  if "$@"; then echo "== $name: ok ($((SECONDS - start)) s)" >&2
  else echo "== $name: FAILED ($((SECONDS - start)) s)" >&2; failed+=("$name"); fi
}

build() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs" "${@:2}"; }

stage "native build" build native
stage "native tests" ctest --preset native -j "$jobs"
stage "windows build" build windows
stage "windows tests (Wine)" ctest --preset windows -j "$jobs"
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
echo "all stages passed" >&2
