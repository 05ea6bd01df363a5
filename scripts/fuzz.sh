#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a while (default 60 s) from
# its committed seed corpus; new inputs go to a scratch directory, never into
# the tree. Exits non-zero on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
# Leaks are looked for after every input that allocated more than it freed.
# The check at exit is left out: it runs after the static font engines have
# been destroyed, when what fontconfig keeps of their configurations may be
# reachable from nothing of ours; a leak of a call shows per input.
export LSAN_OPTIONS=${LSAN_OPTIONS:-leak_check_at_exit=0}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for fuzzer in build/fuzz/fuzz/fuzz_*; do
  name=$(basename "$fuzzer"); seeds=fuzz/corpus/${name#fuzz_}
  mkdir -p "$scratch/$name"
  echo "== $name ($seconds s)" >&2
  (cd "$scratch" && "$OLDPWD/$fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$scratch/$name-" "$scratch/$name" "$OLDPWD/$seeds" 2>&1) \
    | grep -E '^(stat::number_of_executed_units|stat::new_units_added|Done|==[0-9]+==ERROR|SUMMARY)' || true
  if ls "$scratch/$name-"* >/dev/null 2>&1; then
    echo "fuzz: $name found a failing input:" >&2; ls "$scratch/$name-"* >&2; exit 1
  fi
done
