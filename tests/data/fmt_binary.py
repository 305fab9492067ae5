"""corvane-convert's div (with the palettes of FPG, FNT and MAP files), vga, act and riff formats, worked out from their layouts for
make_samples.py: the sample files made here, and each format's detection,
reader and writer."""

import colorsys
import gzip
import struct
import zlib
from fractions import Fraction

from palettes import Pal, Refused, text_lines

LEVEL_BYTES = 768
RANGE_BYTES = 576
MAX_COLOURS = 32767


# --- Levels ----------------------------------------------------------------

def level_of(component):
    """The window's level rule (c / 4, less 1 when positive, halves to the
    even one), a result outside 0..255 taken to the nearer end."""
    v = Fraction(component, 4)
    if v > 0:
        v -= 1
    return min(255, max(0, round(v)))


def six_bit_levels(pal):
    """The 768 level bytes a 6-bit format writes for the palette."""
    n = len(pal.colours)
    if n > 256:
        raise Refused(f"une palette DIV n'a que 256 couleurs, celle-ci en a {n}")
    if n == 0:
        raise Refused("la palette n'a aucune couleur")
    if pal.six_bit:
        colours = [tuple(v // 4 for v in c) for c in pal.colours]
    else:
        colours = [tuple(level_of(v) for v in c) for c in pal.colours]
    if n == 16:
        colours = colours * 16
    colours += [(0, 0, 0)] * (256 - len(colours))
    return bytes(v for c in colours for v in c)


def eight_bit(pal, most):
    """The palette's colours, refused when a byte cannot hold them."""
    if len(pal.colours) > most:
        raise Refused(f"ce format n'a que {most} couleurs, la palette en a {len(pal.colours)}")
    if not pal.colours:
        raise Refused("la palette n'a aucune couleur")
    for k, colour in enumerate(pal.colours):
        for v in colour:
            if not 0 <= v <= 255:
                raise Refused(f"couleur {k} : niveau {v} hors de 0 à 255")
    return pal.colours


def triples(data, scale=1):
    return [tuple(scale * v for v in data[i:i + 3]) for i in range(0, len(data) - 2, 3)]


# --- div: DIV's palette, FPG, FNT and MAP files -------------------------------

DIV_TAIL = b"\x1a\r\n\x00"
# The first three bytes: where the levels start.
DIV_LEVELS_AT = {b"pal": 8, b"fpg": 8, b"fnt": 8, b"map": 48}


def default_ranges():
    """DIV's colour ranges when it has none of the file's: range a is 16
    colours (type 0, fixed 0, black 0) from index 16 a, then 32 indices."""
    block = b""
    for a in range(16):
        block += bytes([16, 0, 0, 0]) + bytes((a * 16 + k) % 256 for k in range(32))
    return block


def edited_ranges():
    """Ranges as DIV's palette editor leaves them once edited: 8, 16 or 32
    colours, types 0 to 3, every other one fixed, indices of our own."""
    block = b""
    for a in range(16):
        block += bytes([8 << (a % 3), a % 4, a % 2, 0]) + bytes((200 - 7 * a + 3 * k) % 256 for k in range(32))
    return block


GZIP_MAGIC = b"\x1f\x8b"


def inflated(data, size):
    """The first `size` bytes of a gzip file's content (BennuGD's DIV files)."""
    try:
        return zlib.decompressobj(16 + zlib.MAX_WBITS).decompress(data, size)
    except zlib.error:
        raise Refused("flux gzip coupé ou abîmé avant la fin de la palette")


def levels_at(data, compressed):
    """Where a DIV file's levels start; None when it is none. Once inflated, a
    palette file is any the window opens: its first text line is "pal"."""
    if compressed and text_lines(data[:9])[0] == b"pal":
        return 8
    if data[3:7] == DIV_TAIL:
        return DIV_LEVELS_AT.get(data[:3])
    return None


class Div:
    @staticmethod
    def detect(head, whole):
        if head.startswith(GZIP_MAGIC):
            try:
                return levels_at(inflated(head, 9), True) is not None
            except Refused:
                return False
        return head[3:7] == DIV_TAIL and head[:3] in (b"fpg", b"fnt", b"map")

    @staticmethod
    def read(data):
        compressed = data.startswith(GZIP_MAGIC)
        if compressed:
            data = inflated(data, 48 + LEVEL_BYTES + RANGE_BYTES)
        at = levels_at(data, compressed)
        if at is None:
            raise Refused("ce n'est pas un fichier DIV (pal, fpg, fnt ou map)")
        levels = data[at:at + LEVEL_BYTES]
        if len(levels) < LEVEL_BYTES:
            raise Refused("le fichier s'arrête avant les 768 niveaux de sa palette")
        ranges = data[at + LEVEL_BYTES:at + LEVEL_BYTES + RANGE_BYTES]
        return Pal(triples(levels, 4), True, ranges if len(ranges) == RANGE_BYTES else None)

    @staticmethod
    def write(pal, name):
        ranges = pal.ranges if pal.ranges is not None else default_ranges()
        return b"pal" + DIV_TAIL + b"\x00" + six_bit_levels(pal) + bytes(ranges)


# --- vga: 768 bare 6-bit levels -------------------------------------------------

class Vga:
    @staticmethod
    def detect(head, whole):
        return whole and len(head) == LEVEL_BYTES and max(head) <= 63

    @staticmethod
    def read(data):
        if len(data) < LEVEL_BYTES:
            raise Refused("une palette VGA fait 768 octets")
        # A byte above 63 only comes from another program: held times 4, as DIV's reader does.
        return Pal(triples(data[:LEVEL_BYTES], 4), True)

    @staticmethod
    def write(pal, name):
        return six_bit_levels(pal)


# --- act: Adobe's colour table ---------------------------------------------------

class Act:
    @staticmethod
    def detect(head, whole):
        return whole and len(head) in (768, 772)

    @staticmethod
    def read(data):
        if len(data) not in (768, 772):
            raise Refused("une table de couleurs Adobe fait 768 ou 772 octets")
        colours = triples(data[:LEVEL_BYTES])
        if len(data) == 772:
            (count,) = struct.unpack(">H", data[768:770])  # then the transparent index, not used
            if not 1 <= count <= 256:
                raise Refused(f"nombre de couleurs {count} hors de 1 à 256")
            colours = colours[:count]
        return Pal(colours)

    @staticmethod
    def write(pal, name):
        colours = eight_bit(pal, 256)
        table = bytes(v for c in colours for v in c).ljust(LEVEL_BYTES, b"\x00")
        if len(colours) == 256:
            return table
        return table + struct.pack(">HH", len(colours), 0xFFFF)


# --- riff: Microsoft's RIFF palette ------------------------------------------------

class Riff:
    @staticmethod
    def detect(head, whole):
        return head[:4] == b"RIFF" and head[8:12] == b"PAL "

    @staticmethod
    def read(data):
        if data[:4] != b"RIFF" or data[8:12] != b"PAL ":
            raise Refused("ce n'est pas une palette RIFF")
        at = 12
        while at + 8 <= len(data):
            chunk, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
            if chunk == b"data":
                head = data[at + 8:at + 12]  # read even when the size is less
                if len(head) < 4:
                    raise Refused("le fichier s'arrête dans son bloc data")
                version, count = struct.unpack("<HH", head)
                if version != 0x0300:
                    raise Refused(f"version 0x{version:04X} inconnue")
                if size != 4 + 4 * count:
                    raise Refused(f"le nombre de couleurs ({count}) ne correspond pas à la taille "
                                  f"du bloc data ({size} octets)")
                if count == 0:
                    raise Refused("la palette n'a aucune couleur")
                if count > MAX_COLOURS:
                    raise Refused("plus de 32767 couleurs : trop pour Corvane")
                entries = data[at + 12:at + 12 + 4 * count]
                if len(entries) < 4 * count:
                    raise Refused(f"le fichier s'arrête avant sa couleur {len(entries) // 4} (il en annonce {count})")
                return Pal([tuple(entries[i:i + 3]) for i in range(0, len(entries), 4)])
            at += 8 + size + size % 2
        raise Refused("pas de bloc data")

    @staticmethod
    def write(pal, name):
        colours = eight_bit(pal, MAX_COLOURS)
        entries = b"".join(bytes(c) + b"\x00" for c in colours)
        data = struct.pack("<HH", 0x0300, len(colours)) + entries
        return (b"RIFF" + struct.pack("<I", 12 + len(data)) + b"PAL " +
                b"data" + struct.pack("<I", len(data)) + data)


# --- Samples ---------------------------------------------------------------------

def hsv_ramps(hues, shades, s, scale):
    """Dark-to-light ramps of each hue, levels up to `scale`."""
    out = []
    for h in hues:
        for k in range(shades):
            rgb = colorsys.hsv_to_rgb(h, s, (k + 1) / shades)
            out.append(tuple(round(scale * x) for x in rgb))
    return out


def forest():
    """Greens and browns, 8 ramps of 32 DIV levels."""
    return hsv_ramps([0.08, 0.12, 0.18, 0.25, 0.3, 0.36, 0.45, 0.55], 32, 0.7, 63)


def ember_levels():
    """Black through red to pale yellow, 6-bit."""
    return [(min(63, k // 2), max(0, k - 128) // 3, max(0, k - 200)) for k in range(256)]


def packed(colours):
    return bytes(v for c in colours for v in c)


def fpg_file(levels):
    """DIV's FPG: header, levels, ranges, then graphics: code, entry length,
    32-byte description, 12-byte file name, width, height, control points,
    the points (x, y) and the pixels."""
    data = bytearray(b"fpg" + DIV_TAIL + b"\x00" + packed(levels) + default_ranges())
    for code, (w, h), points in ((1, (16, 16), []), (2, (8, 4), [(4, 2)])):
        pixels = bytes((x + y * 3 + code * 40) % 256 for y in range(h) for x in range(w))
        header = struct.pack("<II32s12sIII", code, 64 + 4 * len(points) + len(pixels),
                             b"arbre %d" % code, b"ARBRE%d.MAP" % code, w, h, len(points))
        data += header + b"".join(struct.pack("<HH", *p) for p in points) + pixels
    return bytes(data)


def map_file(levels):
    """DIV's MAP: header, width, height, code, 32-byte description, levels at
    48, ranges, control points, then the pixels."""
    w, h = 32, 16
    data = b"map" + DIV_TAIL + b"\x00" + struct.pack("<HHI32s", w, h, 7, b"carte d'essai")
    pixels = bytes((x ^ y) * 8 % 256 for y in range(h) for x in range(w))
    return data + packed(levels) + default_ranges() + struct.pack("<H", 0) + pixels


def fnt_file(levels):
    """DIV's FNT: header, levels, ranges, the charsets present, then a table of
    256 characters (width, height, vertical offset, where its pixels are) and
    the pixels of the few it draws."""
    table_at = 8 + LEVEL_BYTES + RANGE_BYTES + 4
    glyphs_at = table_at + 256 * 16
    table, glyphs = bytearray(256 * 16), bytearray()
    for ch in b"ABC":
        w, h = 6, 8
        struct.pack_into("<iiii", table, ch * 16, w, h, 0, glyphs_at + len(glyphs))
        glyphs += bytes(((x + y + ch) % 3 == 0) * (ch - 60) for y in range(h) for x in range(w))
    return (b"fnt" + DIV_TAIL + b"\x00" + packed(levels) + default_ranges() +
            struct.pack("<i", 2) + bytes(table) + bytes(glyphs))


def photoshop_colours(n):
    """Sunset hues, 8-bit, as a picture's indexed colours."""
    return hsv_ramps([k / n for k in range(n)], 1, 0.6, 255) if n < 64 else \
        hsv_ramps([0.95, 0.02, 0.08, 0.6, 0.65, 0.7, 0.75, 0.85], n // 8, 0.8, 255)


def samples():
    """Sample files of these formats, name: bytes."""
    fpg = fpg_file(forest())
    windows = Riff.write(Pal(hsv_ramps([k / 16 for k in range(16)], 16, 0.5, 255)), "")
    act40 = packed(photoshop_colours(40)).ljust(LEVEL_BYTES, b"\x00") + struct.pack(">HH", 40, 0)
    return {
        "fpg-foret.fpg": fpg,
        # As BennuGD writes its FPG files: the whole file compressed by gzip.
        "fpg-gzip.fpg": gzip.compress(fpg, compresslevel=9, mtime=0),
        # Cut inside its palette, as a failed copy leaves it.
        "fpg-coupe.fpg": fpg[:400],
        # Cut inside its second graphic's pixels: its palette whole.
        "fpg-graphique-coupe.fpg": fpg[:-10],
        "map-carte.map": map_file(hsv_ramps([k / 8 for k in range(8)], 32, 0.4, 63)),
        "fnt-lettres.fnt": fnt_file(ember_levels()),
        # A new FPG holding no graphic yet: its palette and edited ranges only.
        "fpg-plages.fpg": b"fpg" + DIV_TAIL + b"\x00" + packed(forest()[::-1]) + edited_ranges(),
        "vga-braises.pal": packed(ember_levels()),
        "act256-photoshop.act": packed(photoshop_colours(256)),
        # Photoshop's table of fewer colours: count 40, transparent index 0.
        "act40-photoshop.act": act40,
        # Only the data chunk, 256 entries with flags 0, as Windows' palette tools write it.
        "riff256-windows.pal": windows,
    }


# name: an object with detect(head, whole), read(data) and write(palette, name)
FORMATS = {"div": Div, "vga": Vga, "act": Act, "riff": Riff}
