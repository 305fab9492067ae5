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
GREY, TRUECOLOUR, PALETTE, GREY_ALPHA, TRUECOLOUR_ALPHA = 0, 2, 3, 4, 6
CHANNELS = {GREY: 1, TRUECOLOUR: 3, GREY_ALPHA: 2, TRUECOLOUR_ALPHA: 4}
# Adam7's passes: first column, first row, column step, row step.
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
MOST_COLOURS = 256
SQUARE, PER_ROW = 16, 16
IDAT_BYTES = 8192


def chunk(kind, data=b""):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def ihdr(width, height, depth, colour_type, interlace=0):
    return chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, interlace))


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


def passes(width, height, interlaced):
    """(first column, first row, column step, row step, columns, rows) of
    each pass that holds pixels."""
    for x0, y0, dx, dy in ADAM7 if interlaced else [(0, 0, 1, 1)]:
        columns, count = len(range(x0, width, dx)), len(range(y0, height, dy))
        if columns and count:
            yield x0, y0, dx, dy, columns, count


def interlaced_rows(width, height, pixel, depth):
    """Adam7 image data: each pass a small image of its own, filter byte 0."""
    return b"".join(rows(columns, count, lambda i, r: pixel(x0 + i * dx, y0 + r * dy), depth)
                    for x0, y0, dx, dy, columns, count in passes(width, height, True))


def unfilter(kind, line, prior, step):
    for i in range(len(line)):
        a = line[i - step] if i >= step else 0
        b = prior[i]
        c = prior[i - step] if i >= step else 0
        if kind == 1:
            line[i] = (line[i] + a) & 0xFF
        elif kind == 2:
            line[i] = (line[i] + b) & 0xFF
        elif kind == 3:
            line[i] = (line[i] + (a + b) // 2) & 0xFF
        elif kind == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF


def samples_of(line, depth, count):
    if depth >= 8:
        size = depth // 8
        return [int.from_bytes(line[k * size:k * size + size], "big") for k in range(count)]
    bits = int.from_bytes(line, "big")
    total = len(line) * 8
    return [bits >> (total - depth * (k + 1)) & ((1 << depth) - 1) for k in range(count)]


def distinct_colours(header, data, transparent):
    """An image without a palette: its distinct colours (on R, G, B) in the
    order they first appear row by row, pixels of alpha 0 left out. A 16-bit
    level counts by its high byte; a grey of fewer than 8 bits is scaled up."""
    width, height, depth, colour_type, _, _, interlace = struct.unpack(">IIBBBBB", header)
    if width > 1000000:
        raise Refused(f"image PNG sans palette de {width} × {height} pixels : trop grande pour une palette")
    channels = CHANNELS[colour_type]
    raw, at, first = zlib.decompress(data), 0, {}
    if len(raw) < sum(count * (1 + (columns * channels * depth + 7) // 8)
                      for _, _, _, _, columns, count in passes(width, height, interlace == 1)):
        raise Refused("image PNG illisible")
    step = max(1, channels * depth // 8)

    def eight_bit(v):
        return v >> 8 if depth == 16 else v * 255 // ((1 << depth) - 1)

    for x0, y0, dx, dy, columns, count in passes(width, height, interlace == 1):
        stride = (columns * channels * depth + 7) // 8
        prior = bytearray(stride)
        for r in range(count):
            line = bytearray(raw[at + 1:at + 1 + stride])
            unfilter(raw[at], line, prior, step)
            at, prior = at + 1 + stride, line
            values = samples_of(line, depth, columns * channels)
            for i in range(columns):
                pixel = values[i * channels:(i + 1) * channels]
                colour = pixel[:3] if channels >= 3 else pixel[:1] * 3
                alpha = pixel[-1] if channels in (2, 4) else (0 if tuple(colour[:channels]) == transparent else 1)
                if alpha:
                    key = tuple(eight_bit(v) for v in colour)
                    position = (y0 + r * dy) * width + x0 + i * dx
                    first[key] = min(first.get(key, position), position)
                    if len(first) > MOST_COLOURS:
                        raise Refused(f"image PNG de plus de {MOST_COLOURS} couleurs : une image, pas une palette")
    if not first:
        raise Refused("image PNG sans palette dont tous les pixels sont transparents")
    return sorted(first, key=first.get)


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
        at, chunks, image = len(SIGNATURE), {}, b""
        while at + 8 <= len(data):
            size, kind = struct.unpack(">I4s", data[at:at + 8])
            body = data[at + 8:at + 8 + size]
            if len(body) < size or data[at + 8 + size:at + 12 + size] != struct.pack(">I", zlib.crc32(kind + body)):
                raise Refused("image PNG illisible")
            if kind == b"PLTE" and size and size % 3 == 0:
                return Pal([tuple(body[k:k + 3]) for k in range(0, size, 3)])
            if kind == b"IDAT":
                image += body
            elif kind != b"IEND":
                chunks[kind] = body
            at += 12 + size
        header = chunks.get(b"IHDR", b"")
        if len(header) != 13 or header[9] == PALETTE or not image:
            raise Refused("image PNG illisible")
        trns = chunks.get(b"tRNS", b"")
        transparent = tuple(struct.unpack(f">{len(trns) // 2}H", trns)) if trns else None
        return Pal(distinct_colours(header, image, transparent))

    @staticmethod
    def write(palette, name):
        colours = palette.colours
        if not 1 <= len(colours) <= 256 or any(not 0 <= v <= 255 for c in colours for v in c):
            raise Refused("pas d'image PNG pour cette palette")
        return SIGNATURE + squares(colours) + chunk(b"IEND")


FORMATS = {"png": Png}


def hues(n, saturation, value):
    return [tuple(round(255 * v) for v in colorsys.hsv_to_rgb(k / n, saturation, value)) for k in range(n)]


def image(width, height, depth, colour_type, data, extra=b"", interlace=0):
    return SIGNATURE + ihdr(width, height, depth, colour_type, interlace) + extra + idat(data) + chunk(b"IEND")


def lospec(colours, side):
    """A Lospec palette image: one `side`-pixel square per colour, in a row, RGB."""
    return image(side * len(colours), side, 8, TRUECOLOUR,
                 rows(side * len(colours), side, lambda x, y: int.from_bytes(bytes(colours[x // side]), "big"), 24))


def truecolour_samples():
    """Palette images without a palette: Lospec's squares; one pixel a colour
    with alpha, some transparent, one repeated; an interlaced 16-bit grey
    with a transparent grey (tRNS); refused, a picture of 300 colours and
    one of 20000 × 20000 pixels."""
    dusk = hues(8, 0.7, 0.8)
    alpha = [(200, 40, 40, 255), (9, 9, 9, 0), (40, 200, 40, 128), (200, 40, 40, 10), (40, 40, 200, 255),
             (40, 200, 40, 0)]
    # Row by row the greys first appear as 0x1234, 0xABCD, then 0x00FF (2, transparent, is skipped),
    # then 0xFF00; Adam7's passes bring 0xFF00 (pass 2) before 0xABCD (pass 6).
    first_row = [0x1234, 0xABCD, 0x0000, 0x00FF, 0xFF00]
    grey = interlaced_rows(8, 8, lambda x, y: first_row[x] if y == 0 and x < 5 else 0x1234, 16)
    return {
        "png-lospec8.png": lospec(dusk, 8),
        "png-rgba-1px.png": image(3, 2, 8, TRUECOLOUR_ALPHA,
                                  rows(3, 2, lambda x, y: int.from_bytes(bytes(alpha[y * 3 + x]), "big"), 32)),
        "png-gris16-entrelace.png": image(8, 8, 16, GREY, grey, chunk(b"tRNS", b"\x00\x00"), interlace=1),
        # Only its first row: refused, its image data ending long before its last row.
        "png-rgb-geante.png": image(20000, 20000, 8, TRUECOLOUR, rows(20000, 1, lambda x, y: 0, 24)),
        "png-rgb-300.png": image(20, 15, 8, TRUECOLOUR,
                                 rows(20, 15, lambda x, y: (y * 20 + x) * 0x010203 & 0xFFFFFF, 24)),
    }


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
        **truecolour_samples(),
    }
