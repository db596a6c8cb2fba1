#!/usr/bin/env bash
# Download benchmark on loopback, one run on one file of random bytes served by nginx:
#   (a) the program's download path under Wine, (b) the best bare WinINet loop under Wine (1 MiB
#   reads that InternetReadFile fills, no cache write, no messages), (c) the 10,240-byte read loop of
#   the original design, (d) curl natively; the ratio a/b (target >= 0.9) and how much the prefix's
#   WinINet cache grew while (a) ran (target 0).
# Then a server throttled to 64 KB/s: how often the program's progress messages came (target: at
# least every 0.5 s on average). Last, the resume case: the local file cut to 90 % and fetched again;
# nginx's log tells how many bytes crossed the wire.
# Then an outage: a server of 64 MiB that stops at a tenth and stops listening for 20 s; the time
# from its return to the first new byte (target: within the backoff step then in force, never over
# 60 s) and the bytes fetched beyond the missing ranges (target 0).
# Usage: bench/download_bench.sh [size-in-MiB=1024] [throttled-MiB=2] [outage-seconds=20]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
mib=${1:-1024}
slow_mib=${2:-2}
outage=${3:-20}
size=$((mib * 1024 * 1024))

cmake --preset win >/dev/null
cmake --build --preset win --target download_bench >/dev/null
work=$PWD/build/win/bench
servers=$work/servers slow=$work/slow-servers
mkdir -p "$work"
bash tests/servers/start.sh "$servers" >/dev/null
SL_LIMIT_RATE=64k bash tests/servers/start.sh "$slow" >/dev/null
trap 'bash tests/servers/stop.sh "$servers"; bash tests/servers/stop.sh "$slow"; [ -n "${outage_pid:-}" ] && kill "$outage_pid" 2>/dev/null; rm -f "$work"/*.bin "$work"/*.sl-resume "$servers"/www/big.bin "$slow"/www/slow.bin' EXIT
head -c "$size" /dev/urandom > "$servers/www/big.bin"
head -c $((slow_mib * 1024 * 1024)) /dev/urandom > "$slow/www/slow.bin"
url=$(grep '^http=' "$servers/servers.env" | cut -d= -f2)/big.bin
slow_url=$(grep '^http=' "$slow/servers.env" | cut -d= -f2)/slow.bin
bench=build/win/bench/download_bench.exe
run() { scripts/wine-run.sh "$bench" "$@" 2>/dev/null | tr -d '\r'; }
rate() { awk -v mode="$1" '$1 == mode {print $2}'; }

# Writing back gigabytes makes single runs noisy on this machine (400 to 1500 MB/s for one loop):
# each loop runs $rounds times, taking turns with the others, and its best and median figures are
# printed; a copy is deleted and the disk synced before the next run.
rounds=${SL_BENCH_ROUNDS:-5}
best() { sort -g | tail -n 1; }
median() { sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
echo "file: $mib MiB on loopback nginx (best and median of $rounds runs each)"
: > "$work/rates"
cache_growth=
modes=(program bare fixed10k)
for round in $(seq "$rounds"); do
  # The run right after a gigabyte was written and deleted is often the slowest: each loop takes
  # every place in the order in turn.
  for k in 0 1 2; do
    mode=${modes[$(((round + k) % 3))]}
    [ "$mode" = program ] && [ -z "$cache_growth" ] && cache_before=$(run cache-size)
    out=$(run "$mode" "$url" "$work/$mode.bin") && echo "$out" | sed "s/^/  /"
    echo "$mode $(rate "$mode" <<<"$out")" >> "$work/rates"
    if [ "$mode" = program ] && [ -z "$cache_growth" ]; then
      cache_growth=$(($(run cache-size) - cache_before))
      cmp -s "$work/program.bin" "$servers/www/big.bin" && echo "program copy: identical" || echo "program copy: DIFFERS"
    fi
    rm -f "$work/$mode.bin" && sync
  done
  curl -s -o "$work/curl.bin" -w '%{speed_download}\n' "$url" | awk '{printf "curl %.1f\n", $1 / 1e6}' >> "$work/rates"
  rm -f "$work/curl.bin" && sync
done
for figure in best median; do
  a=$(awk '$1 == "program" {print $2}' "$work/rates" | $figure)
  b=$(awk '$1 == "bare" {print $2}' "$work/rates" | $figure)
  c=$(awk '$1 == "fixed10k" {print $2}' "$work/rates" | $figure)
  d=$(awk '$1 == "curl" {print $2}' "$work/rates" | $figure)
  echo "$figure: (a) program $a MB/s  (b) bare WinINet $b MB/s  (c) 10,240-byte loop $c MB/s  (d) curl $d MB/s"
  awk -v a="$a" -v b="$b" -v c="$c" -v d="$d" 'BEGIN {
    printf "  a/b %.2f (target >= 0.90)  a/c %.2f  a/d %.2f\n", a / b, a / c, a / d }'
done
echo "WinINet cache growth during the program's run: $cache_growth bytes (target 0)"

echo "throttled to 64 KB/s: $slow_mib MiB"
run program "$slow_url" "$work/slow.bin"

cut=$((size * 9 / 10))
head -c "$cut" "$servers/www/big.bin" > "$work/a.bin"
before=$(wc -l < "$servers/access.log")
run program "$url" "$work/a.bin" >/dev/null
sleep 0.5
wire=$(tail -n +"$((before + 1))" "$servers/access.log" | awk -F'|' '$1 == "/big.bin" {sum += $4} END {print sum + 0}')
allowed=$((size - cut + 1))
cmp -s "$work/a.bin" "$servers/www/big.bin" && echo "resumed copy: identical" || echo "resumed copy: DIFFERS"
echo "resume from 90 %: $wire bytes on the wire (missing part + 1 byte = $allowed)"

head -c $((64 * 1024 * 1024)) "$servers/www/big.bin" > "$work/outage-source.bin"
outage_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
python3 bench/outage_server.py "$work/outage-source.bin" "$outage_port" $((64 * 1024 * 1024 / 10)) "$outage" \
  "$work/outage.json" &
outage_pid=$!
sleep 0.5
run program "http://127.0.0.1:$outage_port/outage.bin" "$work/outage.bin" > "$work/outage.txt"
cmp -s "$work/outage.bin" "$work/outage-source.bin" && echo "copy after the outage: identical" || echo "copy after the outage: DIFFERS"
python3 - "$work/outage.json" "$work/outage.txt" <<'PY'
import json, sys
report = json.load(open(sys.argv[1]))
waits = [tuple(map(float, line.split()[1:])) for line in open(sys.argv[2]) if line.startswith("retry-wait")]
back = report["returned_at"]
after = [r for r in report["requests"] if r["at"] >= back]
first_new = after[0]["first_byte_at"] - back if after else float("nan")
# The wait the program was in when the server came back: the last one begun before.
step = max((w for w in waits if w[0] <= back), default=(0, 0))[1]
resumes = len(report["requests"]) - 1
beyond = sum(r["sent"] for r in report["requests"]) - report["size"] - resumes
print(f"outage of {report['outage_seconds']:.0f} s after a cut at a tenth: {len(waits)} waits, first new byte "
      f"{first_new:.2f} s after the server's return (backoff step then in force: {step:.0f} s; never over 60 s)")
print(f"bytes beyond the missing ranges: {beyond} (target 0; each of the {resumes} resumes also re-reads "
      f"its one byte before the end, which checks that the file lines up)")
PY
