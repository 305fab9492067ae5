#!/usr/bin/env python3
"""Writes the samples of this folder that Pillow makes, in formats Pillow
writes: images as an ordinary tool leaves them, to put a palette into
(corvane-convert --palette). Run with Debian's python3-pil; the files are
committed, their expected outputs made by make_samples.py like any sample's."""

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


SAMPLES = {"png/png8-pillow-alpha.png": indexed_alpha}


def main():
    for name, make in SAMPLES.items():
        image, options = make()
        image.save(os.path.join(HERE, name), optimize=False, **options)
    return 0


if __name__ == "__main__":
    sys.exit(main())
