#!/usr/bin/env bash
# Builds the libFuzzer target of the manifest parsers (src/manifest/manifest_fuzzer.cpp) with clang,
# ASan and UBSan, runs it for the given number of seconds and prints executions and crashes.
# Usage: tools/fuzz_manifests.sh [seconds=60]. Work files go to build/fuzz; the corpus is kept there
# between runs. Exit status 1 when a crash was found (its input is saved as build/fuzz/crash-*).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
seconds=${1:-60}
out=$root/build/fuzz
mkdir -p "$out/corpus"

sources=(
  src/manifest/manifest_fuzzer.cpp src/manifest/version_manifest.cpp src/manifest/file_list.cpp
  src/base/text.cpp src/base/path.cpp
  src/diag/log_memory.cpp
)
(cd "$root" && clang++ -std=c++20 -g -O1 -Wall -Wextra -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=all -fno-omit-frame-pointer -I src "${sources[@]}" -o "$out/manifest_fuzzer")

# Seeds: one of each kind of text, so the run starts from lines that parse.
if [ -z "$(ls -A "$out/corpus")" ]; then
  printf '\xef\xbb\xbfLatestVersion=105\r\nMinimalVersion=100\r\nPreDownStart=0\r\nPreDownEnd=0\r\n' >"$out/corpus/version"
  printf 'http://h/x/b.pak,00112233445566778899aabbccddeeff,1048576\r\nhttps://h/c.pak?v=1#f,, 42\n' >"$out/corpus/list"
fi
cat >"$out/manifests.dict" <<'DICT'
"LatestVersion="
"MinimalVersion="
"PreDownStart="
"PreDownEnd="
"http://"
"https://"
"\xef\xbb\xbf"
"\xc2\xa0"
"\xe3\x80\x80"
"\x0d\x0a"
","
"?"
"#"
"/"
".."
"NUL"
"COM1"
"00112233445566778899aabbccddeeff"
"18446744073709551615"
"2147483648"
DICT

rm -f "$out"/crash-* "$out"/leak-* "$out"/timeout-* "$out"/oom-*
status=0
"$out/manifest_fuzzer" -max_total_time="$seconds" -print_final_stats=1 -dict="$out/manifests.dict" \
  -artifact_prefix="$out/" "$out/corpus" >"$out/fuzz.log" 2>&1 || status=$?

executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/fuzz.log" | tail -n 1)
crashes=$(find "$out" -maxdepth 1 \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
echo "seconds: $seconds"
echo "executions: ${executions:-unknown}"
echo "corpus entries: $(ls "$out/corpus" | wc -l)"
echo "crashes: $crashes"
if [ "$status" -ne 0 ] || [ "$crashes" -ne 0 ]; then
  echo "libFuzzer exited with status $status; see $out/fuzz.log" >&2
  exit 1
fi
