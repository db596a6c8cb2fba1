#!/usr/bin/env bash
# Many small files under Wine, on loopback: a release of 2,000 files of 4 KiB (with its setup
# program and the game's patcher) installed by the program, press to play view, against curl
# fetching the same URLs one after another on one keep-alive connection (target: program / curl
# <= 10); then the same files behind a proxy that holds every answer back 50 ms, as a distant
# server would (one after another that is files x 50 ms; target <= 35 s).
# Usage: bench/small_files_bench.sh [files=2000] [bytes-each=4096] [delay-ms=50]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
files=${1:-2000}
size=${2:-4096}
delay_ms=${3:-50}
source bench/whole_run_lib.sh
trap 'kill "${proxy:-}" 2>/dev/null || true; bench_stop; rm -rf "$work/curl"' EXIT
bench_start

figures() {  # <label> <whole_run_bench output>
  awk -v label="$1" -v files="$files" '{ v[$1] = $2 } END {
    run = v["total"] - v["setup"]
    printf "%s: press to play view %.2f s (setup %.2f s), %.2f ms a file; longest wait for WM_NULL %.0f ms\n",
      label, v["total"], v["setup"], run * 1000 / files, v["longest-stall"] * 1000 }' <<<"$2"
}

echo "== $files files of $size bytes on loopback"
publish_release "$files" "$size" "http://127.0.0.1:$port" >/dev/null
rm -rf "$work/curl" && mkdir -p "$work/curl"
cut -d, -f1 "$servers/www/patch/SL_Full_120.ini" |
  awk -v dir="$work/curl" '{ n = split($0, p, "/"); printf "url = \"%s\"\noutput = \"%s/%s\"\n", $0, dir, p[n] }' \
    > "$work/curl.config"
start=$(now); curl -s --config "$work/curl.config"; end=$(now)
curl_seconds=$(awk -v s="$start" -v e="$end" 'BEGIN { print e - s }')
result=$(run_install)
figures "program" "$result"
awk -v c="$curl_seconds" '{ v[$1] = $2 } END {
  printf "curl --config, one connection: %.2f s; program / curl %.1f (target <= 10)\n", c, (v["total"] - v["setup"]) / c }' \
  <<<"$result"

echo "== the same files, every answer held back $delay_ms ms"
proxy_port=$((port + 2))
python3 tests/servers/delay_proxy.py "$proxy_port" "$port" "$delay_ms" &
proxy=$!
sleep 0.5
publish_release "$files" "$size" "http://127.0.0.1:$proxy_port" >/dev/null
result=$(run_install)
figures "program" "$result"
awk -v n="$files" -v d="$delay_ms" 'BEGIN { printf "one after another: at least %.1f s (target <= 35 s)\n", n * d / 1000 }'
