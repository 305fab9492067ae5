#!/usr/bin/env python3
"""Writes the sample images of this folder that Pillow writes itself (gif/,
bmp/ and pcx/ pillow-*), as saved by Debian 12's python3-pil; another Pillow
may write other bytes. Their expected outputs come from make_samples.py like
every sample's."""

import colorsys
import os

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


def main():
    # Three frames, each with its own 64 colours (the first's global, the others
    # local), colour 40 transparent, delays, a loop and a comment.
    frames = [indexed((24, 20), hues(64, f / 3), lambda x, y, f=f: (3 * x + 5 * y + 7 * f) % 64) for f in range(3)]
    frames[0].save(os.path.join(HERE, "gif/pillow-anime.gif"), save_all=True, append_images=frames[1:],
                   duration=[100, 150, 200], loop=0, comment=b"fait par Pillow", transparency=40, disposal=1,
                   optimize=False)
    # One interlaced frame of 256 colours.
    indexed((40, 24), hues(256, 0.5), lambda x, y: (x * 7 + y * 11) % 256).save(
        os.path.join(HERE, "gif/pillow-entrelacee.gif"), optimize=False)
    # True colour, rows of an odd width.
    rgb = Image.new("RGB", (13, 7))
    rgb.putdata([(20 * x, 36 * y, (x * y * 7) % 256) for y in range(7) for x in range(13)])
    rgb.save(os.path.join(HERE, "bmp/pillow-rgb24.bmp"))
    rgb.convert("RGBA").save(os.path.join(HERE, "bmp/pillow-rgba32.bmp"))
    rgb.save(os.path.join(HERE, "pcx/pillow-rgb.pcx"))
    rgb.convert("1", dither=Image.Dither.NONE).save(os.path.join(HERE, "pcx/pillow-1bit.pcx"))


if __name__ == "__main__":
    main()
