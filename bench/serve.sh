#!/usr/bin/env bash
# lumtar serve under wrk on loopback, beside bwip-js's own example server
# (npm bwip-js under Node) and beside the same server answering one byte
# (the HTTP floor); then its memory after a long run.
#   bench/serve.sh BUILD_DIR
# LUMTAR_WRK_SECONDS (default 10) per run, LUMTAR_WRK_CONNECTIONS (16),
# LUMTAR_SOAK_SECONDS (default 60) for the memory run.
set -euo pipefail
build=$1
lumtar=$build/tools/lumtar
seconds=${LUMTAR_WRK_SECONDS:-10}
connections=${LUMTAR_WRK_CONNECTIONS:-16}
soak=${LUMTAR_SOAK_SECONDS:-60}
"$(dirname "$0")/../tests/serve/node_setup.sh" "$build/serve-node" >/dev/null

scratch=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null; rm -rf "$scratch"' EXIT

serve() { # serve NAME ARGS...: a lumtar serve on a free port; sets port_NAME and pid_NAME
  local name=$1; shift
  "$lumtar" serve --listen 127.0.0.1:0 --quiet "$@" 2>"$scratch/$name.log" &
  pids+=($!); printf -v "pid_$name" %s $!
  for _ in $(seq 50); do grep -q serving "$scratch/$name.log" && break; sleep 0.1; done
  printf -v "port_$name" %s "$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\)\/.*/\1/p' "$scratch/$name.log")"
}
serve lumtar
serve floor --floor
port_bwip=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
node "$build/serve-node/node_modules/bwip-js/examples/server.js" "127.0.0.1:$port_bwip" >/dev/null &
pids+=($!)
for _ in $(seq 50); do curl -sf -o /dev/null "http://127.0.0.1:$port_bwip/?bcid=ean13&text=4006381333931" && break; sleep 0.1; done

ours="/render?text=4006381333931&size=600x240"
theirs="/?bcid=ean13&text=4006381333931&includetext&scaleX=6&scaleY=2&height=20"
run() { # run PORT TARGET: "requests/s p99 requests" from wrk
  curl -sf -o /dev/null "http://127.0.0.1:$1$2"
  wrk -t2 -c"$connections" -d"${3:-$seconds}s" --latency "http://127.0.0.1:$1$2" >"$scratch/wrk.txt"
  awk '/Requests\/sec/ { rps = $2 } / 99%/ { p99 = $2 } / requests in / { n = $1 } END { print rps, p99, n }' "$scratch/wrk.txt"
}

echo
echo "HTTP under wrk (2 threads, $connections connections, $seconds s each, loopback; EAN-13 PNG)"
printf '%-44s %12s %10s\n' "" "requests/s" "p99"
declare -A rps
row() { # row KEY LABEL PORT TARGET
  read -r r p n < <(run "$3" "$4")
  rps[$1]=$r
  printf '%-44s %12s %10s\n' "$2" "$r" "$p"
}
row render "lumtar serve /render (600x240)" "$port_lumtar" "$ours"
row ours "lumtar serve, bwip-js's URL" "$port_lumtar" "$theirs"
row bwip "bwip-js example server (Node), its URL" "$port_bwip" "$theirs"
row floor "floor: lumtar serve answering 1 byte" "$port_floor" "$ours"
awk -v a="${rps[render]}" -v b="${rps[ours]}" -v c="${rps[bwip]}" -v f="${rps[floor]}" \
  'BEGIN { printf "lumtar / bwip-js on its URL: %.1fx; lumtar /render / bwip-js: %.1fx; floor / lumtar /render: %.2fx\n", b / c, a / c, f / a }'

# Memory: resident size after a warm-up and after a long run of requests.
rss() { awk '/VmRSS/ { print $2 }' "/proc/$pid_lumtar/status"; }
before=$(rss)
read -r r p n < <(run "$port_lumtar" "$ours" "$soak")
echo "Memory of lumtar serve: $before KiB after the runs above, $(rss) KiB after $n more requests ($soak s at $r/s)"
