#!/usr/bin/env bash
# Install benchmarks under Wine, on loopback:
#  1. the program's MD5 of a 1 GiB file against md5sum natively (target: >= 0.95 of md5sum);
#  2. whole runs, pressing install: a release of about 2 GiB in a setup program and four data files,
#     then one of a single 2 GiB file. Each is timed against the download alone (the program's
#     download path, no MD5) and md5sum of the same files (target: the run's download and check
#     <= 1.15 x the larger of the two), while another process sends the window WM_NULL every 50 ms
#     (target: the longest wait < 100 ms).
# Usage: bench/install_bench.sh [md5-MiB=1024] [release-data-MiB=2048]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
md5_mib=${1:-1024}
release_mib=${2:-2048}

cmake --preset win >/dev/null
cmake --build --preset win --target md5_bench whole_run_bench download_bench Stormline_VN_bench setup_standin \
  patcher_standin >/dev/null
work=$root/build/win/bench
servers=$work/install-servers
mkdir -p "$work"
export WINEPREFIX=$work/wineprefix
trap 'bash tests/servers/stop.sh "$servers" || true; wineserver -k 2>/dev/null || true; rm -rf "$work/md5.bin" "$work/alone"' EXIT
wine_run() { scripts/wine-run.sh "$@" 2>/dev/null | tr -d '\r'; }
now() { date +%s.%N; }

echo "== MD5 of $md5_mib MiB"
head -c $((md5_mib * 1024 * 1024)) /dev/urandom > "$work/md5.bin"
cat "$work/md5.bin" > /dev/null  # both readers start from the page cache
start=$(now); native=$(md5sum "$work/md5.bin" | cut -d' ' -f1); end=$(now)
native_rate=$(awk -v s="$start" -v e="$end" -v m="$md5_mib" 'BEGIN { printf "%.1f", m * 1048576 / (e - s) / 1e6 }')
echo "md5sum $native_rate MB/s $native"
program=$(wine_run build/win/bench/md5_bench.exe speed "$work/md5.bin")
echo "$program"
program_rate=$(awk '/^program/ {print $2}' <<<"$program")
grep -q "$native" <<<"$program" && echo "digests: equal" || echo "digests: DIFFER"
awk -v p="$program_rate" -v n="$native_rate" 'BEGIN { printf "ratio program/md5sum %.2f (target >= 0.95)\n", p / n }'
rm -f "$work/md5.bin"

port=$(sed -n 's/^SL_BENCH_HTTP_PORT:STRING=//p' build/win/CMakeCache.txt)
own_version=$(sed -n 's/^SL_OWN_VERSION_NUMBER:INTERNAL=//p' build/win/CMakeCache.txt)
bash tests/servers/start.sh "$servers" "$port" "$((port + 1))" >/dev/null
mkdir -p "$servers/www/launcher" && printf "$own_version" > "$servers/www/launcher/version.ini"  # no self-update offer
scripts/wine-run.sh cmd /c exit 0
game=$work/game downloads=$work/downloads

# One whole run of a release of `files` data files sharing `mib` MiB.
whole_run() {
  local files=$1 mib=$2
  echo "== Whole run: $files data file(s), $mib MiB of data"
  rm -rf "$servers/www/patch" "$servers/www/files" "$servers/www/autoreal"
  python3 tests/releases/release_tree.py "$servers/www" "http://127.0.0.1:$port" \
    --setup build/win/tests/standins/setup_standin.exe --patcher build/win/tests/standins/patcher_standin.exe \
    --full 120 --data-files "$files" --data-size $((mib * 1024 * 1024 / files))
  local urls
  urls=$(cut -d, -f1 "$servers/www/patch/SL_Full_120.ini")
  # The download alone, file after file, and md5sum of the same files from the page cache.
  rm -rf "$work/alone" && mkdir -p "$work/alone"
  local alone=0 sums=0 url start end
  for url in $urls; do
    start=$(now)
    wine_run build/win/bench/download_bench.exe download "$url" "Z:$work/alone/${url##*/}" >/dev/null
    end=$(now)
    alone=$(awk -v a="$alone" -v s="$start" -v e="$end" 'BEGIN { print a + e - s }')
  done
  start=$(now); md5sum "$work/alone"/* > /dev/null; end=$(now)
  sums=$(awk -v s="$start" -v e="$end" 'BEGIN { print e - s }')
  rm -rf "$work/alone" "$game" "$downloads" && mkdir -p "$game" "$downloads"
  wine reg add 'HKLM\SOFTWARE\Oskelon\vyLauncher' /reg:64 /v SLLocation /d "Z:${game//\//\\}" /f >/dev/null 2>&1
  wine reg add 'HKLM\SOFTWARE\Oskelon\vyLauncher' /reg:64 /v TempDownloadPath /d "Z:${downloads//\//\\}" /f >/dev/null 2>&1
  sync
  local result
  result=$(wine_run build/win/bench/whole_run_bench.exe build/win/bench/app/Stormline_VN.exe)
  awk -v alone="$alone" -v sums="$sums" '
    { v[$1] = $2 }
    END {
      run = v["total"] - v["setup"]
      slowest = alone > sums ? alone : sums
      printf "total %.2f s: download and check %.2f s, setup %.2f s\n", v["total"], run, v["setup"]
      printf "download alone %.2f s, md5sum %.2f s: run / max %.2f (target <= 1.15)\n", alone, sums, run / slowest
      printf "longest wait for the window to answer WM_NULL: %.0f ms (target < 100)\n", v["longest-stall"] * 1000
    }' <<<"$result"
  echo "version.dat: $(od -An -tu4 "$game/version.dat" 2>/dev/null | tr -d ' ')"
}

whole_run 4 "$release_mib"
whole_run 1 "$release_mib"
