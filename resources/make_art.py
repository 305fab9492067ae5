#!/usr/bin/env python3
"""Draws Corvane's pictures and writes every file made from them.

The picture is a palette strip of eight vertical colour bands on a rounded
tile, with a crow (the "corv-" of Corvane) perched in front of it. Every
file is drawn from the one description below, so the icons, the About box
logo and the scalable icon always show the same thing.

Run from anywhere: python3 resources/make_art.py
Only the standard library is used, so the files can be remade on any
machine with Python 3.
"""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# Design space: the picture is drawn on a 256 x 256 square, y pointing down.
DESIGN = 256.0

BANDS = [
    (0xE5, 0x39, 0x35),  # red
    (0xFB, 0x8C, 0x00),  # orange
    (0xFD, 0xD8, 0x35),  # yellow
    (0x43, 0xA0, 0x47),  # green
    (0x00, 0xAC, 0xC1),  # cyan
    (0x1E, 0x88, 0xE5),  # blue
    (0x39, 0x49, 0xAB),  # indigo
    (0x8E, 0x24, 0xAA),  # violet
]
CROW = (0x17, 0x17, 0x1C)
HALO = (0xFF, 0xFF, 0xFF)
EYE = (0xFF, 0xFF, 0xFF)

TILE_RADIUS = 44.0
# Width of the white line around the crow, in design units, per output size:
# small icons need a thicker line to keep the bird apart from the bands.
def halo_width(size):
    return max(6.0, 1.0 * DESIGN / size)


# --- Shapes, as signed distance functions (negative inside) ---------------

def sd_circle(cx, cy, r):
    def f(x, y):
        return math.hypot(x - cx, y - cy) - r
    return f


def sd_ellipse(cx, cy, rx, ry, angle_deg):
    # Scaled-circle distance: exact on the axes, close enough elsewhere for
    # an outline a few units wide.
    a = math.radians(angle_deg)
    ca, sa = math.cos(a), math.sin(a)
    m = min(rx, ry)

    def f(x, y):
        dx, dy = x - cx, y - cy
        u = dx * ca + dy * sa
        v = -dx * sa + dy * ca
        return (math.hypot(u / rx, v / ry) - 1.0) * m
    return f


def _seg_dist(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    wx, wy = px - ax, py - ay
    t = (wx * vx + wy * vy) / (vx * vx + vy * vy)
    t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
    return math.hypot(wx - t * vx, wy - t * vy)


def sd_polygon(points):
    n = len(points)

    def f(x, y):
        d = min(_seg_dist(x, y, *points[i], *points[(i + 1) % n]) for i in range(n))
        inside = False
        j = n - 1
        for i in range(n):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return -d if inside else d
    return f


def sd_capsule(ax, ay, bx, by, r):
    def f(x, y):
        return _seg_dist(x, y, ax, ay, bx, by) - r
    return f


def sd_round_rect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def f(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r
    return f


# --- The crow: the same primitives go to the rasteriser and to the SVG ----

BODY = ("ellipse", 138.0, 146.0, 72.0, 38.0, 28.0)
HEAD = ("circle", 84.0, 96.0, 26.0)
NECK = ("polygon", [(88.0, 70.0), (112.0, 82.0), (136.0, 112.0), (84.0, 122.0)])
BEAK = ("polygon", [(70.0, 80.0), (42.0, 88.0), (18.0, 104.0), (64.0, 112.0)])
TAIL = ("polygon", [(176.0, 146.0), (244.0, 200.0), (234.0, 222.0), (166.0, 184.0)])
LEG_L = ("capsule", 124.0, 176.0, 118.0, 226.0, 5.0)
LEG_R = ("capsule", 144.0, 182.0, 144.0, 226.0, 5.0)
CROW_PARTS = [BODY, HEAD, NECK, BEAK, TAIL, LEG_L, LEG_R]
EYE_SHAPE = ("circle", 80.0, 90.0, 6.0)


def shape_fn(shape):
    kind = shape[0]
    if kind == "circle":
        return sd_circle(*shape[1:])
    if kind == "ellipse":
        return sd_ellipse(*shape[1:])
    if kind == "polygon":
        return sd_polygon(shape[1])
    if kind == "capsule":
        return sd_capsule(*shape[1:])
    raise ValueError(kind)


_crow_fns = [shape_fn(s) for s in CROW_PARTS]
_eye_fn = shape_fn(EYE_SHAPE)


# At 16 px the shapes above round to a blot; this hand-drawn version keeps
# the beak, the eye, the tail and the legs. X: crow, e: eye, o: white line.
CROW_16 = [
    "................",
    "................",
    "................",
    "................",
    "....XXX.........",
    "...XeXXX........",
    ".XXXXXXXX.......",
    "....XXXXXX......",
    "....XXXXXXX.....",
    ".....XXXXXXX....",
    "......XXXXXXX...",
    ".......XXXXXXX..",
    ".......X.X...XXX",
    ".......X.X....XX",
    "................",
    "................",
]


def crow_distance(x, y):
    return min(f(x, y) for f in _crow_fns)


# --- Rasteriser ------------------------------------------------------------

def band_of_column(col, size):
    # Bands follow whole pixel columns, so their edges stay sharp at 16 px.
    return BANDS[col * len(BANDS) // size]


def render(size, rounded=True, samples=4, halo=None, eye=True):
    """Returns size*size (r, g, b, a) tuples, floats 0..1, rows top-down."""
    scale = DESIGN / size
    tile = sd_round_rect(0.0, 0.0, DESIGN, DESIGN, TILE_RADIUS) if rounded else None
    hw = halo_width(size) if halo is None else halo
    out = []
    offsets = [(i + 0.5) / samples for i in range(samples)]
    n = samples * samples
    for row in range(size):
        for col in range(size):
            band = band_of_column(col, size)
            cell = CROW_16[row][col] if size == 16 else None
            acc_r = acc_g = acc_b = acc_a = 0.0
            for oy in offsets:
                y = (row + oy) * scale
                for ox in offsets:
                    x = (col + ox) * scale
                    if tile is not None and tile(x, y) > 0.0:
                        continue
                    if cell is not None:
                        c = {"X": CROW, "e": EYE, "o": HALO}.get(cell, band)
                        acc_r += c[0]
                        acc_g += c[1]
                        acc_b += c[2]
                        acc_a += 1.0
                        continue
                    d = crow_distance(x, y)
                    if d <= 0.0:
                        c = EYE if eye and _eye_fn(x, y) <= 0.0 else CROW
                    elif d <= hw:
                        c = HALO
                    else:
                        c = band
                    acc_r += c[0]
                    acc_g += c[1]
                    acc_b += c[2]
                    acc_a += 1.0
            if acc_a == 0.0:
                out.append((0.0, 0.0, 0.0, 0.0))
            else:
                out.append((acc_r / acc_a / 255.0, acc_g / acc_a / 255.0,
                            acc_b / acc_a / 255.0, acc_a / n))
    return out


def to_bytes(v):
    return max(0, min(255, int(round(v * 255.0))))


# --- PNG -------------------------------------------------------------------

def png_bytes(size, pixels):
    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = bytearray()
    for row in range(size):
        raw.append(0)  # filter: none
        for r, g, b, a in pixels[row * size:(row + 1) * size]:
            raw += bytes((to_bytes(r), to_bytes(g), to_bytes(b), to_bytes(a)))
    ihdr = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


# --- BMP (About box logo) --------------------------------------------------

def bmp24_bytes(size, pixels, background=(1.0, 1.0, 1.0)):
    stride = (size * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(range(size)):  # bottom-up rows
        line = bytearray()
        for r, g, b, a in pixels[row * size:(row + 1) * size]:
            comp = [c * a + bg * (1.0 - a) for c, bg in zip((r, g, b), background)]
            line += bytes((to_bytes(comp[2]), to_bytes(comp[1]), to_bytes(comp[0])))
        line += b"\0" * (stride - len(line))
        data += line
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return header + info + bytes(data)


# --- ICO (classic BMP images with AND masks) --------------------------------

# The 16-colour images use their own table: the band colours need it, and a
# DIB colour table is free to hold any colours.
PALETTE16 = [(0, 0, 0), CROW, HALO] + BANDS + [
    (0x80, 0x80, 0x80), (0xC0, 0xC0, 0xC0), (0x50, 0x50, 0x58),
    (0x3A, 0x1F, 0x48), (0x7A, 0x2A, 0x20)]
assert len(PALETTE16) == 16

def nearest(colour, table, skip_first=True):
    best, best_d = 0, None
    for i, t in enumerate(table):
        if skip_first and i == 0:
            continue
        d = sum((a - b) ** 2 for a, b in zip(colour, t))
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def pack_rows(indices, size, bpp):
    """Packs top-down index rows into bottom-up DIB rows padded to 4 bytes."""
    stride = ((size * bpp + 31) // 32) * 4
    per_byte = 8 // bpp
    data = bytearray()
    for row in reversed(range(size)):
        line = bytearray(stride)
        for col in range(size):
            v = indices[row * size + col]
            shift = 8 - bpp * (col % per_byte + 1)
            line[col // per_byte] |= v << shift
        data += line
    return bytes(data)


def ico_image(size, bpp, table, indices, transparent):
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, 0, 0, 0, len(table), 0)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in table)
    xor = pack_rows(indices, size, bpp)
    and_mask = pack_rows([1 if t else 0 for t in transparent], size, 1)
    return info + colours + xor + and_mask


def icon_16_colours(size):
    # One sample per pixel: a 16-colour image has no half tones to spend
    # on smooth edges, so crisp pixels look cleaner.
    pixels = render(size, samples=1)
    transparent, indices = [], []
    for r, g, b, a in pixels:
        clear = a < 0.5
        transparent.append(clear)
        indices.append(0 if clear else nearest((to_bytes(r), to_bytes(g), to_bytes(b)), PALETTE16))
    return ico_image(size, 4, PALETTE16, indices, transparent)


def icon_2_colours(size):
    # Black and white: the crow stays solid black inside its white line, the
    # bands become plain white and half-tone grey in turn.
    pixels = render(size, samples=1)
    tile = sd_round_rect(0.0, 0.0, DESIGN, DESIGN, TILE_RADIUS)
    scale = DESIGN / size
    transparent, indices = [], []
    for i, (r, g, b, a) in enumerate(pixels):
        row, col = divmod(i, size)
        clear = a < 0.5
        transparent.append(clear)
        if clear:
            indices.append(0)
            continue
        x, y = (col + 0.5) * scale, (row + 0.5) * scale
        d = crow_distance(x, y)
        if tile(x, y) > -scale:
            indices.append(0)  # a one-pixel black rim keeps the tile's edge
        elif d <= 0.0:
            indices.append(1 if _eye_fn(x, y) <= 0.0 and size >= 32 else 0)
        elif d <= halo_width(size):
            indices.append(1)
        else:
            # Alternate plain and half-tone bands: a clear stripe pattern
            # reads better in two colours than a dither of each band's shade.
            band = col * len(BANDS) // size
            indices.append(1 if band % 2 == 0 or (row + col) % 2 else 0)
    return ico_image(size, 1, [(0, 0, 0), (255, 255, 255)], indices, transparent)


def ico_bytes(images):
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, colours, bpp, blob in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, colours % 256, 0, 1, bpp,
                               len(blob), offset)
        blobs += blob
        offset += len(blob)
    return header + entries + blobs


# --- SVG ---------------------------------------------------------------------

def svg_shape(shape, attrs):
    kind = shape[0]
    if kind == "circle":
        _, cx, cy, r = shape
        return f'<circle cx="{cx:g}" cy="{cy:g}" r="{r:g}"{attrs}/>'
    if kind == "ellipse":
        _, cx, cy, rx, ry, a = shape
        return (f'<ellipse cx="{cx:g}" cy="{cy:g}" rx="{rx:g}" ry="{ry:g}" '
                f'transform="rotate({a:g} {cx:g} {cy:g})"{attrs}/>')
    if kind == "polygon":
        pts = " ".join(f"{x:g},{y:g}" for x, y in shape[1])
        return f'<polygon points="{pts}"{attrs}/>'
    if kind == "capsule":
        _, ax, ay, bx, by, r = shape
        return (f'<line x1="{ax:g}" y1="{ay:g}" x2="{bx:g}" y2="{by:g}" '
                f'stroke-width="{2 * r:g}" stroke-linecap="round"{attrs}/>')
    raise ValueError(kind)


def hexc(c):
    return "#%02x%02x%02x" % c


def svg_text():
    hw = halo_width(256)
    # Hard gradient stops give the bands without a clip path, which some
    # icon renderers still handle badly; the bird stays inside the corners.
    stops = []
    for i, c in enumerate(BANDS):
        for edge in (i, i + 1):
            stops.append(f'      <stop offset="{edge / len(BANDS):g}" stop-color="{hexc(c)}"/>')
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">',
        '  <title>Corvane</title>',
        '  <defs>',
        '    <linearGradient id="bands" x1="0" y1="0" x2="256" y2="0" gradientUnits="userSpaceOnUse">',
        *stops,
        '    </linearGradient>',
        '  </defs>',
        f'  <rect width="256" height="256" rx="{TILE_RADIUS:g}" fill="url(#bands)"/>',
        '  <g>',
    ]
    # The halo is every part stroked in white, then the bird is filled over it.
    lines.append(f'    <g fill="{hexc(HALO)}" stroke="{hexc(HALO)}" stroke-width="{2 * hw:g}" '
                 'stroke-linejoin="round">')
    for s in CROW_PARTS:
        if s[0] == "capsule":
            lines.append("      " + svg_shape(s[:-1] + (s[-1] + hw,), ""))
        else:
            lines.append("      " + svg_shape(s, ""))
    lines.append('    </g>')
    lines.append(f'    <g fill="{hexc(CROW)}" stroke="{hexc(CROW)}">')
    for s in CROW_PARTS:
        lines.append("      " + svg_shape(s, ' stroke="none"' if s[0] != "capsule" else ""))
    lines.append('    </g>')
    lines.append("    " + svg_shape(EYE_SHAPE, f' fill="{hexc(EYE)}"'))
    lines.append('  </g>')
    lines.append('</svg>')
    return "\n".join(lines) + "\n"


# --- Output --------------------------------------------------------------------

def write(path, data):
    full = os.path.join(HERE, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "wb") as f:
        f.write(data)
    print(os.path.join("resources", path))


def main():
    # 192 and 512: the page's manifest, which an installed page's launcher scales from.
    for size in (16, 32, 48, 192, 256, 512):
        write(f"icons/corvane-{size}.png", png_bytes(size, render(size, samples=6 if size < 192 else 3)))
    write("icons/corvane.svg", svg_text().encode("utf-8"))
    # The logo fills its picture box edge to edge; the box draws its own frame.
    write("logo.bmp", bmp24_bytes(100, render(100, rounded=False, samples=4)))
    write("corvane.ico", ico_bytes([
        (32, 2, 1, icon_2_colours(32)),
        (32, 16, 4, icon_16_colours(32)),
        (16, 16, 4, icon_16_colours(16)),
    ]))


if __name__ == "__main__":
    main()
