#!/usr/bin/env bash
# Regenerates every skin picture of src/res/ (background.png, <button>_<state>.png, update_banner.jpg, app.ico,
# small.ico) from skin.py, then checks them with check.py.
# Usage: src/res/skin/render.sh [--preview FILE]   (e.g. --preview build/skin-preview.png)
# Needs Debian's python3-pil, python3-numpy, fonts-dejavu-core and fonts-noto-core, which
# scripts/install-deps.sh installs. Debian's own Python is used on purpose: it has those modules.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
/usr/bin/python3 "$here/skin.py" --out "$here/.." "$@"
/usr/bin/python3 "$here/check.py" "$here/.."
