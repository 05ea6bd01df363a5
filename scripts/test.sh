#!/usr/bin/env bash
# Builds both targets and runs every test: natively, and the Windows DLL's
# tests under Wine. Exits non-zero when any test on either target fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
jobs=$(nproc)
status=0
for preset in native windows; do
  echo "== $preset: configure and build" >&2
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== $preset: tests" >&2
  ctest --preset "$preset" -j "$jobs" || status=1
done
exit $status
