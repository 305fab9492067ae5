"""corvane-convert's gif, bmp and pcx formats, worked out from their layouts
for make_samples.py: the sample images made here, and each format's
detection, reader and writer.

The writers draw png's picture (one 16-pixel square per colour, 16 to a
row). The GIF writer gives the very bytes giflib writes: its LZW coder is
modelled below (a clear code first, the code size raised after a code once
the next free code needs it, a clear code when code 4095 would be taken)."""

import struct

from fmt_binary import Vga, eight_bit, hsv_ramps, packed, triples
from fmt_png import PER_ROW, SQUARE
from palettes import Pal, Refused


def grid(n):
    """The picture's width, height and rows of colour indices."""
    width, height = SQUARE * min(n, PER_ROW), SQUARE * -(-n // PER_ROW)
    rows = []
    for y in range(height):
        rows.append(bytes(k if k < n else 0 for k in (y // SQUARE * PER_ROW + x // SQUARE for x in range(width))))
    return width, height, rows


# --- gif -------------------------------------------------------------------------

def lzw(pixels, bits):
    """giflib's LZW coder: the code size byte, then the data sub-blocks and
    the empty one that ends them."""
    clear, end = 1 << bits, (1 << bits) + 1
    out, word, state = bytearray(), 0, 0
    running, size = end + 1, bits + 1
    table = {}

    def emit(code):
        nonlocal word, state, size
        word |= code << state
        state += size
        while state >= 8:
            out.append(word & 0xFF)
            word >>= 8
            state -= 8
        if running >= 1 << size and code <= 4095:
            size += 1

    emit(clear)
    current = pixels[0]
    for pixel in pixels[1:]:
        key = (current, pixel)
        if key in table:
            current = table[key]
            continue
        emit(current)
        current = pixel
        if running >= 4095:
            emit(clear)
            running, size, table = end + 1, bits + 1, {}
        else:
            table[key] = running
            running += 1
    emit(current)
    emit(end)
    if state > 0:
        out.append(word & 0xFF)
    blocks = b"".join(bytes([len(out[k:k + 255])]) + out[k:k + 255] for k in range(0, len(out), 255))
    return bytes([bits]) + blocks + b"\x00"


def table_bits(n):
    """The least k of at least 1 with 2^k entries for n colours."""
    k = 1
    while 1 << k < n:
        k += 1
    return k


def gif_file(colours, version=b"GIF89a", local=False, before_image=b"", pixels=None, size=None):
    """A GIF of one image, its table global or the image's own (2^k entries,
    black after the last colour)."""
    k = table_bits(len(colours))
    table = packed(colours).ljust(3 * (1 << k), b"\x00")
    width, height, rows = size + (None,) if size else grid(len(colours))
    data = b"".join(rows) if pixels is None else pixels
    screen = struct.pack("<HHBBB", width, height, (0 if local else 0x80) | 0x70 | (k - 1), 0, 0)
    image = b"," + struct.pack("<HHHHB", 0, 0, width, height, (0x80 | (k - 1)) if local else 0)
    return (version + screen + (b"" if local else table) + before_image + image + (table if local else b"") +
            lzw(data, max(2, k)) + b";")


class Gif:
    @staticmethod
    def detect(head, whole):
        return head[:6] in (b"GIF87a", b"GIF89a")

    @staticmethod
    def read(data):
        if data[:6] not in (b"GIF87a", b"GIF89a") or len(data) < 13:
            raise Refused("image GIF illisible")
        packed_byte, at = data[10], 13
        while not packed_byte & 0x80:
            if at >= len(data) or data[at] == 0x3B:
                raise Refused("image GIF sans table de couleurs")
            if data[at] == 0x21:  # an extension: its label, then sub-blocks up to an empty one
                at += 2
                while at < len(data) and data[at]:
                    at += 1 + data[at]
                at += 1
            elif data[at] == 0x2C:
                packed_byte, at = data[at + 9], at + 10
                if not packed_byte & 0x80:
                    raise Refused("image GIF sans table de couleurs")
            else:
                raise Refused("image GIF illisible")
        count = 2 << (packed_byte & 7)
        if len(data) < at + 3 * count:
            raise Refused("image GIF coupée dans sa table de couleurs")
        return Pal(triples(data[at:at + 3 * count]))

    @staticmethod
    def write(pal, name):
        return gif_file(eight_bit(pal, 256))


# --- bmp -------------------------------------------------------------------------

HEADER_SIZES = (12, 40, 52, 56, 108, 124)


def bmp_runs(rows, bits):
    """RLE8 or RLE4 rows, bottom up: four differing pixels as they are, other
    pixels in runs of one index, an end of line after each row, then the end
    of the bitmap (no jumps, odd stretches or early end: Pillow misreads them)."""
    out = bytearray()
    for row in reversed(rows):
        x = 0
        while x < len(row):
            four = row[x:x + 4]
            if len(four) == 4 and all(a != b for a, b in zip(four, four[1:])):
                packed_four = bytes(four) if bits == 8 else bytes([four[0] << 4 | four[1], four[2] << 4 | four[3]])
                out += bytes([0, 4]) + packed_four
                x += 4
                continue
            n = 1
            while x + n < len(row) and n < 255 and row[x + n] == row[x]:
                n += 1
            out += bytes([n, row[x] * (17 if bits == 4 else 1)])
            x += n
        out += b"\0\0"
    return bytes(out) + b"\0\1"


def bmp_file(colours, bits, rows, width, header=40, used=None, runs=False):
    """A bitmap: file header, information header of `header` bytes (12: OS/2's,
    3-byte entries), the table, then the rows bottom up, each to 4 bytes, or
    run-length coded."""
    entry = 3 if header == 12 else 4
    table = b"".join(bytes((b, g, r)) + b"\x00" * (entry - 3) for r, g, b in colours)
    stride = -(-width * bits // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):
        value = 0
        for index in row if bits < 8 else b"":
            value = value << bits | index
        line = bytes(row) if bits % 8 == 0 else (value << (-width * bits % 8)).to_bytes(-(-width * bits // 8), "big")
        pixels += line.ljust(stride, b"\x00")
    if runs:
        pixels = bmp_runs(rows, bits)
    if header == 12:
        info = struct.pack("<IHHHH", 12, width, len(rows), 1, bits)
    else:
        info = struct.pack("<IiiHHIIiiII", header, width, len(rows), 1, bits, {4: 2, 8: 1}[bits] if runs else 0,
                           len(pixels), 2835, 2835, len(colours) if used is None else used, 0).ljust(header, b"\x00")
    at = 14 + len(info) + len(table)
    return b"BM" + struct.pack("<IHHI", at + len(pixels), 0, 0, at) + info + table + bytes(pixels)


class Bmp:
    @staticmethod
    def detect(head, whole):
        return head[:2] == b"BM" and len(head) >= 18 and struct.unpack("<I", head[14:18])[0] in HEADER_SIZES

    @staticmethod
    def read(data):
        if not Bmp.detect(data, True):
            raise Refused("image BMP illisible")
        header = struct.unpack("<I", data[14:18])[0]
        if len(data) < 14 + header:
            raise Refused("image BMP coupée dans son en-tête")
        core = header == 12
        bits = struct.unpack("<H", data[24:26] if core else data[28:30])[0]
        if bits not in (1, 4, 8):
            raise Refused(f"image BMP sans palette ({bits} bits par pixel)")
        used = 0 if core else struct.unpack("<I", data[46:50])[0]
        if used > 1 << bits:
            raise Refused(f"image BMP de {bits} bits par pixel annonçant {used} couleurs")
        count, entry, at = used or 1 << bits, 3 if core else 4, 14 + header
        if len(data) < at + count * entry:
            raise Refused("table de couleurs BMP coupée")
        return Pal([tuple(reversed(data[at + k * entry:at + k * entry + 3])) for k in range(count)])

    @staticmethod
    def write(pal, name):
        colours = eight_bit(pal, 256)
        width, _, rows = grid(len(colours))
        return bmp_file(colours, 8, rows, width)


# --- pcx -------------------------------------------------------------------------

def rle(row):
    """A PCX row: runs of up to 63 equal bytes as 0xC0 + count then the byte;
    a lone byte as itself, unless it is 0xC0 or more."""
    out, x = bytearray(), 0
    while x < len(row):
        run = 1
        while x + run < len(row) and run < 63 and row[x + run] == row[x]:
            run += 1
        if run > 1 or row[x] >= 0xC0:
            out.append(0xC0 | run)
        out.append(row[x])
        x += run
    return bytes(out)


def pcx_file(version, bits, planes, width, height, encoded, header_colours=(), tail=b"", dpi=72):
    """A PCX: the 128-byte header (16 colours at 16), the encoded rows, then `tail`."""
    header = struct.pack("<BBBBHHHHHH", 0x0A, version, 1, bits, 0, 0, width - 1, height - 1, dpi, dpi)
    header += packed(header_colours).ljust(48, b"\x00") + b"\x00" + bytes([planes])
    header += struct.pack("<HH", -(-width * bits // 16) * 2, 1)
    return header.ljust(128, b"\x00") + encoded + tail


class Pcx:
    @staticmethod
    def detect(head, whole):
        return (len(head) > 65 and head[0] == 0x0A and head[1] <= 5 and head[2] == 1 and head[3] in (1, 2, 4, 8) and
                1 <= head[65] <= 4 and not Vga.detect(head, whole))

    @staticmethod
    def read(data):
        if len(data) < 128:
            raise Refused("image PCX coupée dans son en-tête")
        if not Pcx.detect(data[:128], False):
            raise Refused("image PCX illisible")
        version, bits, planes = data[1], data[3], data[65]
        if (version, bits, planes) == (5, 8, 1):
            if len(data) < 128 + 769 or data[-769] != 0x0C:
                raise Refused("image PCX de 256 couleurs sans sa palette")
            return Pal(triples(data[-768:]))
        if bits == 8:
            raise Refused(f"image PCX sans palette ({planes} plans de 8 bits)")
        return Pal(triples(data[16:64]))

    @staticmethod
    def write(pal, name):
        colours = eight_bit(pal, 256)
        width, height, rows = grid(len(colours))
        return pcx_file(5, 8, 1, width, height, b"".join(rle(r) for r in rows),
                        tail=b"\x0c" + packed(colours).ljust(768, b"\x00"))


FORMATS = {"gif": Gif, "bmp": Bmp, "pcx": Pcx}


def samples():
    """Images as paint programs save them, with colours of our own."""
    sixteen = hsv_ramps([0.0, 0.3, 0.6, 0.8], 4, 0.7, 255)
    warm = hsv_ramps([0.02, 0.08, 0.12, 0.16], 8, 0.8, 255)
    full = hsv_ramps([k / 16 for k in range(16)], 16, 0.6, 255)
    stripes = bytes(x % 4 for y in range(8) for x in range(8))
    # GIF89a: a graphic control extension (colour 0 transparent) and a comment
    # before the image; 87a: four colours, no extension; none global: the
    # image's own table of 32 after a NETSCAPE loop extension.
    comment = b"fait main"
    control = b"\x21\xf9\x04\x01\x00\x00\x00\x00" + b"\x21\xfe" + bytes([len(comment)]) + comment + b"\x00"
    loop = b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"
    ega_rows = [bytes((x // 2 + y) % 16 for x in range(16)) for y in range(4)]
    pcx256 = pcx_file(5, 8, 1, 256, 16, b"".join(rle(bytes((x + y) % 256 for x in range(256))) for y in range(16)),
                      tail=b"\x0c" + packed(full))
    # 16 colours as EGA paint programs kept them: four 1-bit planes per row, the palette in the header.
    planes = b"".join(rle(bytes(int("".join(str(v >> p & 1) for v in row[b * 8:b * 8 + 8]), 2) for b in range(2)))
                      for row in ega_rows for p in range(4))
    # Run-length coded: runs of one index, and stretches of four that differ.
    patchy = [bytes((x // 3 + y) % 40 if x < 12 else (7 * x + y) % 40 for x in range(21)) for y in range(9)]
    return {
        "gif89-16-transparent.gif": gif_file(sixteen, before_image=control),
        "gif87-4.gif": gif_file(sixteen[:4], version=b"GIF87a", pixels=stripes, size=(8, 8)),
        "gif89-32-locale.gif": gif_file(warm, local=True, before_image=loop),
        "bmp8-windows.bmp": bmp_file(full, 8, grid(256)[2], 256, used=0),
        "bmp4-v5.bmp": bmp_file(sixteen[:12], 4, [bytes(x % 12 for x in range(12))] * 3, 12, header=124),
        "bmp1-os2.bmp": bmp_file([(0, 0, 0), (255, 255, 255)], 1, [bytes((x ^ y) & 1 for x in range(9))
                                                                   for y in range(3)], 9, header=12),
        "bmp8-rle.bmp": bmp_file(warm + full[:8], 8, patchy, 21, runs=True),
        "bmp4-rle.bmp": bmp_file(sixteen, 4, [bytes(v % 16 for v in row) for row in patchy[:5]], 21, runs=True),
        "bmp24-sans-palette.bmp": bmp_file([], 24, [b"\x00\x00\x00" * 2] * 2, 2),
        "pcx256-v5.pcx": pcx256,
        "pcx16-ega.pcx": pcx_file(2, 1, 4, 16, 4, planes, header_colours=sixteen),
    }
