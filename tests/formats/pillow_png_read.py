#!/usr/bin/env python3
"""PNG images without a palette, written by Pillow (a writer that shares
nothing with corvane-convert), read by corvane-convert: their distinct
colours, in the order they first appear row by row, transparent pixels left
out. Usage: pillow_png_read.py CORVANE-CONVERT"""

import os
import subprocess
import sys
import tempfile

from PIL import Image


def drawn(mode, size, pixels):
    image = Image.new(mode, size)
    image.putdata(pixels)
    return image


def keyed(image, transparency):
    """The image saved with a tRNS colour: its pixels of that colour are transparent."""
    image.info["transparency"] = transparency
    return image


def lospec(colours, side):
    """One side × side square per colour, eight to a row, as Lospec serves them."""
    width = side * min(8, len(colours))
    height = side * -(-len(colours) // 8)
    pixels = []
    for y in range(height):
        for x in range(width):
            k = y // side * 8 + x // side
            pixels.append(colours[k] if k < len(colours) else colours[0])
    return drawn("RGB", (width, height), pixels)


COLOURS = [((k * 37) % 256, (k * 91) % 256, (k * 53 + 7) % 256) for k in range(32)]
# name: (image, the colours corvane-convert must give, or None when it must refuse)
CASES = {
    "lospec32.png": (lospec(COLOURS, 8), COLOURS),
    "pixels.png": (drawn("RGB", (4, 1), [(9, 8, 7), (1, 2, 3), (9, 8, 7), (4, 5, 6)]),
                   [(9, 8, 7), (1, 2, 3), (4, 5, 6)]),
    "alpha.png": (drawn("RGBA", (3, 2), [(1, 1, 1, 0), (10, 20, 30, 255), (40, 50, 60, 1),
                                         (10, 20, 30, 0), (70, 80, 90, 128), (1, 1, 1, 0)]),
                  [(10, 20, 30), (40, 50, 60), (70, 80, 90)]),
    "grey.png": (drawn("L", (3, 1), [200, 0, 200]), [(200, 200, 200), (0, 0, 0)]),
    "grey-alpha.png": (drawn("LA", (2, 1), [(5, 0), (6, 255)]), [(6, 6, 6)]),
    "keyed.png": (keyed(drawn("RGB", (3, 1), [(7, 7, 7), (1, 2, 3), (4, 5, 6)]), (7, 7, 7)),
                  [(1, 2, 3), (4, 5, 6)]),
    "one-bit.png": (drawn("1", (3, 1), [255, 0, 255]), [(255, 255, 255), (0, 0, 0)]),
    # 16 bits a level: its high byte.
    "grey16.png": (drawn("I;16", (3, 1), [0x1234, 0xFF00, 0x12FF]), [(0x12, 0x12, 0x12), (0xFF, 0xFF, 0xFF)]),
    "picture.png": (drawn("RGB", (20, 15), [(k, k // 2, 255 - k % 256) for k in range(300)]), None),
}


def main():
    program = sys.argv[1]
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        for name, (image, expected) in CASES.items():
            path, out = os.path.join(folder, name), os.path.join(folder, name + ".hex")
            image.save(path)
            run = subprocess.run([program, "--to=hex", path, out], capture_output=True, text=True)
            if expected is None:
                if run.returncode != 1 or os.path.exists(out):
                    failures.append(f"{name}: accepté ({run.returncode})")
                continue
            if run.returncode != 0:
                failures.append(f"{name}: {run.stderr.strip()}")
                continue
            with open(out) as f:
                got = [tuple(bytes.fromhex(line.strip())) for line in f if line.strip()]
            if got != expected:
                failures.append(f"{name}: {got} au lieu de {expected}")
    for failure in failures:
        print(failure, file=sys.stderr)
    print(f"{len(CASES)} images de Pillow lues, {len(failures)} en échec")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
