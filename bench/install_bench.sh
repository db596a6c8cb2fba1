#!/usr/bin/env bash
# Install benchmarks under Wine, on loopback:
#  1. the program's MD5 check of a 1 GiB file against md5sum natively (target: >= 0.8 of md5sum),
#     and the longest time the UI thread answers no message while it checks that file;
#  2. one whole run: a release of about 2 GiB (a setup program and four data files) installed
#     from nginx by pressing install, the time split into download, verification and setup.
# Usage: bench/install_bench.sh [md5-MiB=1024] [release-data-MiB=2048]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
md5_mib=${1:-1024}
release_mib=${2:-2048}

cmake --preset win >/dev/null
cmake --build --preset win --target md5_bench whole_run_bench Stormline_VN_bench setup_standin patcher_standin >/dev/null
work=$root/build/win/bench
servers=$work/install-servers
mkdir -p "$work"
export WINEPREFIX=$work/wineprefix
trap 'bash tests/servers/stop.sh "$servers" || true; wineserver -k 2>/dev/null || true; rm -f "$work/md5.bin"' EXIT
wine_run() { scripts/wine-run.sh "$@" 2>/dev/null | tr -d '\r'; }
now() { date +%s.%N; }

echo "== MD5 check of $md5_mib MiB"
head -c $((md5_mib * 1024 * 1024)) /dev/urandom > "$work/md5.bin"
cat "$work/md5.bin" > /dev/null  # both readers start from the page cache
start=$(now); native=$(md5sum "$work/md5.bin" | cut -d' ' -f1); end=$(now)
native_rate=$(awk -v s="$start" -v e="$end" -v m="$md5_mib" 'BEGIN { printf "%.1f", m * 1048576 / (e - s) / 1e6 }')
echo "md5sum $native_rate MB/s $native"
program=$(wine_run build/win/bench/md5_bench.exe speed "$work/md5.bin")
echo "$program"
program_rate=$(awk '/^program/ {print $2}' <<<"$program")
grep -q "$native" <<<"$program" && echo "digests: equal" || echo "digests: DIFFER"
awk -v p="$program_rate" -v n="$native_rate" 'BEGIN { printf "ratio program/md5sum %.2f (target >= 0.80)\n", p / n }'
wine_run build/win/bench/md5_bench.exe stall "$work/md5.bin"
rm -f "$work/md5.bin"

echo "== Whole run: release of $release_mib MiB of data"
port=$(sed -n 's/^SL_BENCH_HTTP_PORT:STRING=//p' build/win/CMakeCache.txt)
own_version=$(sed -n 's/^SL_OWN_VERSION_NUMBER:INTERNAL=//p' build/win/CMakeCache.txt)
bash tests/servers/start.sh "$servers" "$port" "$((port + 1))" >/dev/null
python3 tests/releases/release_tree.py "$servers/www" "http://127.0.0.1:$port" \
  --setup build/win/tests/standins/setup_standin.exe --patcher build/win/tests/standins/patcher_standin.exe \
  --full 120 --data-files 4 --data-size $((release_mib * 1024 * 1024 / 4))
mkdir -p "$servers/www/launcher" && printf "$own_version" > "$servers/www/launcher/version.ini"  # no self-update offer
game=$work/game downloads=$work/downloads
rm -rf "$game" "$downloads" && mkdir -p "$game" "$downloads"
scripts/wine-run.sh cmd /c exit 0
wine reg add 'HKLM\SOFTWARE\Oskelon\vyLauncher' /reg:64 /v SLLocation /d "Z:${game//\//\\}" /f >/dev/null 2>&1
wine reg add 'HKLM\SOFTWARE\Oskelon\vyLauncher' /reg:64 /v TempDownloadPath /d "Z:${downloads//\//\\}" /f >/dev/null 2>&1
result=$(wine_run build/win/bench/whole_run_bench.exe build/win/bench/app/Stormline_VN.exe)
awk '
  { v[$1] = $2 }
  END {
    download = v["total"] - v["verify"] - v["setup"]
    printf "total %.2f s: download %.2f s (the rest), verification %.2f s (UI thread busy), setup %.2f s\n",
           v["total"], download, v["verify"], v["setup"]
    printf "longest UI-thread stall during the run: %.2f s\n", v["longest-stall"]
  }' <<<"$result"
echo "version.dat: $(od -An -tu4 "$game/version.dat" 2>/dev/null | tr -d ' ')"
