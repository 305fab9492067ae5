#!/usr/bin/env python3
"""Palettes put into the samples by corvane-convert (its path the first
argument), both ways, read back by Pillow, a reader that shares nothing with
it. Keeping the indices, every byte outside the colour table stays the same
and the table holds the palette; remapping, each pixel shows the palette's
colour nearest to the one it showed, by CIELAB's difference (the rule below,
written from its formula), the transparent index kept. DIV's files, which
Pillow does not read, are held to their bytes: outside the levels each one
the same or the nearest of the colour it was."""

import gzip
import io
import math
import os
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # nothing but samples in tests/data
DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
sys.path.insert(0, DATA)
from fmt_binary import level_of  # noqa: E402  the window's level rule, which the div writer follows
from PIL import Image  # noqa: E402
# Only its first row is there: refused.
SKIPPED = {"png-rgb-geante.png"}


# --- The rule: sRGB, D65 white, CIE 1976 difference, ties to the lowest index ---

def linear(c):
    c /= 255
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


def lab(rgb):
    r, g, b = (linear(c) for c in rgb)
    x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047
    y = (0.2126 * r + 0.7152 * g + 0.0722 * b) / 1.0
    z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883
    d = 6 / 29
    f = [math.cbrt(t) if t > d * d * d else t / (3 * d * d) + 4 / 29 for t in (x, y, z)]
    return 116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2])


class Nearest:
    def __init__(self, colours, reserved=None):
        self.candidates = [(k, lab(c)) for k, c in enumerate(colours) if k != reserved]
        self.known = {}

    def __call__(self, rgb):
        if rgb not in self.known:
            target = lab(rgb)
            best = min(self.candidates, key=lambda kc: sum((a - b) ** 2 for a, b in zip(target, kc[1])))
            self.known[rgb] = best[0]
        return self.known[rgb]


# --- The palettes put into the samples ---

def hex_palette(name):
    with open(os.path.join(DATA, name)) as f:
        return [tuple(bytes.fromhex(line.strip().lstrip("#"))) for line in f if line.strip()]


def div_levels(name):
    with open(os.path.join(DATA, name), "rb") as f:
        levels = f.read()[8:776]
    return [tuple(levels[k:k + 3]) for k in range(0, 768, 3)]


# Each palette file, its colours as a file of 8 bits shows them, and whether they are 6-bit levels.
PALETTES = [
    ("hex/lospec24.hex", hex_palette("hex/lospec24.hex"), False),
    ("div/div-pastel.PAL", [tuple(4 * v for v in c) for c in div_levels("div/div-pastel.PAL")], True),
]
TWO = b"000000\nffffff\n"


def run(program, args):
    return subprocess.run([program] + args, capture_output=True)


def png_chunks(data):
    """(start, end) of each chunk, by its length field."""
    at, out = 8, []
    while at < len(data):
        n = int.from_bytes(data[at:at + 4], "big")
        out.append((data[at + 4:at + 8], at, at + 12 + n))
        at += 12 + n
    return out


def check_png_kept(data, out, colours):
    plte = [(s, e) for t, s, e in png_chunks(data) if t == b"PLTE"]
    if not plte:
        return
    start, end = plte[0]
    assert out[:start + 8] == data[:start + 8] and out[end:] == data[end:], "octets hors de PLTE changés"
    n = (end - start - 12) // 3
    got = Image.open(io.BytesIO(out)).getpalette()[:3 * n]
    want = [v for c in (colours + [(0, 0, 0)] * n)[:n] for v in c]
    assert got == want, "PLTE n'est pas la palette"


def source_pixels(image):
    """(colour, transparent) of each pixel, and the transparent index kept."""
    info = image.info
    if image.mode == "P":
        palette = image.getpalette()
        alpha = info.get("transparency", b"")
        if isinstance(alpha, int):
            alpha = b"\xff" * alpha + b"\x00"
        t = alpha.find(b"\x00")
        colour = lambda i: tuple(palette[3 * i:3 * i + 3]) if 3 * i + 3 <= len(palette) else (0, 0, 0)
        return [(colour(i), i == t) for i in image.getdata()], (t if t >= 0 else None)
    t = 0 if image.mode in ("RGBA", "LA") or "transparency" in info else None
    if image.mode in ("I;16", "I;16B", "I"):
        key = info.get("transparency")
        return [((v >> 8,) * 3, v == key) for v in image.getdata()], t
    return [(p[:3], p[3] == 0) for p in image.convert("RGBA").getdata()], t


def check_png_remapped(data, out, colours):
    before, after = Image.open(io.BytesIO(data)), Image.open(io.BytesIO(out))
    assert after.mode == "P", after.mode
    assert after.info.get("interlace", 0) == before.info.get("interlace", 0), "entrelacement perdu"
    assert "background" not in after.info, "bKGD gardé"
    for key in ("Title", "Comment", "Author", "dpi"):
        assert (key in after.info) == (key in before.info), f"{key} perdu"
    pixels, t = source_pixels(before)
    nearest = Nearest(colours, t)
    entries = max(len(colours), (t or 0) + 1)
    assert after.getpalette()[:3 * entries] == [v for c in colours + [(0, 0, 0)] * entries for v in c][:3 * entries]
    alpha = after.info.get("transparency")
    if t is None:
        assert alpha is None, "tRNS en trop"
    else:
        assert alpha in (t, b"\xff" * t + b"\x00"), f"tRNS {alpha!r}"
    for k, ((rgb, transparent), index) in enumerate(zip(pixels, after.getdata())):
        assert index == (t if transparent else nearest(rgb)), f"pixel {k} : {index}"


def check_div(data, out, colours, six_bit, mode):
    if data.startswith(b"\x1f\x8b"):
        data, out = gzip.decompress(data), gzip.decompress(out)
    at = 48 if data.startswith(b"map") else 8
    assert len(out) == len(data)
    levels = [tuple(4 * v for v in out[at + k:at + k + 3]) for k in range(0, 768, 3)]
    written = [tuple(v // 4 if six_bit else level_of(v) for v in c) for c in colours]
    assert levels[:len(colours)] == [tuple(4 * v for v in c) for c in written], "niveaux"
    assert set(levels[len(colours):]) <= {(0, 0, 0)}, "pas de noir après la palette"
    outside = range(0, at), range(at + 768, len(data))
    if mode == "kept":
        assert all(out[i] == data[i] for r in outside for i in r), "octets changés"
        return
    shown = [tuple(min(255, 4 * v) for v in data[at + k:at + k + 3]) for k in range(0, 768, 3)]
    nearest = Nearest(levels[:len(colours)], 0)
    changed = 0
    for r in outside:
        for i in r:
            if out[i] != data[i]:
                assert data[i] != 0 and out[i] == nearest(shown[data[i]]), f"octet {i}"
                changed += 1
    assert changed > 0 or data.startswith(b"fpg") and len(data) == 1352, "aucun pixel changé"


def main():
    program = sys.argv[1]
    failures, checked = [], 0
    with tempfile.TemporaryDirectory() as folder:
        two = os.path.join(folder, "deux.hex")
        with open(two, "wb") as f:
            f.write(TWO)
        palettes = PALETTES + [(two, [(0, 0, 0), (255, 255, 255)], False)]
        samples = [os.path.join(sub, name) for sub in ("png", "div")
                   for name in sorted(os.listdir(os.path.join(DATA, sub)))
                   if not name.endswith(".attendu") and name not in SKIPPED]
        for sample in samples:
            with open(os.path.join(DATA, sample), "rb") as f:
                data = f.read()
            for palette_name, colours, six_bit in palettes:
                palette = palette_name if os.path.isabs(palette_name) else os.path.join(DATA, palette_name)
                for mode in ("kept", "remapped"):
                    args = ["--palette=" + palette] + (["--remap"] if mode == "remapped" else [])
                    result = run(program, args + [os.path.join(DATA, sample), "-"])
                    if result.returncode != 0:
                        continue  # refused: the command-line tests say why
                    try:
                        if sample.startswith("png/"):
                            (check_png_kept if mode == "kept" else check_png_remapped)(data, result.stdout, colours)
                        else:
                            check_div(data, result.stdout, colours, six_bit, mode)
                    except Exception as error:
                        failures.append(f"{sample}, {os.path.basename(palette_name)}, {mode}: {error!r}")
                    checked += 1
    for failure in failures:
        print(failure, file=sys.stderr)
    print(f"{checked} fichiers recolorés relus, {len(failures)} en échec")
    return 1 if failures or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
