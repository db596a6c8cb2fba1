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
md5_mib=${1:-1024}
release_mib=${2:-2048}

source bench/whole_run_lib.sh
trap 'bench_stop; rm -rf "$work/md5.bin" "$work/alone"' EXIT
bench_start md5_bench download_bench

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

# One whole run of a release of `files` data files sharing `mib` MiB.
whole_run() {
  local files=$1 mib=$2
  echo "== Whole run: $files data file(s), $mib MiB of data"
  publish_release "$files" $((mib * 1024 * 1024 / files)) "http://127.0.0.1:$port"
  local urls
  urls=$(cut -d, -f1 "$servers/www/patch/SL_Full_120.ini")
  # The download alone, file after file (as the transfer timed itself, without Wine's start-up),
  # and md5sum of the same files from the page cache.
  rm -rf "$work/alone" && mkdir -p "$work/alone"
  local alone=0 sums=0 url start end seconds
  for url in $urls; do
    seconds=$(wine_run build/win/bench/download_bench.exe download "$url" "Z:$work/alone/${url##*/}" |
      awk '/^download/ { print $(NF - 1) }')
    alone=$(awk -v a="$alone" -v s="$seconds" 'BEGIN { print a + s }')
  done
  start=$(now); find "$work/alone" -type f ! -name '*.sl-resume' -exec md5sum {} + > /dev/null; end=$(now)
  sums=$(awk -v s="$start" -v e="$end" 'BEGIN { print e - s }')
  rm -rf "$work/alone"
  local result
  result=$(run_install)
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
