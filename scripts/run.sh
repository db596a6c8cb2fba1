#!/usr/bin/env bash
# Builds Stormline_VN.exe and opens its window under Wine: on your display when DISPLAY is
# set, otherwise on a private Xvfb screen of 1024 x 768, of which it saves a screenshot.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/install-deps.sh
cmake --preset win >/dev/null
cmake --build --preset win -j "$(nproc)" --target Stormline_VN

exe=build/win/Stormline_VN.exe
if [ -n "${DISPLAY:-}" ]; then
  exec scripts/wine-run.sh "$exe"
fi

export SL_XVFB_DISPLAY=${SL_XVFB_DISPLAY:-88}
shot_dir=$PWD/screenshots
mkdir -p "$shot_dir"
shot=$shot_dir/stormline-$(date +%Y%m%d-%H%M%S).png
scripts/wine-run.sh "$exe" &
app=$!
sleep "${SL_SCREENSHOT_DELAY:-8}"
DISPLAY=":$SL_XVFB_DISPLAY" import -window root "$shot"
echo "Screenshot: $shot"
echo "The program keeps running on display :$SL_XVFB_DISPLAY; press Ctrl+C to end it."
trap 'kill $app 2>/dev/null; WINEPREFIX=$PWD/build/win/wineprefix wineserver -k 2>/dev/null || true' INT TERM EXIT
wait $app || true
