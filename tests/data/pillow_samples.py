#!/usr/bin/env python3
"""Writes the samples of this folder that Pillow makes, in formats Pillow
writes: images as an ordinary tool leaves them, to put a palette into
(corvane-convert --palette). Run with Debian's python3-pil; the files are
committed, their expected outputs made by make_samples.py like any sample's."""

import colorsys
import os
import sys

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))


def indexed(size, colours, index):
    image = Image.new("P", size)
    image.putpalette(bytes(v for c in colours for v in c))
    image.putdata([index(x, y) for y in range(size[1]) for x in range(size[0])])
    return image


def hues(n, start):
    return [tuple(round(255 * v) for v in colorsys.hsv_to_rgb((start + k / n / 3) % 1, 0.3 + 0.35 * (k % 3),
                                                                0.4 + 0.15 * (k % 5))) for k in range(n)]


def animation():
    """Three frames, each with its own 64 colours (the first's global, the
    others local), colour 40 transparent, delays, a loop and a comment."""
    frames = [indexed((24, 20), hues(64, f / 3), lambda x, y, f=f: (3 * x + 5 * y + 7 * f) % 64) for f in range(3)]
    return frames[0], dict(save_all=True, append_images=frames[1:], duration=[100, 150, 200], loop=0,
                           comment=b"fait par Pillow", transparency=40, disposal=1)


def interlaced():
    """One interlaced frame of 256 colours."""
    return indexed((40, 24), hues(256, 0.5), lambda x, y: (x * 7 + y * 11) % 256), {}


def true_colour(mode="RGB"):
    """13 x 7 pixels of as many colours, rows of an odd width."""
    image = Image.new("RGB", (13, 7))
    image.putdata([(20 * x, 36 * y, (x * y * 7) % 256) for y in range(7) for x in range(13)])
    return (image.convert(mode, dither=Image.Dither.NONE) if mode != "RGB" else image), {}


SAMPLES = {
    "gif/pillow-anime.gif": animation,
    "gif/pillow-entrelacee.gif": interlaced,
    "bmp/pillow-rgb24.bmp": true_colour,
    "bmp/pillow-rgba32.bmp": lambda: true_colour("RGBA"),
    "pcx/pillow-rgb.pcx": true_colour,
    "pcx/pillow-1bit.pcx": lambda: true_colour("1"),
}


def main():
    for name, make in SAMPLES.items():
        image, options = make()
        image.save(os.path.join(HERE, name), optimize=False, **options)
    return 0


if __name__ == "__main__":
    sys.exit(main())
