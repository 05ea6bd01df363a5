#!/usr/bin/env bash
# The library's main job from the command line: builds the native library and
# the lumtar tool, then detects code types and converts ISBNs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target lumtar >/dev/null
lumtar=build/native/tools/lumtar

for text in 4006381333931 9638507 03600029145 52495 12 1234567890 A1234B "CODE 39" 123456789X; do
  printf '%-16s ' "$text"; $lumtar detect "$text" || true
done
$lumtar isbn 9781234567897
$lumtar ean 1-234567-89-X
