#!/usr/bin/env bash
# Builds the benchmarks (native preset) and runs every comparison of
# liblumtar32 with libzint and with the file floor, then the batch's peak
# memory at 1,000 and 10,000 texts. Arguments go to the benchmark program
# (Google Benchmark flags, e.g. --benchmark_filter=bmp). Files go to
# /dev/shm/lumtar-bench (or $LUMTAR_BENCH_DIR); LUMTAR_BENCH_BUILD names an
# already configured build tree to use instead of the preset's.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh test
if [ -n "${LUMTAR_BENCH_BUILD:-}" ]; then
  build=$LUMTAR_BENCH_BUILD
  cmake --build "$build" --target lumtar_bench lumtar
else
  build=build/native
  cmake --preset native >/dev/null
  cmake --build --preset native --target lumtar_bench lumtar
fi

scratch=${LUMTAR_BENCH_DIR:-/dev/shm/lumtar-bench}
mkdir -p "$scratch"
export LUMTAR_BENCH_DIR=$scratch

"$build/bench/lumtar_bench" --benchmark_out="$build/bench/results.json" --benchmark_out_format=json "$@"

# Peak memory of a batch run against the number of texts: it must stay flat.
texts() { # N valid EAN-13s, 4006381000000 + i with their check digits
  awk -v n="$1" 'BEGIN { for (i = 0; i < n; i++) { s = sprintf("400638%06d", 100000 + i); t = 0;
    for (k = 1; k <= 12; k++) t += substr(s, k, 1) * (k % 2 ? 1 : 3); printf "%s%d\n", s, (10 - t % 10) % 10 } }'
}
peak() { # peak resident set size in KiB of the command
  /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F': ' '/Maximum resident set size/ { print $2 }'
}
echo
echo "Memory: peak RSS of the batch (/usr/bin/time -v), 678x348 EAN-13 BMPs into $scratch"
printf '%-24s %14s %14s %10s\n' "" "1,000 texts" "10,000 texts" "growth"
for n in 1000 10000; do texts "$n" >"$scratch/rss-$n.txt"; done
for tool in lumtar zint; do
  row=()
  for n in 1000 10000; do
    rm -rf "$scratch/rss-out" && mkdir -p "$scratch/rss-out"
    if [ "$tool" = lumtar ]; then
      row+=("$(peak "$build/tools/lumtar" batch -i "$scratch/rss-$n.txt" -o "$scratch/rss-out/%05d.bmp" --size 678x348 --types ean13)")
    else
      row+=("$(peak zint --batch -b 13 --scale=3 -i "$scratch/rss-$n.txt" -o "$scratch/rss-out/~~~~~.bmp")")
    fi
  done
  printf '%-24s %11s KiB %11s KiB %9s\n' "$tool batch" "${row[0]}" "${row[1]}" \
    "$(awk -v a="${row[0]}" -v b="${row[1]}" 'BEGIN { printf "%+.1f%%", (b - a) * 100 / a }')"
done
rm -rf "$scratch/rss-out" "$scratch"/rss-*.txt

# lumtar serve under wrk, beside bwip-js's example server and the HTTP floor.
bench/serve.sh "$build"

# Label sheets: 1,000 EAN-13 labels with two text lines onto Avery L7160 (48 pages), best of three.
echo
{ echo "code,title"; texts 1000 | awk '{ print $0 ",Article " NR }'; } >"$scratch/sheet.csv"
best=$(for run in 1 2 3; do /usr/bin/time -f %e "$build/tools/lumtar" sheet -i "$scratch/sheet.csv" -o "$scratch/sheet.pdf" \
  --template L7160 --line title:9:above --line code:8 2>&1 >/dev/null | tail -1; done | sort -n | head -1)
echo "Label sheet, 1,000 labels on 48 pages of L7160: $best s, $(stat -c %s "$scratch/sheet.pdf") bytes," \
  "$(pdffonts "$scratch/sheet.pdf" 2>/dev/null | tail -n +3 | wc -l) faces embedded once"
rm -f "$scratch"/sheet.*
