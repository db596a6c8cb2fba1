#!/usr/bin/env bash
# Download benchmark on loopback: a 1 GiB file from nginx fetched by (a) the program's download
# path under Wine, (b) a bare WinINet loop under Wine with the same buffer, (c) curl natively.
# Then the resume case: the local file cut to 90 % and fetched again; nginx's log tells how many
# bytes crossed the wire. Usage: bench/download_bench.sh [size-in-MiB=1024]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
mib=${1:-1024}
size=$((mib * 1024 * 1024))

cmake --preset win >/dev/null
cmake --build --preset win --target download_bench >/dev/null
work=$PWD/build/win/bench
servers=$work/servers
mkdir -p "$work"
bash tests/servers/start.sh "$servers" >/dev/null
trap 'bash tests/servers/stop.sh "$servers"; rm -f "$work"/*.bin "$servers"/www/big.bin' EXIT
head -c "$size" /dev/urandom > "$servers/www/big.bin"
url=$(grep '^http=' "$servers/servers.env" | cut -d= -f2)/big.bin
bench=build/win/bench/download_bench.exe
run() { scripts/wine-run.sh "$bench" "$@" 2>/dev/null | tr -d '\r'; }

echo "file: $mib MiB on loopback nginx"
a=$(run program "$url" "$work/a.bin" | tee /dev/stderr | awk '/^program/ {print $2}')
b=$(run bare "$url" "$work/b.bin" | tee /dev/stderr | awk '/^bare/ {print $2}')
c=$(curl -s -o "$work/c.bin" -w '%{speed_download}' "$url" | awk '{printf "%.1f", $1 / 1e6}')
echo "curl $c MB/s"
cmp -s "$work/a.bin" "$servers/www/big.bin" && echo "program copy: identical" || echo "program copy: DIFFERS"
awk -v a="$a" -v b="$b" -v c="$c" 'BEGIN { printf "ratio program/bare-wininet %.2f  program/curl %.2f\n", a / b, a / c }'

cut=$((size * 9 / 10))
truncate -s "$cut" "$work/a.bin"
before=$(wc -l < "$servers/access.log")
run program "$url" "$work/a.bin" >/dev/null
sleep 0.5
wire=$(tail -n +"$((before + 1))" "$servers/access.log" | awk -F'|' '$1 == "/big.bin" {sum += $4} END {print sum + 0}')
allowed=$((size - cut + 1))
cmp -s "$work/a.bin" "$servers/www/big.bin" && echo "resumed copy: identical" || echo "resumed copy: DIFFERS"
echo "resume from 90 %: $wire bytes on the wire (missing part + 1 byte = $allowed)"
