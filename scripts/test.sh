#!/usr/bin/env bash
# Builds both presets and runs every test: native unit tests, Win32 tests under Wine and the
# whole-program tests that drive Stormline_VN.exe under Wine and Xvfb.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/install-deps.sh
jobs=$(nproc)

cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

cmake --preset win >/dev/null
cmake --build --preset win -j "$jobs"
# Tests share one Wine prefix and one Xvfb display; create both before the first test runs.
scripts/wine-run.sh cmd /c exit 0
ctest --preset win
