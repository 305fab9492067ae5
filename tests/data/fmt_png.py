"""corvane-convert's png format, worked out from the PNG layout for
make_samples.py: the sample images made here, and the format's detection,
reader and writer.

The writer gives the very bytes libpng writes with the program's settings:
deflate level 9, default strategy, memory level 8, no row filter, IDAT chunks
of at most 8192 bytes, and the window libpng picks for a small image (below)."""

import colorsys
import struct
import zlib

from palettes import Pal, Refused

SIGNATURE = b"\x89PNG\r\n\x1a\n"
PALETTE, TRUECOLOUR = 3, 2
SQUARE, PER_ROW = 16, 16
IDAT_BYTES = 8192


def chunk(kind, data=b""):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def ihdr(width, height, depth, colour_type):
    return chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 0))


def plte(colours):
    return chunk(b"PLTE", b"".join(bytes(c) for c in colours))


def window_bits(size):
    """The deflate window libpng asks for: 32 KiB, halved while the image
    data and deflate's 262 bytes of look-ahead still fit in half of it."""
    bits = 15
    if size <= 16384:
        while size + 262 <= 1 << (bits - 1):
            bits -= 1
    return bits


def deflate(raw):
    stream = zlib.compressobj(9, zlib.DEFLATED, window_bits(len(raw)), 8, zlib.Z_DEFAULT_STRATEGY)
    data = bytearray(stream.compress(raw) + stream.flush())
    # libpng then writes in the zlib header the smallest window (at least
    # 256 bytes) that holds the whole image, for images up to 16 KiB.
    if len(raw) <= 16384:
        info = data[0] >> 4
        while info > 0 and len(raw) <= 1 << (info + 7):
            info -= 1
        data[0] = info << 4 | 8
        flags = data[1] & 0xE0
        data[1] = flags + 31 - ((data[0] << 8) + flags) % 31
    return bytes(data)


def idat(raw):
    data = deflate(raw)
    return b"".join(chunk(b"IDAT", data[k:k + IDAT_BYTES]) for k in range(0, len(data), IDAT_BYTES))


def rows(width, height, pixel, depth=8):
    """Image data of `depth`-bit pixels, each row after its filter byte 0."""
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        bits = 0
        for x in range(width):
            bits = bits << depth | pixel(x, y)
        raw += (bits << (-width * depth % 8)).to_bytes((width * depth + 7) // 8, "big")
    return bytes(raw)


def squares(colours):
    """The program's picture: one square per colour, 16 to a row, the rest
    of the last row drawn with colour 0."""
    n = len(colours)
    width, height = SQUARE * min(n, PER_ROW), SQUARE * -(-n // PER_ROW)

    def pixel(x, y):
        k = y // SQUARE * PER_ROW + x // SQUARE
        return k if k < n else 0

    return ihdr(width, height, 8, PALETTE) + plte(colours) + idat(rows(width, height, pixel))


class Png:
    @staticmethod
    def detect(head, whole):
        return head.startswith(SIGNATURE)

    @staticmethod
    def read(data):
        if not data.startswith(SIGNATURE):
            raise Refused("image PNG illisible")
        at = len(SIGNATURE)
        while at + 8 <= len(data):
            size, kind = struct.unpack(">I4s", data[at:at + 8])
            body = data[at + 8:at + 8 + size]
            if len(body) < size or data[at + 8 + size:at + 12 + size] != struct.pack(">I", zlib.crc32(kind + body)):
                raise Refused("image PNG illisible")
            if kind == b"PLTE" and size and size % 3 == 0:
                return Pal([tuple(body[k:k + 3]) for k in range(0, size, 3)])
            if kind == b"IDAT":
                break
            at += 12 + size
        raise Refused("image PNG sans palette (pas de bloc PLTE)")

    @staticmethod
    def write(palette, name):
        colours = palette.colours
        if not 1 <= len(colours) <= 256 or any(not 0 <= v <= 255 for c in colours for v in c):
            raise Refused("pas d'image PNG pour cette palette")
        return SIGNATURE + squares(colours) + chunk(b"IEND")


FORMATS = {"png": Png}


def hues(n, saturation, value):
    return [tuple(round(255 * v) for v in colorsys.hsv_to_rgb(k / n, saturation, value)) for k in range(n)]


def samples():
    """A 16-colour image at 4 bits a pixel as pixel-art editors save it (pHYs
    before the palette, colour 0 transparent), a 256-colour one with the
    chunks GIMP adds after the palette, and a truecolour image: no palette."""
    sixteen = hues(16, 0.6, 0.9)
    stripes = rows(32, 8, lambda x, y: (x // 2) % 16, depth=4)
    small = (ihdr(32, 8, 4, PALETTE) + chunk(b"pHYs", struct.pack(">IIB", 2835, 2835, 1)) + plte(sixteen) +
             chunk(b"tRNS", b"\x00") + idat(stripes))
    wheel = [tuple(round(255 * v) for v in colorsys.hsv_to_rgb(k % 16 / 16, 0.3 + k // 16 / 24, 1.0))
             for k in range(256)]
    gimp = (ihdr(16, 16, 8, PALETTE) + plte(wheel) + chunk(b"bKGD", b"\x00") +
            chunk(b"tEXt", b"Comment\x00Created with GIMP") + idat(rows(16, 16, lambda x, y: y * 16 + x)))
    rgb = ihdr(4, 4, 8, TRUECOLOUR) + idat(rows(4, 4, lambda x, y: x * 0x400000 + y * 0x40, depth=24))
    return {
        "png16-4bits.png": SIGNATURE + small + chunk(b"IEND"),
        "png256-gimp.png": SIGNATURE + gimp + chunk(b"IEND"),
        "png-rgb-sans-plte.png": SIGNATURE + rgb + chunk(b"IEND"),
    }
