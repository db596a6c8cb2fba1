#!/usr/bin/env bash
# Runs a Windows program under Wine with the build folder's throw-away prefix and a
# shared Xvfb display; the prefix is created once, under a lock, on first use.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")

export WINEPREFIX=${WINEPREFIX:-$root/build/win/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64

if [ -z "${DISPLAY:-}" ]; then
  display=${SL_XVFB_DISPLAY:-87}
  export DISPLAY=":$display"
  exec 8>"/tmp/.sl-xvfb-$display.lock"
  flock 8
  # A socket can outlive its server (a session that ended); trust only a live lock owner.
  owner=$(tr -dc 0-9 2>/dev/null < "/tmp/.X$display-lock" || true)
  if [ -z "$owner" ] || ! kill -0 "$owner" 2>/dev/null || [ ! -S "/tmp/.X11-unix/X$display" ]; then
    rm -f "/tmp/.X$display-lock" "/tmp/.X11-unix/X$display"
    # Large enough for the main window at 200 % (2040 x 1194).
    setsid Xvfb "$DISPLAY" -screen 0 2560x1600x24 -nolisten tcp >/dev/null 2>&1 < /dev/null &
    for _ in $(seq 100); do [ -S "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
  fi
  flock -u 8
fi

mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -f "$WINEPREFIX/.sl-ready" ]; then
  wineboot -i >/dev/null 2>&1
  # Wine has no Segoe UI; map it to a face of similar width with full Vietnamese coverage.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Segoe UI' /d 'Noto Sans' /f >/dev/null 2>&1
  # A crash ends the process with a backtrace on stderr instead of waiting on a dialog nobody sees.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.sl-ready"
fi
flock -u 9
exec 9>&-

exec wine "$@"
