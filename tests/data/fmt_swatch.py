"""corvane-convert's txt (Paint.NET), ase, aco, col, lbm and aseprite formats,
worked out from their layouts for make_samples.py: the sample files made here,
and each format's detection, reader and writer (None for the read-only ones)."""

import colorsys
import re
import struct
import zlib

from fmt_binary import eight_bit
from fmt_text import counted, lines
from palettes import Pal, Refused

MOST = 32767


def read_back(cls, out, colours):
    """A writer's output, as this module's reader takes it back: the same colours."""
    back = cls.read(out).colours
    assert back[:len(colours)] == list(colours) and not any(map(any, back[len(colours):])), cls.__name__
    return out


def vga_sized(head, whole):
    """A whole input of 768 bytes, every one 63 or less, stays vga."""
    return whole and len(head) == 768 and max(head) <= 63


def utf16_name(text):
    """A name as Adobe's formats hold it: UTF-16 big-endian and a terminating zero."""
    return text.encode("utf-16-be") + b"\0\0"


def hex_name(colour):
    return "#%02x%02x%02x" % colour


# --- txt: Paint.NET -----------------------------------------------------------

TXT_COLOUR = re.compile(rb"([0-9A-Fa-f]{2})?([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})")


class Txt:
    @staticmethod
    def detect(head, whole):
        if vga_sized(head, whole):
            return False
        if not whole:  # the head may end inside a line: only whole lines count
            head = head[:max(head.rfind(b"\r"), head.rfind(b"\n")) + 1]
        paint_net = False
        for line in lines(head):
            if not line:
                continue
            m = TXT_COLOUR.fullmatch(line)
            if line.startswith(b";"):
                paint_net = True
            elif m is None:
                return False
            elif m.group(1) is not None:
                paint_net = True
        return paint_net

    @staticmethod
    def read(data):
        colours = []
        for number, line in enumerate(lines(data), 1):
            if not line or line.startswith(b";"):
                continue
            m = TXT_COLOUR.fullmatch(line)
            if m is None:
                raise Refused(f"ligne {number}")
            colours.append(tuple(int(g, 16) for g in m.groups()[1:]))
        return counted(colours)

    @staticmethod
    def write(pal, name):
        colours = eight_bit(pal, MOST)
        shown = bytes(b if 0x20 <= b != 0x7F else ord("_") for b in name.encode())
        out = [b"; paint.net Palette File", b"; Palette Name: " + shown, b"; Colors: %d" % len(colours)]
        out += [b"FF%02X%02X%02X" % c for c in colours]
        return read_back(Txt, b"".join(line + b"\r\n" for line in out), colours)


# --- ase: Adobe Swatch Exchange ---------------------------------------------------

ASE_SIGNATURE = b"ASEF\x00\x01\x00\x00"
ASE_COMPONENTS = {b"RGB ": 3, b"Gray": 1, b"CMYK": 4, b"LAB ": 3}


def ase_level(value):
    if not 0 <= value <= 1:
        raise Refused("composante hors de 0 à 1")
    return int(value * 255 + 0.5)  # value × 255 is never negative


def ase_colour_block(name, model, values, kind=2):
    body = struct.pack(">H", len(name) + 1) + utf16_name(name) + model
    body += b"".join(struct.pack(">f", v) for v in values) + struct.pack(">H", kind)
    return struct.pack(">HI", 0x0001, len(body)) + body


def ase_group(name, blocks):
    start = struct.pack(">H", len(name) + 1) + utf16_name(name)
    return [struct.pack(">HI", 0xC001, len(start)) + start] + blocks + [struct.pack(">HI", 0xC002, 0)]


def ase_file(blocks):
    return ASE_SIGNATURE + struct.pack(">I", len(blocks)) + b"".join(blocks)


class Ase:
    @staticmethod
    def detect(head, whole):
        return head.startswith(ASE_SIGNATURE)

    @staticmethod
    def read(data):
        if not data.startswith(ASE_SIGNATURE):
            raise Refused("ce n'est pas un nuancier ASE")
        (blocks,) = struct.unpack_from(">I", data, 8)
        at, colours = 12, []
        for _ in range(blocks):
            kind, size = struct.unpack_from(">HI", data, at)
            at += 6
            if kind == 0x0001:
                (units,) = struct.unpack_from(">H", data, at)
                model = data[at + 2 + 2 * units:at + 6 + 2 * units]
                if model not in (b"RGB ", b"Gray"):
                    raise Refused(f"couleur {len(colours)} : {model}")
                n = ASE_COMPONENTS[model]
                values = struct.unpack_from(">%df" % n, data, at + 6 + 2 * units)
                colours.append(tuple(ase_level(values[c % n]) for c in range(3)))
            at += size
        return counted(colours)

    @staticmethod
    def write(pal, name):
        colours = eight_bit(pal, MOST)
        out = ase_file([ase_colour_block(hex_name(c), b"RGB ", [v / 255 for v in c]) for c in colours])
        return read_back(Ase, out, colours)


# --- aco: Photoshop swatches -------------------------------------------------------

def aco_entries(data, at, count, named):
    """The section's (space, w, x, y, z) entries and where it ends."""
    entries = []
    for _ in range(count):
        entries.append(struct.unpack_from(">5H", data, at))
        at += 10
        if named:
            (units,) = struct.unpack_from(">I", data, at)
            at += 4 + 2 * units
    return entries, at


def aco_sections(data):
    """The entries of the section to read, or None when the layout is not aco's."""
    if len(data) < 4 or data[:2] != b"\x00\x01":
        return None
    (count,) = struct.unpack_from(">H", data, 2)
    end = 4 + 10 * count
    if len(data) == end:
        return aco_entries(data, 4, count, False)[0]
    if data[end:end + 4] != struct.pack(">HH", 2, count):
        return None
    try:
        entries, at = aco_entries(data, end + 4, count, True)
    except struct.error:
        return None
    return entries if at == len(data) else None


def aco_colour(number, entry):
    space, w, x, y, _ = entry
    if space == 0:
        return (w >> 8, x >> 8, y >> 8)
    if space == 8 and w <= 10000:
        return ((w * 255 + 5000) // 10000,) * 3
    raise Refused(f"couleur {number}")


class Aco:
    @staticmethod
    def detect(head, whole):
        # Every sample here is whole: the rule for a longer head is the C++ one.
        return whole and not vga_sized(head, whole) and aco_sections(head) is not None

    @staticmethod
    def read(data):
        entries = aco_sections(data)
        if entries is None:
            raise Refused("ce n'est pas un nuancier Photoshop")
        return counted([aco_colour(k, e) for k, e in enumerate(entries)])

    @staticmethod
    def write(pal, name):
        colours = eight_bit(pal, MOST)
        out = b""
        for version in (1, 2):
            out += struct.pack(">HH", version, len(colours))
            for c in colours:
                out += struct.pack(">5H", 0, *(257 * v for v in c), 0)
                if version == 2:
                    out += struct.pack(">I", 8) + utf16_name(hex_name(c))
        return read_back(Aco, out, colours)


# --- col: Animator Pro -------------------------------------------------------------

COL_HEADER = struct.pack("<IHH", 776, 0xB123, 0)


class Col:
    @staticmethod
    def detect(head, whole):
        return head.startswith(COL_HEADER)

    @staticmethod
    def read(data):
        if not data.startswith(COL_HEADER) or len(data) < 776:
            raise Refused("ce n'est pas une palette Animator Pro")
        return Pal([tuple(data[i:i + 3]) for i in range(8, 776, 3)])

    @staticmethod
    def write(pal, name):
        colours = eight_bit(pal, 256)
        return read_back(Col, COL_HEADER + bytes(v for c in colours for v in c).ljust(768, b"\0"), colours)


# --- lbm: IFF ILBM and PBM ---------------------------------------------------------

def iff_chunk(kind, body):
    return kind + struct.pack(">I", len(body)) + body + b"\0" * (len(body) % 2)


def byte_run(line):
    """A line packed by ByteRun1: a run of n equal bytes as 1 - n then the byte, any other byte alone (count 0)."""
    out, x = bytearray(), 0
    while x < len(line):
        n = 1
        while x + n < len(line) and n < 128 and line[x + n] == line[x]:
            n += 1
        out += bytes([257 - n if n > 1 else 0, line[x]])
        x += n
    return bytes(out)


def bit_planes(row, depth):
    """An ILBM row: `depth` lines of one bit a pixel, lowest plane first, each of whole 16-bit words."""
    size = -(-len(row) // 16) * 2
    return [bytes(sum((row[x] >> p & 1) << (7 - x % 8) for x in range(8 * b, min(8 * b + 8, len(row))))
                  for b in range(size)) for p in range(depth)]


class Lbm:
    write = None

    @staticmethod
    def detect(head, whole):
        return head[:4] == b"FORM" and head[8:12] in (b"ILBM", b"PBM ")

    @staticmethod
    def read(data):
        at = 12
        while at + 8 <= len(data):
            kind, (size,) = data[at:at + 4], struct.unpack_from(">I", data, at + 4)
            if kind == b"BODY":
                break
            if kind == b"CMAP":
                body = data[at + 8:at + 8 + size]
                return counted([tuple(body[i:i + 3]) for i in range(0, size - size % 3, 3)])
            at += 8 + size + size % 2
        raise Refused("image IFF sans palette")


# --- aseprite ------------------------------------------------------------------------

def ase_string(text):
    return struct.pack("<H", len(text)) + text


def sprite_chunk(kind, body):
    return struct.pack("<IH", 6 + len(body), kind) + body


def sprite_frame(chunks):
    body = b"".join(chunks)
    return struct.pack("<IHHHHI", 16 + len(body), 0xF1FA, len(chunks), 100, 0, len(chunks)) + body


def sprite_file(frames, width=16, height=16, depth=8, colours=256):
    body = b"".join(frames)
    header = struct.pack("<IHHHHHIHIIB3xHBBhhHH84x", 128 + len(body), 0xA5E0, len(frames), width, height, depth,
                         1, 100, 0, 0, 0, colours, 1, 1, 0, 0, 16, 16)
    assert len(header) == 128
    return header + body


def new_palette_chunk(colours, names=(), first=0, size=None):
    """0x2019: size, first and last index given, then flags, R, G, B, A and a
    name when flag 1 is set."""
    size = len(colours) + first if size is None else size
    body = struct.pack("<III8x", size, first, first + len(colours) - 1)
    for k, c in enumerate(colours):
        name = names[k] if k < len(names) else None
        body += struct.pack("<H4B", 1 if name else 0, *c, 255)
        if name:
            body += ase_string(name)
    return sprite_chunk(0x2019, body)


def old_palette_chunk(kind, packets):
    """0x0004 or 0x0011: (entries to skip, colours) packets."""
    body = struct.pack("<H", len(packets))
    for skip, colours in packets:
        body += bytes([skip, len(colours) % 256]) + bytes(v for c in colours for v in c)
    return sprite_chunk(kind, body)


def layer_chunk(name):
    return sprite_chunk(0x2004, struct.pack("<HHHHHHB3x", 3, 0, 0, 0, 0, 0, 255) + ase_string(name))


def cel_chunk(width, height, pixels):
    head = struct.pack("<HhhBHh5xHH", 0, 0, 0, 255, 2, 0, width, height)
    return sprite_chunk(0x2005, head + zlib.compress(pixels, 9))


def sprite_read(data):
    """The first frame's palette."""
    (chunks,) = struct.unpack_from("<I", data, 128 + 12)
    if chunks == 0:
        (chunks,) = struct.unpack_from("<H", data, 128 + 6)
    at, old = 128 + 16, {0x0004: {}, 0x0011: {}}
    for _ in range(chunks):
        size, kind = struct.unpack_from("<IH", data, at)
        body = data[at + 6:at + size]
        if kind == 0x2019:
            count, first, last = struct.unpack_from("<III", body)
            colours, p = [(0, 0, 0)] * count, 20
            for k in range(first, last + 1):
                flags, r, g, b, _ = struct.unpack_from("<H4B", body, p)
                colours[k], p = (r, g, b), p + 6
                if flags & 1:
                    p += 2 + struct.unpack_from("<H", body, p)[0]
            return counted(colours)
        if kind in old:
            (packets,) = struct.unpack_from("<H", body)
            index, p = 0, 2
            for _ in range(packets):
                index += body[p]
                n = body[p + 1] or 256
                p += 2
                for _ in range(n):
                    old[kind][index] = tuple(body[p:p + 3])
                    index, p = index + 1, p + 3
        at += size
    for kind, scale in ((0x0004, 1), (0x0011, 4)):
        if old[kind]:
            count = max(old[kind]) + 1
            colours = [tuple(scale * v for v in old[kind].get(k, (0, 0, 0))) for k in range(count)]
            return Pal(colours, six_bit=scale == 4)
    raise Refused("sprite sans palette dans sa première image")


class Aseprite:
    write = None

    @staticmethod
    def detect(head, whole):
        return len(head) >= 134 and head[4:6] == b"\xe0\xa5" and head[132:134] == b"\xfa\xf1"

    @staticmethod
    def read(data):
        return sprite_read(data)


# --- Samples ---------------------------------------------------------------------------

def wheel(n, saturation, value, turn=1.0, start=0.0):
    return [tuple(round(255 * c) for c in colorsys.hsv_to_rgb(start + turn * k / n, saturation, value))
            for k in range(n)]


def samples():
    """Sample files of these formats, name: bytes."""
    # Lospec's Paint.NET download: comments without a blank after ';', CR LF.
    lospec = [b";paint.net Palette File", b";Downloaded from Lospec.com/palette-list", b";Palette Name: Brume",
              b";Description: 32 couleurs", b";Colors: 32"]
    lospec += [b"FF%02X%02X%02X" % c for c in wheel(32, 0.45, 0.85)]
    # Written by hand: LF, lower case, alpha that is not FF, a line of six digits, blank lines.
    hand = [b"; brouillon", b"", b"80ff0000", b"00ff00", b"", b"ff0000ff", b"c0808080"]
    # Illustrator's export: a group around RGB colours, a grey, names of any length.
    greys = [ase_colour_block("Gris %d %%" % g, b"Gray", [g / 100]) for g in (0, 25, 50, 75, 100)]
    rgb = [ase_colour_block("Couleur %d" % k, b"RGB ", [v / 255 for v in c], kind=k % 3)
           for k, c in enumerate(wheel(12, 0.7, 0.9))]
    grouped = ase_file(rgb[:2] + ase_group("Tons de la mer", rgb[2:10]) + greys + rgb[10:])
    # Photoshop's own: version 1 and 2 sections, names, an RGB and a grey entry.
    swatches = [(0, 257 * r, 257 * g, 257 * b, 0) for r, g, b in wheel(20, 0.6, 0.8)]
    swatches += [(8, w, 0, 0, 0) for w in (0, 1961, 5000, 10000)]
    names = ["Nuance %d" % k for k in range(len(swatches))]
    aco = struct.pack(">HH", 1, len(swatches)) + b"".join(struct.pack(">5H", *s) for s in swatches)
    aco += struct.pack(">HH", 2, len(swatches))
    aco += b"".join(struct.pack(">5HI", *s, len(n) + 1) + utf16_name(n) for s, n in zip(swatches, names))
    # Old tools: version 1 only, levels whose low byte is not their high byte.
    old_aco = [(0, r << 8 | 0x7F, g << 8, b << 8 | 0xFF, 0) for r, g, b in wheel(10, 0.9, 0.7, start=0.5)]
    # Deluxe Paint: BMHD, CMAP of 32 colours, then a BODY of one row.
    bmhd = struct.pack(">HHhhBBBxHBBhh", 16, 1, 0, 0, 5, 0, 1, 0, 10, 11, 320, 200)
    body = iff_chunk(b"BODY", bytes(5 * 2))
    ilbm = b"ILBM" + iff_chunk(b"BMHD", bmhd) + iff_chunk(b"CMAP", bytes(v for c in wheel(32, 0.6, 0.9) for v in c))
    ilbm += iff_chunk(b"DPPS", bytes(111)) + body
    pbm = b"PBM " + iff_chunk(b"BMHD", bmhd) + iff_chunk(b"CRNG", bytes(8)) + iff_chunk(
        b"CMAP", bytes(v for c in wheel(16, 0.3, 1.0) for v in c)) + iff_chunk(b"BODY", bytes(16))
    # Deluxe Paint packing its lines (ByteRun1): an ILBM of 5 planes whose
    # colour 3 is transparent (masking 2), and a PBM of a byte a pixel.
    picture = [bytes((x // 4 + y) % 24 if x < 16 else (5 * x + 3 * y) % 24 for x in range(21)) for y in range(7)]
    packed_bmhd = struct.pack(">HHhhBBBxHBBhh", 21, 7, 0, 0, 5, 2, 1, 3, 10, 11, 320, 200)
    byte_run_ilbm = b"ILBM" + iff_chunk(b"BMHD", packed_bmhd) + iff_chunk(b"CMAP", bytes(
        v for c in wheel(24, 0.7, 0.8) for v in c)) + iff_chunk(b"CAMG", struct.pack(">I", 0x4000)) + iff_chunk(
        b"BODY", b"".join(byte_run(line) for row in picture for line in bit_planes(row, 5)))
    byte_run_pbm = b"PBM " + iff_chunk(b"BMHD", packed_bmhd[:8] + b"\x08\x00" + packed_bmhd[10:]) + iff_chunk(
        b"CMAP", bytes(v for c in wheel(24, 0.5, 1.0) for v in c)) + iff_chunk(
        b"BODY", b"".join(byte_run(row + b"\0") for row in picture))
    # Aseprite 1.3: a colour profile, the palette (some colours named), the old
    # palette for old readers, a layer and a cel; a second frame of one cel.
    sprite_colours = wheel(24, 0.55, 0.8)
    first = [sprite_chunk(0x2007, struct.pack("<HHI8x", 1, 0, 0)),
             new_palette_chunk(sprite_colours, names=[b"Peau", b"", b"Ciel"]),
             old_palette_chunk(0x0004, [(0, sprite_colours)]), layer_chunk(b"Calque 1"),
             cel_chunk(16, 16, bytes(k % 24 for k in range(256)))]
    second = [cel_chunk(16, 16, bytes(255 - k for k in range(256)))]
    # An old Aseprite's sprite: the old palette only, in two packets, 256 colours.
    old_colours = wheel(256, 0.5, 0.9, turn=2.0)
    old_sprite = [old_palette_chunk(0x0004, [(0, old_colours[:128]), (0, old_colours[128:])]),
                  layer_chunk(b"Fond"), cel_chunk(8, 8, bytes(64))]
    # Older still: 6-bit levels.
    six_bit = [old_palette_chunk(0x0011, [(0, [tuple(v // 4 for v in c) for c in wheel(16, 0.8, 1.0)])]),
               layer_chunk(b"Fond")]
    return {
        "paintnet32-lospec.txt": b"".join(line + b"\r\n" for line in lospec),
        "paintnet-main-lf.txt": b"\n".join(hand) + b"\n",
        "ase-groupes-gris.ase": grouped,
        "aco24-v1v2.aco": aco,
        "aco10-v1.aco": struct.pack(">HH", 1, len(old_aco)) + b"".join(struct.pack(">5H", *s) for s in old_aco),
        "animator.col": COL_HEADER + bytes(v for c in wheel(256, 0.7, 0.8) for v in c),
        "deluxe32.lbm": b"FORM" + struct.pack(">I", len(ilbm)) + ilbm,
        "deluxe16-pbm.lbm": b"FORM" + struct.pack(">I", len(pbm)) + pbm,
        "deluxe24-byterun.lbm": b"FORM" + struct.pack(">I", len(byte_run_ilbm)) + byte_run_ilbm,
        "deluxe24-pbm-byterun.lbm": b"FORM" + struct.pack(">I", len(byte_run_pbm)) + byte_run_pbm,
        "sprite24.aseprite": sprite_file([sprite_frame(first), sprite_frame(second)], colours=24),
        "sprite256-ancien.aseprite": sprite_file([sprite_frame(old_sprite)], width=8, height=8, colours=0),
        "sprite16-6bits.aseprite": sprite_file([sprite_frame(six_bit)], colours=16),
    }


# name: an object with detect(head, whole), read(data) and write(palette, name) (None: read only)
FORMATS = {"txt": Txt, "ase": Ase, "aco": Aco, "col": Col, "lbm": Lbm, "aseprite": Aseprite}
