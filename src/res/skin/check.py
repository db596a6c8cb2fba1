#!/usr/bin/python3
"""Checks the generated skin pictures: every id of both sets has its file, format and exact pixel size."""
import os
import sys

from PIL import Image

# file -> (format, width, height) of the 1x set: "<button>_<state>.png" for every picture of a button.
EXPECTED = {"background.png": ("PNG", 1020, 597), "update_banner.jpg": ("JPEG", 490, 124)}
STATES = ("normal", "hover", "pressed", "disabled")
for buttons, count, size in ((("close", "minimize"), 3, (26, 26)), (("folder",), 2, (28, 23)),
                             (("link_home", "link_events", "link_tournaments", "link_guide"), 2, (75, 22)),
                             (("register", "topup"), 2, (150, 39)), (("install", "update", "play"), 4, (170, 57)),
                             (("pause",), 4, (70, 30)), (("speed_limit",), 4, (100, 30))):
    for button in buttons:
        for state in STATES[:count]:
            EXPECTED[f"{button}_{state}.png"] = ("PNG",) + size
# The 2x set in x2/: every picture at twice the size, the background as JPEG.
HIGH_DPI = {os.path.join("x2", name): (fmt, w * 2, h * 2) for name, (fmt, w, h) in EXPECTED.items()
            if name != "background.png"}
HIGH_DPI[os.path.join("x2", "background.jpg")] = ("JPEG", 2040, 1194)
ICONS = {"app.ico": [48, 32, 16], "small.ico": [32, 16]}
BUDGET = 2_000_000  # both sets together: the program carries them all


def main(folder):
    errors, total = [], 0
    for name, (fmt, w, h) in {**EXPECTED, **HIGH_DPI}.items():
        path = os.path.join(folder, name)
        if not os.path.exists(path):
            errors.append(f"{name}: missing")
            continue
        total += os.path.getsize(path)
        with Image.open(path) as im:
            if (im.format, im.width, im.height) != (fmt, w, h):
                errors.append(f"{name}: {im.format} {im.width}x{im.height}, wanted {fmt} {w}x{h}")
    for name, sizes in ICONS.items():
        with open(os.path.join(folder, name), "rb") as f:
            data = f.read()
        count = int.from_bytes(data[4:6], "little")
        found = [data[6 + 16 * k] or 256 for k in range(count)]
        if found != sizes:
            errors.append(f"{name}: sizes {found}, wanted {sizes}")
    if total > BUDGET:
        errors.append(f"pictures take {total} bytes, over the {BUDGET} budget")
    for e in errors:
        print("skin check:", e, file=sys.stderr)
    print(f"skin check: {len(EXPECTED)} + {len(HIGH_DPI)} pictures and {len(ICONS)} icons, {total} bytes of pictures"
          + (", FAILED" if errors else ", ok"))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")))
