#!/usr/bin/env bash
# Prepares the Wine prefix for the whole-program UI tests:
# - drive D: is a network drive (no free space for the program's rules), backed by <dir>/drive-d;
# - drive S: is a small fixed drive: a folder on the tmpfs /dev/shm, whose free space is far below
#   a release the install tests list;
# - the default browser is a recorder that appends every URL it is asked to open to <dir>/browser.log.
set -euo pipefail
dir=$(realpath -m "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
run=$here/../../scripts/wine-run.sh
mkdir -p "$dir/drive-d"
: > "$dir/browser.log"
cat > "$dir/browser.sh" <<SH
#!/bin/sh
printf '%s\n' "\$@" >> "$dir/browser.log"
SH
chmod +x "$dir/browser.sh"
"$run" cmd /c exit 0  # the prefix exists from here on
prefix=${WINEPREFIX:-$here/../../build/win/wineprefix}
ln -sfn "$dir/drive-d" "$prefix/dosdevices/d:"
small=/dev/shm/sl-e2e-small-drive-$(id -u)
mkdir -p "$small"
ln -sfn "$small" "$prefix/dosdevices/s:"
"$run" reg add 'HKLM\Software\Wine\Drives' /v 'd:' /d network /f >/dev/null
"$run" reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$dir/browser.sh" /f >/dev/null
# The mount manager reads drive types when the prefix starts.
WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
