#!/usr/bin/python3
"""Draws every skin picture of the launcher: background, banner, buttons and icons.

Run it through render.sh. The output only depends on this file, the fixed random seeds and
the Debian fonts below: no timestamps, no external pictures.
"""
import argparse
import math
import os
import struct
import sys
import unicodedata

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

W, H = 1020, 597  # the main window's client area, in 1x pixels
SS = 4            # supersampling factor for vector shapes

# Pixels per 1x pixel of the set being drawn: 1, or 2 for the high-DPI set. Every length below is
# written in 1x pixels and multiplied by K where it is drawn, so the 2x set has twice the detail
# of the same design; at K = 1 each product is the unchanged number, so the 1x set stays the same.
K = 1


def grow_size(size):
    """MaxFilter size at this scale of a 1x filter `size` (odd): the same radius, in pixels."""
    return K * (size - 1) + 1

FONT_FILES = {
    "logo": "/usr/share/fonts/truetype/noto/NotoSerifDisplay-Bold.ttf",
    "logo_italic": "/usr/share/fonts/truetype/noto/NotoSerifDisplay-BoldItalic.ttf",
    "bold": "/usr/share/fonts/truetype/noto/NotoSans-Bold.ttf",
    "small_bold": "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "small": "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
}

# Where the program places each control (client pixels): x, y, width, height.
LAYOUT = {
    "close": (989, 0, 26, 26),
    "minimise": (960, 0, 26, 26),
    # The four links side by side, 75 pixels apart.
    **{name: (540 + 75 * k, 50, 75, 22) for k, name in enumerate(("link_home", "link_events", "link_cups",
                                                                    "link_guide"))},
    "register": (850, 50, 150, 39),
    "topup": (850, 100, 150, 39),
    "folder1": (770, 511, 28, 23),
    "folder2": (770, 561, 28, 23),
    "start": (820, 510, 170, 57),
    "pause": (820, 472, 70, 30),
    "speed": (890, 472, 100, 30),
}

# Flat colours the program paints its own controls with; the lower panel matches the caption one.
FIELD_RGB = (51, 51, 52)
CAPTION_RGB = (32, 31, 31)
BAND_RGB = (11, 9, 9)


# ---------------------------------------------------------------------------------------------
# Small helpers on float pictures: colours are 0..1, arrays are (height, width, 3).

def rgb(hex_colour):
    h = hex_colour.lstrip("#")
    return np.array([int(h[i:i + 2], 16) / 255.0 for i in (0, 2, 4)], dtype=np.float32)


def ramp(t, stops):
    """Colour ramp: t (any shape) through [(position, '#rrggbb'), ...] -> t.shape + (3,)."""
    pos = [p for p, _ in stops]
    cols = np.stack([rgb(c) for _, c in stops])
    return np.stack([np.interp(t, pos, cols[:, k]) for k in range(3)], axis=-1).astype(np.float32)


def smoothstep(a, b, x):
    t = np.clip((x - a) / (b - a), 0.0, 1.0)
    return t * t * (3 - 2 * t)


def mix(base, colour, alpha):
    a = alpha[..., None] if np.ndim(alpha) == base.ndim - 1 else alpha
    return base * (1 - a) + colour * a


def screen(base, light):
    return 1 - (1 - base) * (1 - np.clip(light, 0, 1))


def to_image(arr):
    return Image.fromarray(np.round(np.clip(arr, 0, 1) * 255).astype(np.uint8), "RGB")


def from_image(img):
    return np.asarray(img.convert("RGB"), dtype=np.float32) / 255.0


def mask_of(img):
    return np.asarray(img, dtype=np.float32) / 255.0


def blur(mask, radius):
    img = Image.fromarray(np.round(np.clip(mask, 0, 1) * 255).astype(np.uint8), "L")
    return mask_of(img.filter(ImageFilter.GaussianBlur(radius)))


def shift(mask, dx, dy):
    out = np.zeros_like(mask)
    h, w = mask.shape
    ys, yd = (slice(0, h - dy), slice(dy, h)) if dy >= 0 else (slice(-dy, h), slice(0, h + dy))
    xs, xd = (slice(0, w - dx), slice(dx, w)) if dx >= 0 else (slice(-dx, w), slice(0, w + dx))
    out[yd, xd] = mask[ys, xs]
    return out


def grow(mask, size):
    img = Image.fromarray(np.round(mask * 255).astype(np.uint8), "L")
    return mask_of(img.filter(ImageFilter.MaxFilter(size)))


def vgrad(h, w, stops, top=0, bottom=None):
    """Vertical gradient over rows top..bottom (clamped outside)."""
    bottom = h if bottom is None else bottom
    t = (np.arange(h, dtype=np.float32) + 0.5 - top) / max(bottom - top, 1)
    col = ramp(np.clip(t, 0, 1), stops)
    return np.broadcast_to(col[:, None, :], (h, w, 3)).copy()


def shape_mask(w, h, draw_fn):
    """Anti-aliased mask: draw_fn(draw, scale) draws in white at SS times the size."""
    img = Image.new("L", (w * SS, h * SS), 0)
    draw_fn(ImageDraw.Draw(img), SS)
    return mask_of(img.reduce(SS))


def rrect(w, h, box, radius):
    x0, y0, x1, y1 = box

    def draw(d, s):
        d.rounded_rectangle((x0 * s, y0 * s, x1 * s - 1, y1 * s - 1), radius=radius * s, fill=255)
    return shape_mask(w, h, draw)


# ---------------------------------------------------------------------------------------------
# Text.

_font_cache = {}


def font(name, size):
    key = (name, size)
    if key not in _font_cache:
        _font_cache[key] = ImageFont.truetype(FONT_FILES[name], size,
                                              layout_engine=ImageFont.Layout.BASIC)
    return _font_cache[key]


def nfc(text):
    return unicodedata.normalize("NFC", text)


def plain(text):
    """The text without Vietnamese marks: its box is what gets centred."""
    base = unicodedata.normalize("NFD", text.replace("Đ", "D").replace("đ", "d"))
    return "".join(c for c in base if not unicodedata.combining(c)).replace("ư", "u").replace("Ư", "U") \
        .replace("ơ", "o").replace("Ơ", "O")


def text_mask(w, h, text, fnt, cx, cy, tracking=0.0, check=True):
    """Mask of `text` whose unmarked letters are centred on (cx, cy); checks nothing is clipped."""
    text = nfc(text)
    bare = plain(text)
    if tracking == 0:
        bb = fnt.getbbox(bare)
        width = fnt.getbbox(text)[2] - fnt.getbbox(text)[0]
        x = round(cx - width / 2 - fnt.getbbox(text)[0])
        y = round(cy - (bb[1] + bb[3]) / 2)
        img = Image.new("L", (w, h), 0)
        ImageDraw.Draw(img).text((x, y), text, font=fnt, fill=255)
    else:
        advances = [fnt.getlength(c) for c in text]
        total = sum(advances) + tracking * (len(text) - 1)
        bb = fnt.getbbox(bare)
        x = cx - total / 2
        y = round(cy - (bb[1] + bb[3]) / 2)
        img = Image.new("L", (w, h), 0)
        d = ImageDraw.Draw(img)
        for c, adv in zip(text, advances):
            d.text((round(x), y), c, font=fnt, fill=255)
            x += adv + tracking
    m = mask_of(img)
    if check:
        # Draw again on a bigger canvas to see whether anything fell outside the picture.
        big = Image.new("L", (w + 40 * K, h + 40 * K), 0)
        if tracking == 0:
            ImageDraw.Draw(big).text((x + 20 * K, y + 20 * K), text, font=fnt, fill=255)
        else:
            xx = cx - total / 2
            dd = ImageDraw.Draw(big)
            for c, adv in zip(text, advances):
                dd.text((round(xx) + 20 * K, y + 20 * K), c, font=fnt, fill=255)
                xx += adv + tracking
        ink_big = np.asarray(big, dtype=np.int64).sum()
        ink = np.asarray(img, dtype=np.int64).sum()
        if ink_big != ink:
            sys.exit(f"skin: text {text!r} does not fit its {w}x{h} picture")
        ys, xs = np.nonzero(np.asarray(img) > 0)
        if ys.min() < 1 or xs.min() < 1 or ys.max() > h - 2 or xs.max() > w - 2:
            sys.exit(f"skin: text {text!r} touches the edge of its {w}x{h} picture")
    return m


# ---------------------------------------------------------------------------------------------
# Noise.

def value_noise(rng, h, w, cell):
    gh, gw = h // cell + 4, w // cell + 4
    grid = rng.random((gh, gw), dtype=np.float32)
    img = Image.fromarray(grid, "F").resize((gw * cell, gh * cell), Image.BICUBIC)
    return np.asarray(img, dtype=np.float32)[cell:cell + h, cell:cell + w]


def fbm(rng, h, w, cell, octaves, gain=0.5):
    """Fractal noise of h x w pixels; `cell` is in 1x pixels, so both scales draw the same grids."""
    total = np.zeros((h, w), np.float32)
    amp, norm = 1.0, 0.0
    for _ in range(octaves):
        if cell < 2:
            break
        total += amp * value_noise(rng, h, w, cell * K)
        norm += amp
        amp *= gain
        cell //= 2
    total /= norm
    lo, hi = np.percentile(total, 1), np.percentile(total, 99)
    return np.clip((total - lo) / (hi - lo), 0, 1)


def sample(field, x, y):
    """Bilinear lookup of field at float coordinates (clamped)."""
    h, w = field.shape
    x = np.clip(x, 0, w - 1.001)
    y = np.clip(y, 0, h - 1.001)
    x0 = np.floor(x).astype(np.int32)
    y0 = np.floor(y).astype(np.int32)
    fx, fy = x - x0, y - y0
    a = field[y0, x0] * (1 - fx) + field[y0, x0 + 1] * fx
    b = field[y0 + 1, x0] * (1 - fx) + field[y0 + 1, x0 + 1] * fx
    return a * (1 - fy) + b * fy


def periodic_noise(rng, h, w, cells_x, cell_y, octaves):
    """Fractal noise that wraps around horizontally (w pixels per period), stretched vertically;
    `cell_y` is in 1x pixels."""
    total = np.zeros((h, w), np.float32)
    amp, norm = 1.0, 0.0
    for _ in range(octaves):
        gw = cells_x
        cy = cell_y * K
        gh = h // cy + 4
        grid = rng.random((gh, gw), dtype=np.float32)
        grid = np.concatenate([grid[:, -3:], grid, grid[:, :3]], axis=1)
        sx = w / gw
        img = Image.fromarray(grid, "F").resize((round((gw + 6) * sx), gh * cy), Image.BICUBIC)
        a = np.asarray(img, dtype=np.float32)
        off = round(3 * sx)
        total += amp * a[cy:cy + h, off:off + w]
        norm += amp
        amp *= 0.55
        cells_x *= 2
        cell_y = max(cell_y // 2, 2)
    total /= norm
    lo, hi = np.percentile(total, 1), np.percentile(total, 99)
    return np.clip((total - lo) / (hi - lo), 0, 1)


def ridge_line(rng, w, cell, octaves):
    return fbm(rng, 1, w, cell, octaves)[0] if cell * K < w else np.zeros(w, np.float32)


# ---------------------------------------------------------------------------------------------
# The scene: a storm of fire over dark mountains.

FIRE = [(0.0, "#000000"), (0.18, "#3a0a04"), (0.38, "#9a2208"), (0.58, "#e0520f"),
        (0.76, "#ff9a2e"), (0.9, "#ffd27a"), (1.0, "#fff6dc")]


def bolt_path(rng, x0, y0, x1, y1, depth, spread):
    pts = [(x0, y0), (x1, y1)]
    for level in range(depth):
        out = [pts[0]]
        amp = spread / (1.8 ** level)
        for (ax, ay), (bx, by) in zip(pts, pts[1:]):
            mx, my = (ax + bx) / 2, (ay + by) / 2
            nx, ny = -(by - ay), bx - ax
            ln = math.hypot(nx, ny) or 1
            off = (rng.random() * 2 - 1) * amp
            out += [(mx + nx / ln * off, my + ny / ln * off), (bx, by)]
        pts = out
    return pts


def lightning(rng, w, h, bolts):
    """Mask of thin forked bolts, drawn at SS times the size."""
    img = Image.new("L", (w * SS, h * SS), 0)
    d = ImageDraw.Draw(img)
    for (x0, y0, x1, y1, strength) in bolts:
        main = bolt_path(rng, x0, y0, x1, y1, 7, math.hypot(x1 - x0, y1 - y0) * 0.18)
        d.line([(x * SS, y * SS) for x, y in main], fill=int(255 * strength), width=int(1.6 * K * SS),
               joint="curve")
        for _ in range(3):
            i = int(rng.integers(len(main) // 5, len(main) * 3 // 4))
            bx, by = main[i]
            ang = math.atan2(y1 - y0, x1 - x0) + (rng.random() - 0.5) * 1.6
            ln = math.hypot(x1 - x0, y1 - y0) * (0.15 + rng.random() * 0.2)
            br = bolt_path(rng, bx, by, bx + math.cos(ang) * ln, by + math.sin(ang) * ln, 5, ln * 0.2)
            d.line([(x * SS, y * SS) for x, y in br], fill=int(160 * strength), width=int(0.9 * K * SS),
                   joint="curve")
    return mask_of(img.reduce(SS))


def embers(rng, w, h, count, centres):
    """Glowing sparks: a sharp layer and a soft layer, mostly around the given centres."""
    img = Image.new("L", (w * 2, h * 2), 0)
    d = ImageDraw.Draw(img)
    for i in range(count):
        cx, cy, sx, sy = centres[i % len(centres)]
        x = cx + rng.normal() * sx
        y = cy + rng.normal() * sy
        size = (0.5 + rng.random() ** 3 * 2.2) * K
        bright = 0.35 + rng.random() * 0.65
        # a short streak, rising and drifting with the storm
        ang = -math.pi / 2 + (rng.random() - 0.3) * 1.2
        ln = rng.random() * 5 * size
        d.line([(x * 2, y * 2), ((x + math.cos(ang) * ln) * 2, (y + math.sin(ang) * ln) * 2)],
               fill=int(255 * bright), width=max(1, int(size * 2)))
    sharp = mask_of(img.reduce(2))
    return sharp, blur(sharp, 3.0 * K) * 2.5


def scene(w, h, *, seed, eye, radius, horizon, bolts, ember_count, ember_centres, lava=True):
    """The storm at this scale; every argument is in 1x pixels."""
    rng = np.random.default_rng(seed)
    w, h, radius, horizon = w * K, h * K, radius * K, horizon * K
    ex, ey = eye[0] * K, eye[1] * K
    bolts = [(x0 * K, y0 * K, x1 * K, y1 * K, strength) for x0, y0, x1, y1, strength in bolts]
    ember_centres = [(x * K, y * K, sx * K, sy * K) for x, y, sx, sy in ember_centres]
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)

    # Sky: near black at the top, ember-lit towards the horizon.
    sky = vgrad(h, w, [(0.0, "#050407"), (0.35, "#0d090c"), (0.75, "#2a0e09"), (1.0, "#4a1608")],
                0, horizon)

    # Storm clouds: warped fractal noise, lit from below by the fire.
    warp_x = fbm(rng, h, w, 256, 3) - 0.5
    warp_y = fbm(rng, h, w, 256, 3) - 0.5
    base = fbm(rng, h + 80 * K, w + 80 * K, 192, 7)
    cloud = sample(base, xx + 40 * K + warp_x * 160 * K, yy + 40 * K + warp_y * 110 * K)
    dens = smoothstep(0.32, 0.85, cloud)
    detail = fbm(rng, h, w, 48, 4)

    dx = (xx - ex) / radius
    dy = (yy - ey) / (radius * 0.6)
    r = np.sqrt(dx * dx + dy * dy) + 1e-4
    theta = np.arctan2(dy, dx)
    fire_light = np.exp(-(r / 1.25) ** 2)
    ground_light = np.exp(-np.clip(horizon - yy, 0, None) / (h * 0.16)) * (yy < horizon + 40 * K)
    light = np.clip(fire_light * 0.9 + ground_light * 0.6, 0, 1)

    cloud_dark = ramp(detail, [(0, "#09080b"), (1, "#1c171c")])
    cloud_lit = ramp(detail, [(0, "#4a160a"), (0.6, "#8a3410"), (1, "#c8672a")])
    cloud_col = mix(cloud_dark, cloud_lit, light * (0.35 + 0.65 * dens))
    c = mix(sky, cloud_col, dens * 0.92)
    # silver-gold rims where clouds thin out near the light
    rim = np.clip(dens * (1 - dens) * 4, 0, 1) * light * detail
    c = screen(c, rgb("#ffb25a") * (rim * 0.35)[..., None])

    # The fire vortex: three spiral arms, streaked along their length and made ragged by noise.
    turb = fbm(rng, h, w, 96, 5)
    pitch = 1.55
    logr = np.log(r)
    phase = theta + pitch * logr + (turb - 0.5) * 0.9
    streak_w, streak_h = 1536 * K, 256 * K
    streaks = periodic_noise(rng, streak_h, streak_w, 48, 64, 4)
    u = np.mod(phase / (2 * np.pi), 1.0) * streak_w
    v = np.clip((logr + 3.5) / 5.0, 0, 1) * (streak_h - 1)
    tex = sample(np.concatenate([streaks, streaks[:, :1]], axis=1), u, v)
    arms = 0.5 + 0.5 * np.cos(3.0 * phase)
    arms = arms ** 1.8
    envelope = smoothstep(0.04, 0.3, r) * np.exp(-((r - 0.42) / 0.6) ** 2)
    heat = arms * envelope * (0.25 + 1.1 * tex ** 1.5) * (0.6 + 0.5 * turb)
    heat *= 0.65 + 0.35 * dens            # the fire burns inside the clouds
    core = np.exp(-(r / 0.11) ** 2)
    heat = np.clip(heat * 0.95 + core * 0.9 + np.exp(-(r / 0.45) ** 2) * 0.2, 0, 1)
    c = screen(c, ramp(heat, FIRE))

    # Lightning, gold-white with an ember halo.
    if bolts:
        bolt = lightning(rng, w, h, bolts)
        halo = blur(bolt, 6 * K) * 2.2 + blur(bolt, 2 * K) * 1.2
        c = screen(c, rgb("#ff7a1c") * np.clip(halo, 0, 1)[..., None] * 0.8)
        c = screen(c, rgb("#fff0c8") * bolt[..., None])

    # Two ranges of mountains against the glow, and burning ground.
    far = horizon - 30 * K - ridge_line(rng, w, 128, 5) * h * 0.13
    near = horizon + 12 * K - ridge_line(rng, w, 200, 6) * h * 0.12
    far_mask = smoothstep(-0.8, 0.8, yy - far[None, :])
    near_mask = smoothstep(-0.8, 0.8, yy - near[None, :])
    far_col = vgrad(h, w, [(0, "#2a0f09"), (1, "#120806")], 0, h)
    c = mix(c, far_col, far_mask)
    rim_far = np.exp(-np.clip(yy - far[None, :], 0, None) / (2.0 * K)) * far_mask
    c = screen(c, rgb("#ff8a30") * (rim_far * 0.45)[..., None])
    # the near ground: dark rock lit from the horizon, split by glowing lava veins
    rock = fbm(rng, h, w, 40, 5)
    below = np.clip(yy - near[None, :], 0, None)
    ground = mix(ramp(rock, [(0, "#030202"), (1, "#0c0706")]), rgb("#2a0e06"),
                 np.exp(-below / (24.0 * K)) * (0.3 + 0.7 * rock))
    c = mix(c, ground, near_mask)
    if lava:
        # the veins lie on the ground, so their pattern is squashed towards the horizon
        field = fbm(rng, h // 2, w, 110, 5)
        depth = 70.0 * K * np.log1p(below / (10.0 * K))
        ridged = 1 - np.abs(sample(field, xx, depth) * 2 - 1)
        veins = smoothstep(0.93, 0.995, ridged) * near_mask * smoothstep(8 * K, 70 * K, below)
        veins *= 0.55 + 0.45 * smoothstep(0.3, 0.8, fbm(rng, h, w, 150, 2))
        c = screen(c, rgb("#c8360a") * np.clip(blur(veins, 4 * K) * 1.6, 0, 1)[..., None] * 0.5)
        c = screen(c, ramp(np.clip(veins * 0.85, 0, 1), FIRE))
    rim_near = np.exp(-np.clip(yy - near[None, :], 0, None) / (1.5 * K)) * near_mask
    c = screen(c, rgb("#ff6a1e") * (rim_near * 0.35)[..., None])
    haze = np.exp(-np.abs(yy - near[None, :]) / (18.0 * K)) * (1 - near_mask)
    c = screen(c, rgb("#b8380c") * (haze * 0.35)[..., None])

    # Embers rising through everything.
    sharp, soft = embers(rng, w, h, ember_count, ember_centres)
    c = screen(c, rgb("#ff5a12") * np.clip(soft, 0, 1)[..., None] * 0.55)
    c = screen(c, ramp(np.clip(sharp, 0, 1), [(0, "#000000"), (0.5, "#ff9a3a"), (1, "#fff1c0")]))

    # Vignette.
    vx = (xx / w - 0.5) * 2
    vy = (yy / h - 0.45) * 2
    v = np.sqrt(vx * vx * 0.8 + vy * vy)
    c *= (1 - 0.6 * smoothstep(0.55, 1.35, v))[..., None]
    return c


# ---------------------------------------------------------------------------------------------
# The logo: "STORMLINE" in forged gold over "Bão Lửa" in fire.

GOLD_FACE = [(0.0, "#fff7d6"), (0.38, "#ffd77a"), (0.5, "#f0a73a"), (0.62, "#c87a1e"),
             (1.0, "#ffcf6a")]
FIRE_FACE = [(0.0, "#fff0b0"), (0.35, "#ffc04a"), (0.7, "#ff6a1a"), (1.0, "#c8260c")]


def paint_lettering(c, mask, face_stops, top, bottom, *, outline=2, glow=10, glow_colour="#ff5a10",
                    glow_strength=0.9, shadow=0.85):
    h, w = mask.shape
    halo = blur(grow(mask, grow_size(outline * 2 + 5)), glow * 0.8)
    c = mix(c, rgb("#000000"), np.clip(halo * shadow * 1.3, 0, shadow))
    c = screen(c, rgb(glow_colour) * np.clip(blur(mask, glow) * 1.6 * glow_strength, 0, 1)[..., None])
    edge = grow(mask, grow_size(outline * 2 + 1))
    c = mix(c, vgrad(h, w, [(0, "#4a2c0c"), (1, "#1a0b04")], top, bottom), edge)
    rim = grow(mask, grow_size(3))
    c = mix(c, vgrad(h, w, [(0, "#ffe6a0"), (0.5, "#a8661c"), (1, "#6a3a0e")], top, bottom), rim)
    c = mix(c, vgrad(h, w, face_stops, top, bottom), mask)
    # bevel: light from above, shade from below, inside the letters
    lit = np.clip(mask - shift(mask, 0, 2 * K), 0, 1)
    shade = np.clip(mask - shift(mask, 0, -2 * K), 0, 1)
    c = screen(c, rgb("#fffbe8") * (lit * 0.55)[..., None])
    c = mix(c, rgb("#5a2a06"), shade * 0.45)
    return c


def ornament_line(w, h, x0, x1, y, towards_right):
    """A gold rule that fades away from the text and ends in a small diamond by it."""
    def draw(d, s):
        n = 40
        for i in range(n):
            a = x0 + (x1 - x0) * i / n
            b = x0 + (x1 - x0) * (i + 1) / n
            fade = (i + 1) / n if towards_right else 1 - i / n
            d.line([(a * s, y * s), (b * s, y * s)], fill=int(255 * fade), width=int(1.5 * K * s))
        tip = x1 if towards_right else x0
        r = 3.2 * K
        d.polygon([((tip - r) * s, y * s), (tip * s, (y - r) * s), ((tip + r) * s, y * s),
                   (tip * s, (y + r) * s)], fill=255)
    return shape_mask(w, h, draw)


def logo(c, cx, top, big, small, tracking):
    """The lettering centred on cx with its capitals' top at `top`; all in 1x pixels."""
    h, w = c.shape[:2]
    cx, top, big, small, tracking = cx * K, top * K, big * K, small * K, tracking * K
    f_big = font("logo", big)
    cap = f_big.getbbox("H")
    cap_h = cap[3] - cap[1]
    cy1 = top + cap_h / 2
    m1 = text_mask(w, h, "STORMLINE", f_big, cx, cy1, tracking=tracking, check=False)
    c = paint_lettering(c, m1, GOLD_FACE, top, top + cap_h, outline=2, glow=big * 0.16)

    f_small = font("logo_italic", small)
    s_cap = f_small.getbbox("B")
    cy2 = top + cap_h + small * 0.42 + s_cap[3] / 2 - s_cap[1] / 2
    m2 = text_mask(w, h, "Bão Lửa", f_small, cx, cy2, tracking=small * 0.03, check=False)
    ys, xs = np.nonzero(m2 > 0.1)
    c = paint_lettering(c, m2, FIRE_FACE, ys.min(), ys.max(), outline=1, glow=small * 0.22,
                        glow_colour="#ff4a0a", glow_strength=1.1)
    # flanking gold rules
    gap = small * 0.35
    span = big * 1.3
    y_rule = round(cy2) + 0.5
    left = ornament_line(w, h, xs.min() - gap - span, xs.min() - gap, y_rule, True)
    right = ornament_line(w, h, xs.max() + gap, xs.max() + gap + span, y_rule, False)
    rules = np.clip(left + right, 0, 1)
    c = mix(c, rgb("#000000"), blur(rules, 2 * K) * 0.6)
    c = mix(c, rgb("#f5c25a"), rules)
    return c


# ---------------------------------------------------------------------------------------------
# The emblem (icons and the title-bar mark): a fiery "S" in a gold-rimmed dark tile.

def emblem(size):
    """RGBA picture of the emblem at `size` pixels, drawn for that size."""
    s = size
    pad = 0 if s <= 16 else s / 32
    radius = s * 0.22
    outer = rrect(s, s, (pad, pad, s - pad, s - pad), radius)
    ring = 1.0 if s <= 32 else s / 24
    inner = rrect(s, s, (pad + ring, pad + ring, s - pad - ring, s - pad - ring), radius - ring)
    col = vgrad(s, s, [(0, "#ffe39a"), (0.5, "#c88a2a"), (1, "#7a4a12")])
    col = mix(col, vgrad(s, s, [(0, "#2e120a"), (0.6, "#140806"), (1, "#070404")]), inner)
    # an ember glow at the bottom of the tile
    yy, xx = np.mgrid[0:s, 0:s].astype(np.float32)
    g = np.exp(-(((xx - s / 2) / (s * 0.45)) ** 2 + ((yy - s * 0.95) / (s * 0.45)) ** 2))
    col = screen(col, rgb("#c83a0a") * (g * inner * 0.6)[..., None])
    # the letter
    if s <= 16:
        f = font("small_bold", 13)
    else:
        f = font("logo", round(s * 0.78))
    cap = f.getbbox("S")
    m = text_mask(s, s, "S", f, s / 2, s / 2 + (0.5 if s <= 16 else s * 0.01), check=False)
    if s > 16:
        col = mix(col, rgb("#000000"), np.clip(blur(grow(m, 3), s / 24) * 0.9, 0, 0.9) * inner)
    col = mix(col, vgrad(s, s, [(0, "#fff3c0"), (0.45, "#ffb23a"), (1, "#e0440e")],
                         s / 2 - (cap[3] - cap[1]) / 2, s / 2 + (cap[3] - cap[1]) / 2), m)
    return np.concatenate([col, outer[..., None]], axis=-1)


def write_ico(path, pictures):
    """Writes an icon file of 32-bit images (BMP entries with their AND masks)."""
    blobs = []
    for pic in pictures:
        s = pic.shape[0]
        px = np.round(np.clip(pic, 0, 1) * 255).astype(np.uint8)
        bgra = px[::-1][..., [2, 1, 0, 3]].tobytes()
        row = ((s + 31) // 32) * 4
        mask_rows = []
        for y in range(s - 1, -1, -1):
            bits = bytearray(row)
            for x in range(s):
                if px[y, x, 3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask_rows.append(bytes(bits))
        header = struct.pack("<IiiHHIIiiII", 40, s, s * 2, 1, 32, 0, len(bgra), 0, 0, 0, 0)
        blobs.append(header + bgra + b"".join(mask_rows))
    offset = 6 + 16 * len(pictures)
    out = [struct.pack("<HHH", 0, 1, len(pictures))]
    for pic, blob in zip(pictures, blobs):
        s = pic.shape[0]
        out.append(struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(blob), offset))
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(b"".join(out + blobs))


def over_rgba(c, pic, x, y):
    h, w = pic.shape[:2]
    region = c[y:y + h, x:x + w]
    c[y:y + h, x:x + w] = mix(region, pic[..., :3], pic[..., 3])
    return c


# ---------------------------------------------------------------------------------------------
# The main background.

PANEL = (270, 462, 1010, 593)  # the lower panel behind the folder fields and the start button
RIBBON = (528, 44, 846, 78)     # the dark strip behind the text links


def pixels(v0, v1):
    """The pixel indices that 1x pixels v0..v1 (rows or columns) cover at this scale."""
    return slice(v0 * K, v1 * K)


def background():
    c = scene(W, H, seed=1771, eye=(640, 250), radius=330, horizon=440,
              bolts=[(48, 36, 120, 410, 0.9), (905, 150, 990, 330, 0.55)],
              ember_count=900,
              ember_centres=[(640, 260, 260, 120), (200, 430, 200, 60), (520, 380, 300, 90),
                             (900, 300, 140, 140)])
    w, h = W * K, H * K
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)

    # Title band: dark and quiet, closed by a thin gold rule.
    band = smoothstep(36 * K, 26 * K, yy)
    c = mix(c, rgb("#0b0909"), band * 0.97)
    flat_band = (yy < 30 * K) & (xx > 940 * K)
    c[flat_band] = np.array(BAND_RGB, np.float32) / 255
    rule = np.exp(-((yy - 30.5 * K) / (0.6 * K)) ** 2) * np.clip(1 - np.abs(xx - w / 2) / (w * 0.55), 0, 1)
    c = screen(c, rgb("#c8923a") * (rule * 0.8)[..., None])
    c = over_rgba(c, emblem(24 * K), 14 * K, 3 * K)

    # Ribbon behind the links.
    x0, y0, x1, y1 = RIBBON
    rib = rrect(w, h, tuple(v * K for v in RIBBON), 3 * K)
    fade_x = smoothstep(x0 * K, (x0 + 30) * K, xx) * smoothstep((x1 + 40) * K, (x1 - 10) * K, xx)
    c = mix(c, rgb("#080607"), rib * 0.78)
    for y in (y0, y1 - 1):
        line = ((yy >= y * K) & (yy < (y + 1) * K)) * fade_x  # K pixels thick
        c = screen(c, rgb("#b8853a") * (line * 0.7)[..., None])

    # The logo, upper left.
    c = logo(c, 330, 150, 80, 56, tracking=5)

    # The lower panel: flat caption colour inside, bevelled gold frame, soft shadow outside.
    px0, py0, px1, py1 = PANEL
    outer = rrect(w, h, tuple(v * K for v in PANEL), 7 * K)
    c = mix(c, rgb("#000000"), blur(outer, 10 * K) * 0.75)
    frame = vgrad(h, w, [(0, "#e0b25a"), (0.5, "#7a5222"), (1, "#3a2612")], py0 * K, py1 * K)
    c = mix(c, frame, outer)
    dark = rrect(w, h, ((px0 + 1) * K, (py0 + 1) * K, (px1 - 1) * K, (py1 - 1) * K), 6 * K)
    c = mix(c, rgb("#0a0807"), dark)
    inner = rrect(w, h, ((px0 + 3) * K, (py0 + 3) * K, (px1 - 3) * K, (py1 - 3) * K), 5 * K)
    c = mix(c, np.array(CAPTION_RGB, np.float32) / 255, inner)
    # corner ornaments
    orn = shape_mask(w, h, lambda d, s: [
        d.polygon([(x * K * s, y * K * s) for x, y in pts], fill=255) for pts in corner_marks()])
    c = mix(c, rgb("#f0c060"), orn)

    # The band under the buttons stays flat so that any tiling of their pictures is seamless.
    c[flat_band] = np.array(BAND_RGB, np.float32) / 255
    return c


def corner_marks():
    px0, py0, px1, py1 = PANEL
    marks = []
    for cx, sx in ((px0, 1), (px1, -1)):
        for cy, sy in ((py0, 1), (py1, -1)):
            a, b = 16, 2.2
            marks.append([(cx, cy), (cx + sx * a, cy), (cx + sx * a, cy + sy * b),
                          (cx + sx * b, cy + sy * b), (cx + sx * b, cy + sy * a), (cx, cy + sy * a)])
    return marks


# ---------------------------------------------------------------------------------------------
# Buttons: each picture is drawn over the part of the background it covers, so it is opaque and
# still blends with the window around it.

def crop(bg, name):
    x, y, w, h = LAYOUT[name]
    return bg[pixels(y, y + h), pixels(x, x + w)].copy()


def bevel_button(c, text, fnt, *, fill, frame, radius, text_stops=None, pressed=False, glow=None,
                 sheen=0.16, shadow="#1a0602", outline=0.0):
    """A bevelled gold frame over `c`, with `text` in the middle unless it is None."""
    h, w = c.shape[:2]
    m0 = rrect(w, h, (0, 0, w, h), radius * K)
    m1 = rrect(w, h, (K, K, w - K, h - K), (radius - 1) * K)
    m2 = rrect(w, h, (2.5 * K, 2.5 * K, w - 2.5 * K, h - 2.5 * K), (radius - 2) * K)
    c = mix(c, rgb("#080403"), m0)
    c = mix(c, vgrad(h, w, frame), m1)
    c = mix(c, rgb(shadow), m2)
    m2 = rrect(w, h, (3 * K, 3 * K, w - 3 * K, h - 3 * K), (radius - 3) * K)
    c = mix(c, vgrad(h, w, fill, 3 * K, h - 3 * K), m2)
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
    if glow:
        g = np.exp(-(((xx - w / 2) / (w * 0.42)) ** 2 + ((yy - h * 0.95) / (h * 0.55)) ** 2))
        c = screen(c, rgb(glow) * (g * m2 * 0.75)[..., None])
    if pressed:
        inset = np.clip(m2 - shift(m2, 0, 4 * K), 0, 1)
        c = mix(c, rgb("#000000"), blur(inset, 1.5 * K) * m2 * 0.7)
    elif sheen:
        top = rrect(w, h, (3 * K, 3 * K, w - 3 * K, h * 0.5), (radius - 3) * K)
        c = screen(c, rgb("#ffffff") * (top * sheen * (1 - yy / h))[..., None])
    if text is None:
        return c
    press = K if pressed else 0
    m = text_mask(w, h, text, fnt, w / 2 + press, h / 2 + press)
    ys = np.nonzero(m.max(axis=1) > 0)[0]
    if outline:
        c = mix(c, rgb(shadow), np.clip(blur(grow(m, grow_size(3)), 0.9 * K) * 1.5, 0, 1) * outline)
    c = mix(c, rgb(shadow), np.clip(shift(blur(m, 0.8 * K), 0, K) * 1.4, 0, 0.9))
    c = mix(c, vgrad(h, w, text_stops, ys.min(), ys.max() + 1), m)
    return c


START_STYLES = {
    "normal": dict(fill=[(0, "#f08a2c"), (0.5, "#d2480f"), (0.52, "#b83208"), (1, "#7a1604")],
                   frame=[(0, "#fff0b8"), (0.45, "#e0a84a"), (1, "#7a4a16")],
                   text_stops=[(0, "#ffffff"), (1, "#ffe6b0")], glow="#ff8a2a", shadow="#3a0a02"),
    "hover": dict(fill=[(0, "#ffb050"), (0.5, "#f2661c"), (0.52, "#de4a10"), (1, "#9a2006")],
                  frame=[(0, "#ffffff"), (0.45, "#ffd070"), (1, "#a8661c")],
                  text_stops=[(0, "#ffffff"), (1, "#fff4d0")], glow="#ffd070", shadow="#4a1002"),
    "pressed": dict(fill=[(0, "#8a2a08"), (0.5, "#a8380c"), (1, "#c04a12")],
                    frame=[(0, "#6a3a10"), (0.5, "#c08a3a"), (1, "#f0c070")],
                    text_stops=[(0, "#ffe6b0"), (1, "#f0c890")], glow=None, shadow="#2a0600",
                    pressed=True),
    "disabled": dict(fill=[(0, "#6a6664"), (0.5, "#4e4b4a"), (0.52, "#444140"), (1, "#2e2c2c")],
                     frame=[(0, "#9a9694"), (0.5, "#6a6664"), (1, "#3a3838")],
                     text_stops=[(0, "#a8a4a0"), (1, "#8a8684")], glow=None, shadow="#1a1a1a",
                     sheen=0.06),
}

BIG_STYLES = {
    "normal": dict(fill=[(0, "#5a1a0c"), (0.5, "#3a0e06"), (1, "#220804")],
                   frame=[(0, "#f0c870"), (0.5, "#9a6a28"), (1, "#4a2c10")],
                   text_stops=[(0, "#fff0c8"), (1, "#f0c070")], glow="#a8300a", shadow="#000000",
                   sheen=0.10),
    "hover": dict(fill=[(0, "#a83a14"), (0.5, "#7a200a"), (1, "#4a1006")],
                  frame=[(0, "#ffffff"), (0.5, "#ffc860"), (1, "#8a5a1e")],
                  text_stops=[(0, "#ffffff"), (1, "#ffe08a")], glow="#ff7a20", shadow="#1a0400",
                  sheen=0.14),
}


# The caption-less pause and speed-limit buttons: the big buttons' dark fill and gold frame.
TEXT_STYLES = {
    "normal": dict(fill=[(0, "#5a1a0c"), (0.5, "#3a0e06"), (1, "#220804")],
                   frame=[(0, "#f0c870"), (0.5, "#9a6a28"), (1, "#4a2c10")], glow="#a8300a",
                   shadow="#000000", sheen=0.10),
    "hover": dict(fill=[(0, "#a83a14"), (0.5, "#7a200a"), (1, "#4a1006")],
                  frame=[(0, "#ffffff"), (0.5, "#ffc860"), (1, "#8a5a1e")], glow="#ff7a20",
                  shadow="#1a0400", sheen=0.14),
    "pressed": dict(fill=[(0, "#2a0804"), (0.5, "#4a1208"), (1, "#6a200c")],
                    frame=[(0, "#6a3a10"), (0.5, "#c08a3a"), (1, "#f0c070")], shadow="#000000",
                    pressed=True),
    "disabled": dict(fill=[(0, "#4e4b4a"), (0.5, "#3a3838"), (1, "#2a2828")],
                     frame=[(0, "#8a8684"), (0.5, "#5e5b5a"), (1, "#343232")], shadow="#141414",
                     sheen=0.05),
}


def start_button(bg, text, state):
    return bevel_button(crop(bg, "start"), text, font("bold", 21 * K), radius=7, outline=0.55,
                        **START_STYLES[state])


def big_button(bg, where, text, state):
    return bevel_button(crop(bg, where), text, font("bold", 15 * K), radius=5, **BIG_STYLES[state])


def text_button(bg, where, state):
    """The pause and speed-limit buttons: a frame without caption, the program draws their text."""
    return bevel_button(crop(bg, where), None, None, radius=5, **TEXT_STYLES[state])


def link(bg, where, text, state):
    c = crop(bg, where)
    h, w = c.shape[:2]
    fnt = font("bold", 12 * K)
    m = text_mask(w, h, text, fnt, w / 2, h / 2)
    if state == "hover":
        yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
        g = np.exp(-(((xx - w / 2) / (w * 0.36)) ** 2 + ((yy - h / 2) / (h * 0.4)) ** 2))
        # nothing at the picture's edges, so it blends with the strip around it
        edge = smoothstep(0, 6 * K, np.minimum(xx, w - 1 - xx)) * smoothstep(0, 4 * K, np.minimum(yy, h - 1 - yy))
        c = screen(c, rgb("#a8380c") * (g * edge * 0.5)[..., None])
        c = screen(c, rgb("#ffb040") * np.clip(blur(m, 2.0 * K) * 0.9, 0, 1)[..., None])
        # a short gold underline under the word
        xs = np.nonzero(m.max(axis=0) > 0)[0]
        line = np.zeros((h, w), np.float32)
        line[h - 3 * K:h - 2 * K, xs.min():xs.max() + 1] = 1
        line *= smoothstep(xs.min() - K, xs.min() + 12 * K, xx) * smoothstep(xs.max() + K, xs.max() - 12 * K, xx)
        line *= 1 - grow(np.clip(m * 3, 0, 1), grow_size(5))  # the rule breaks around descenders and dots
        c = mix(c, rgb("#ffc860"), line)
        colour = rgb("#ffd47a")
    else:
        colour = rgb("#d9ccb6")
    c = mix(c, rgb("#000000"), np.clip(shift(m, K, K) * 0.9, 0, 1))
    c = mix(c, colour, m)
    return c


def folder_button(bg, where, state):
    c = crop(bg, where)
    h, w = c.shape[:2]
    hover = state == "hover"
    m0 = rrect(w, h, (0, 0, w, h), 3 * K)
    m1 = rrect(w, h, (K, K, w - K, h - K), 2 * K)
    c = mix(c, vgrad(h, w, [(0, "#f0c870"), (1, "#6a4416")] if hover else
                     [(0, "#a8803e"), (1, "#3a2410")]), m0)
    c = mix(c, vgrad(h, w, [(0, "#5a2a12"), (1, "#2a0e06")] if hover else
                     [(0, "#2e2624"), (1, "#161212")]), m1)

    # folder icon: a tab and a body, outlined; drawn in 1x pixels
    def body(d, s):
        s *= K
        x0, y0 = 7, 6
        d.polygon([(x0 * s, (y0 + 1) * s), ((x0 + 5) * s, (y0 + 1) * s), ((x0 + 6.5) * s, (y0 + 2.5) * s),
                   ((x0 + 14) * s, (y0 + 2.5) * s), ((x0 + 14) * s, (y0 + 11) * s), (x0 * s, (y0 + 11) * s)],
                  fill=255)
    def front(d, s):
        s *= K
        x0, y0 = 7, 6
        d.polygon([((x0 + 1.5) * s, (y0 + 5) * s), ((x0 + 15.5) * s, (y0 + 5) * s), ((x0 + 14) * s, (y0 + 11) * s),
                   (x0 * s, (y0 + 11) * s)], fill=255)
    mb = shape_mask(w, h, body)
    mf = shape_mask(w, h, front)
    back = "#c88a2e" if hover else "#9a6a26"
    fr = [(0, "#fff0b0"), (1, "#ffb840")] if hover else [(0, "#f0d090"), (1, "#c8913a")]
    c = mix(c, rgb("#000000"), np.clip(shift(np.maximum(mb, mf), K, K) * 0.7, 0, 1))
    c = mix(c, rgb(back), mb)
    c = mix(c, vgrad(h, w, fr, 11 * K, 17 * K), mf)
    return c


def window_button(bg, where, glyph, state):
    """Close and minimise: a round-cornered tile at [2, 26) so the picture tiles seamlessly."""
    c = crop(bg, where)
    h, w = c.shape[:2]
    box = (2 * K, 2 * K, 26 * K, 26 * K)
    m0 = rrect(w + 2 * K, h + 2 * K, box, 5 * K)[:h, :w]
    m1 = rrect(w + 2 * K, h + 2 * K, (3 * K, 3 * K, 25 * K, 25 * K), 4 * K)[:h, :w]
    is_close = glyph == "close"
    if state == "normal":
        frame, fill, ink = [(0, "#8a6a36"), (1, "#3a2a16")], [(0, "#2a2220"), (1, "#141010")], "#d8cfc2"
    elif state == "hover":
        frame = [(0, "#ffe6a0"), (1, "#a86a22")]
        fill = [(0, "#e0521a"), (1, "#8a1a06")] if is_close else [(0, "#6a4a26"), (1, "#2e1e10")]
        ink = "#ffffff" if is_close else "#ffe6a8"
    else:
        frame = [(0, "#3a2a16"), (1, "#8a6a36")]
        fill = [(0, "#5a1406"), (1, "#8a2a0c")] if is_close else [(0, "#0a0808"), (1, "#241c14")]
        ink = "#f0d8c0"
    c = mix(c, vgrad(h, w, frame, 2 * K, 26 * K), m0)
    c = mix(c, vgrad(h, w, fill, 3 * K, 25 * K), m1)
    if state == "pressed":
        inset = np.clip(m1 - shift(m1, 0, 3 * K), 0, 1)
        c = mix(c, rgb("#000000"), blur(inset, 1.0 * K) * m1 * 0.7)
    else:
        top = rrect(w + 2 * K, h + 2 * K, (4 * K, 4 * K, 24 * K, 13 * K), 3 * K)[:h, :w]
        c = screen(c, rgb("#ffffff") * (top * 0.07)[..., None])
    off = 0.5 if state == "pressed" else 0.0
    cx, cy = 14 + off, 14 + off

    def draw(d, s):  # in 1x pixels
        s *= K
        if is_close:
            r = 4.6
            for a, b in (((cx - r, cy - r), (cx + r, cy + r)), ((cx - r, cy + r), (cx + r, cy - r))):
                d.line([(a[0] * s, a[1] * s), (b[0] * s, b[1] * s)], fill=255, width=int(1.9 * s))
        else:
            d.rectangle(((cx - 5) * s, (cy + 1) * s, (cx + 5) * s, (cy + 3) * s), fill=255)
    g = shape_mask(w + 2 * K, h + 2 * K, draw)[:h, :w]
    c = mix(c, rgb("#000000"), np.clip(shift(g, 0, K) * 0.8, 0, 1))
    c = mix(c, rgb(ink), g)
    return c


# ---------------------------------------------------------------------------------------------
# Output.

# The pictures are named "<button>_<state>.png" after the buttons of the resource script; each
# table maps a button to what its pictures show (the place in LAYOUT, the caption).
START_TEXTS = {"install": "CÀI ĐẶT", "update": "CẬP NHẬT", "play": "CHƠI NGAY"}
LINKS = {"link_home": ("link_home", "Trang chủ"), "link_events": ("link_events", "Sự kiện"),
         "link_tournaments": ("link_cups", "Giải đấu"), "link_guide": ("link_guide", "Hướng dẫn")}
BIG = {"register": ("register", "Đăng ký"), "topup": ("topup", "Nạp thẻ")}
TEXT_BUTTONS = {"pause": "pause", "speed_limit": "speed"}
BUTTON_STATES = ("normal", "hover", "pressed", "disabled")
HIGH_DPI_FOLDER = "x2"  # the 2x set, beside the 1x one; its resource ids are the 1x ones + 1000


def save_png(arr, path, colours=None):
    img = to_image(arr)
    if colours:
        img = img.quantize(colors=colours, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.FLOYDSTEINBERG)
    img.save(path, optimize=True)


def banner():
    bw, bh = 490, 124
    c = scene(bw, bh, seed=2029, eye=(392, 60), radius=170, horizon=140,
              bolts=[(40, 0, 70, 110, 0.6), (455, 0, 430, 100, 0.45)], ember_count=160,
              ember_centres=[(392, 60, 120, 40), (200, 110, 240, 16)], lava=False)
    c = logo(c, 245, 20, 50, 32, tracking=3)
    return c


def render_set(out):
    """Every picture at the scale K into `out`: PNG, except JPEG for the 2x background and the banner."""
    os.makedirs(out, exist_ok=True)
    pictures = {}
    bg = background()
    if K == 1:
        pictures["background.png"] = bg
    for state in BUTTON_STATES[:3]:
        pictures[f"close_{state}.png"] = window_button(bg, "close", "close", state)
        pictures[f"minimize_{state}.png"] = window_button(bg, "minimise", "minimise", state)
    for state in BUTTON_STATES[:2]:
        pictures[f"folder_{state}.png"] = folder_button(bg, "folder1", state)
        for name, (where, text) in LINKS.items():
            pictures[f"{name}_{state}.png"] = link(bg, where, text, state)
        for name, (where, text) in BIG.items():
            pictures[f"{name}_{state}.png"] = big_button(bg, where, text, state)
    for state in BUTTON_STATES:
        for name, text in START_TEXTS.items():
            pictures[f"{name}_{state}.png"] = start_button(bg, text, state)
        for name, where in TEXT_BUTTONS.items():
            pictures[f"{name}_{state}.png"] = text_button(bg, where, state)

    for name, arr in pictures.items():
        save_png(arr, os.path.join(out, name), colours=None)
    if K != 1:
        # As PNG the 2x background alone would weigh about as much as the whole 1x set.
        to_image(bg).save(os.path.join(out, "background.jpg"), quality=92, subsampling=0, optimize=True)
    to_image(banner()).save(os.path.join(out, "update_banner.jpg"), quality=90, subsampling=0, optimize=True)


def render(out):
    global K
    for K, folder in ((1, out), (2, os.path.join(out, HIGH_DPI_FOLDER))):
        render_set(folder)
    K = 1
    write_ico(os.path.join(out, "app.ico"), [emblem(48), emblem(32), emblem(16)])
    write_ico(os.path.join(out, "small.ico"), [emblem(32), emblem(16)])


def preview(out, path):
    """The background with every control in place, then a sheet of all pictures, twice as big."""
    bg = Image.open(os.path.join(out, "background.png")).convert("RGB")
    shot = bg.copy()
    d = ImageDraw.Draw(shot)
    d.text((50, 3), "Cài đặt STORMLINE - Bão Lửa", font=font("small_bold", 18), fill=(255, 255, 255))
    for y, label, value in ((486, "Thư mục cài đặt:", "C:\\Games\\Stormline"),
                            (536, "Thư mục tải về:", "C:\\Games\\Stormline\\Downloads")):
        d.rectangle((290, y, 769, y + 20), fill=CAPTION_RGB)
        d.text((292, y + 2), label, font=font("small", 12), fill=(220, 210, 190))
        d.rectangle((290, y + 25, 769, y + 47), fill=FIELD_RGB)
        d.text((294, y + 28), value, font=font("small", 12), fill=(240, 240, 240))
    placed = [("close_normal.png", "close"), ("minimize_normal.png", "minimise"),
              ("link_home_normal.png", "link_home"), ("link_events_hover.png", "link_events"),
              ("link_tournaments_normal.png", "link_cups"), ("link_guide_normal.png", "link_guide"),
              ("register_normal.png", "register"), ("topup_normal.png", "topup"),
              ("folder_normal.png", "folder1"), ("folder_hover.png", "folder2"), ("play_normal.png", "start"),
              ("pause_normal.png", "pause"), ("speed_limit_normal.png", "speed")]
    for name, where in placed:
        x, y, _, _ = LAYOUT[where]
        shot.paste(Image.open(os.path.join(out, name)).convert("RGB"), (x, y))

    names = sorted(n for n in os.listdir(out) if n.endswith((".png", ".jpg")) and n != "background.png")
    tiles, spots = [], []
    x, y, row_h = 8, 8, 0
    for n in names:
        im = Image.open(os.path.join(out, n)).convert("RGB")
        if im.width < 100:
            im = im.resize((im.width * 2, im.height * 2), Image.NEAREST)
        if x + im.width > W - 8:
            x, y, row_h = 8, y + row_h + 8, 0
        tiles.append(im)
        spots.append((x, y))
        x += im.width + 8
        row_h = max(row_h, im.height)
    sheet = Image.new("RGB", (W, y + row_h + 8), (40, 40, 44))
    for im, spot in zip(tiles, spots):
        sheet.paste(im, spot)
    full = Image.new("RGB", (W, H + 8 + sheet.height), (0, 0, 0))
    full.paste(shot, (0, 0))
    full.paste(sheet, (0, H + 8))
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    full.save(path)


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--out", required=True, help="folder that receives the pictures (src/res)")
    ap.add_argument("--preview", help="also write a preview PNG of the whole skin here")
    args = ap.parse_args()
    for path in FONT_FILES.values():
        if not os.path.exists(path):
            sys.exit(f"skin: missing font {path} (see scripts/install-deps.sh)")
    render(args.out)
    if args.preview:
        preview(args.out, args.preview)


if __name__ == "__main__":
    main()
