#!/usr/bin/env python3
"""Writes the samples of this folder that Pillow makes, in formats Pillow
writes: images as an ordinary tool leaves them, to put a palette into
(corvane-convert --palette). Run with Debian's python3-pil; the files are
committed, their expected outputs made by make_samples.py like any sample's."""

import colorsys
import os
import sys

from PIL import Image, PngImagePlugin

HERE = os.path.dirname(os.path.abspath(__file__))


def indexed_alpha():
    """A 16 x 16 indexed PNG of 8 colours: entry 1 half transparent, entry 2
    wholly (the transparent index), entry 5 a quarter; text in tEXt, zTXt and
    iTXt, a resolution (pHYs), and a suggested palette (sPLT) and histogram
    (hIST) that a recoloured image drops."""
    colours = [(20, 20, 30), (200, 40, 40), (0, 0, 0), (40, 200, 60), (250, 240, 200), (60, 90, 220),
               (128, 128, 128), (250, 160, 20)]
    image = Image.new("P", (16, 16))
    image.putpalette(bytes(v for c in colours for v in c))
    image.putdata([(x // 2 + y) % 8 for y in range(16) for x in range(16)])
    info = PngImagePlugin.PngInfo()
    info.add_text("Title", "damier")
    info.add_text("Comment", "fait par Pillow", zip=True)
    info.add_itxt("Author", "Corvane", lang="fr")
    info.add(b"sPLT", b"suggestion\x00\x08" + bytes([10, 20, 30, 255, 0, 1]))
    info.add(b"hIST", bytes(16))
    return image, dict(pnginfo=info, transparency=bytes([255, 128, 0, 255, 255, 64, 255, 255]), dpi=(96, 96))


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
    "png/png8-pillow-alpha.png": indexed_alpha,
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
