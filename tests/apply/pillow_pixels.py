#!/usr/bin/env python3
"""Every frame of an image as Pillow shows it, for tests/apply: its width and
height (32 bits each, little-endian), then red, green, blue and alpha of each
pixel, row by row. Pillow shares nothing with Corvane."""

import struct
import sys

from PIL import Image, ImageSequence

with Image.open(sys.argv[1]) as image:
    for frame in ImageSequence.Iterator(image):
        rgba = frame.convert("RGBA")
        sys.stdout.buffer.write(struct.pack("<II", *rgba.size) + rgba.tobytes())
