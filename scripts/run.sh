#!/usr/bin/env bash
# The demo: builds Stormline_VN.exe pointed at loopback, publishes a small release chain (a full
# release and two patches, with stand-in setup programs and patcher) on nginx, and opens the
# program under Wine with a fresh prefix. Press install and watch it download, verify, install
# and patch up to release 122; then play-now starts the (stand-in) patcher.
# On your display when DISPLAY is set, otherwise on a private Xvfb screen of 2560 x 1600, of which
# it saves a screenshot.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD

bash scripts/install-deps.sh
cmake --preset win >/dev/null
cmake --build --preset win -j "$(nproc)" --target Stormline_VN Stormline_VN_demo setup_standin patcher_standin

port=$(sed -n 's/^SL_DEMO_HTTP_PORT:STRING=//p' build/win/CMakeCache.txt)
own_version=$(sed -n 's/^SL_OWN_VERSION_NUMBER:INTERNAL=//p' build/win/CMakeCache.txt)
server=$root/build/demo-server
SL_LIMIT_RATE=${SL_DEMO_RATE:-6m} bash tests/servers/start.sh "$server" "$port" "$((port + 1))" >/dev/null
python3 tests/releases/release_tree.py "$server/www" "http://127.0.0.1:$port" \
  --setup build/win/tests/standins/setup_standin.exe --patcher build/win/tests/standins/patcher_standin.exe \
  --full 120 --patches 121,122 --minimal 100 --data-files 3 --data-size $((12 * 1024 * 1024))
# The launcher manifest names the program's own version: no self-update offer in the demo.
mkdir -p "$server/www/launcher" && printf "$own_version" > "$server/www/launcher/version.ini"
echo "Demo releases served at http://127.0.0.1:$port by nginx (limit_rate ${SL_DEMO_RATE:-6m})."

export WINEPREFIX=$root/build/demo/wineprefix
scripts/wine-run.sh cmd /c exit 0  # the prefix first: its creation takes a while the first time
cleanup() {
  kill "${app:-}" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  bash tests/servers/stop.sh "$server" || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

exe=build/win/demo/Stormline_VN.exe
if [ -n "${DISPLAY:-}" ]; then
  scripts/wine-run.sh "$exe" &
  app=$!
  wait "$app" || true
  exit 0
fi

export SL_XVFB_DISPLAY=${SL_XVFB_DISPLAY:-88}
shot_dir=$root/screenshots
mkdir -p "$shot_dir"
shot=$shot_dir/stormline-$(date +%Y%m%d-%H%M%S).png
scripts/wine-run.sh "$exe" &
app=$!
sleep "${SL_SCREENSHOT_DELAY:-8}"
DISPLAY=":$SL_XVFB_DISPLAY" import -window root "$shot"
echo "Screenshot: $shot"
echo "The program keeps running on display :$SL_XVFB_DISPLAY; press Ctrl+C to end it."
wait "$app" || true
