"""corvane-convert's jasc (as other tools write it), gpl and hex formats, worked out from their layouts for
make_samples.py: the sample files made here, and each format's detection,
reader and writer."""

import colorsys
import re

from palettes import Pal, Refused

BOM = b"\xef\xbb\xbf"
# corvane-convert keeps this much of a line; an entry must lie within it.
KEPT = 1024
MOST = 32767


def lines(data):
    """Lines ended by LF, CR LF or CR, without a byte-order mark before the
    first; a last line without an end counts."""
    if data.startswith(BOM):
        data = data[len(BOM):]
    found = re.split(rb"\r\n|\r|\n", data)
    if found[-1] == b"":
        found.pop()
    return found


def numbered(data):
    return enumerate(lines(data), 1)


def bad(number, what):
    return Refused(f"ligne {number} : {what}")


def first_line_is(head, magic):
    found = lines(head)
    return bool(found) and found[0] == magic


def after_first_line(data, magic, refusal):
    """The lines after the first, which must be `magic`."""
    found = lines(data)
    if not found or found[0] != magic:
        raise Refused(refusal)
    return found


def counted(colours):
    """The colours a reader found, if there are some and not too many."""
    if not colours:
        raise Refused("la palette n'a aucune couleur")
    if len(colours) > MOST:
        raise Refused("trop de couleurs")
    return Pal(colours)


def checked(pal, most=MOST):
    """What an 8-bit writer refuses."""
    if not pal.colours:
        raise Refused("la palette n'a aucune couleur")
    if len(pal.colours) > most:
        raise Refused("trop de couleurs")
    for k, colour in enumerate(pal.colours):
        if any(not 0 <= v <= 255 for v in colour):
            raise Refused(f"couleur {k} hors de 0 à 255")
    return pal.colours


# --- jasc ---------------------------------------------------------------------

class Jasc:
    @staticmethod
    def detect(head, whole):
        return first_line_is(head, b"JASC-PAL")

    @staticmethod
    def read(data):
        found = after_first_line(data, b"JASC-PAL", "ce n'est pas un fichier JASC-PAL")
        if len(found) < 3:
            raise Refused("le fichier s'arrête avant son nombre de couleurs")
        m = re.fullmatch(rb"[ \t]*([0-9]+)[ \t]*", found[2])
        if m is None or len(found[2]) > KEPT:
            raise bad(3, "nombre de couleurs illisible")
        count = int(m.group(1))
        if not 1 <= count <= MOST:
            raise bad(3, "nombre de couleurs hors de 1 à 32767")
        colours = []
        for k in range(count):
            if 3 + k >= len(found):
                raise Refused(f"le fichier s'arrête avant sa couleur {k} (il en annonce {count})")
            line = found[3 + k]
            m = re.fullmatch(rb"[ \t]*([0-9]+)[ \t]+([0-9]+)[ \t]+([0-9]+)(?:[ \t]+([0-9]+))?[ \t]*", line)
            if m is None or len(line) > KEPT or any(int(g) > 255 for g in m.groups() if g is not None):
                raise bad(4 + k, "une couleur JASC-PAL s'écrit en trois nombres de 0 à 255")
            colours.append(tuple(int(g) for g in m.groups()[:3]))
        return Pal(colours)

    @staticmethod
    def write(pal, name):
        if not pal.colours:
            raise Refused("la palette n'a aucune couleur")
        out = [b"JASC-PAL", b"0100", str(len(pal.colours)).encode()]
        out += [("%d %d %d" % colour).encode() for colour in pal.colours]
        return b"".join(line + b"\r\n" for line in out)


# --- gpl --------------------------------------------------------------------

class Gpl:
    @staticmethod
    def detect(head, whole):
        return first_line_is(head, b"GIMP Palette")

    @staticmethod
    def read(data):
        found = after_first_line(data, b"GIMP Palette", "ce n'est pas une palette GIMP")
        colours = []
        for number, line in enumerate(found[1:], 2):
            kept, cut = line[:KEPT], len(line) > KEPT
            if kept.startswith((b"Name:", b"Columns:", b"#")) or not kept.strip(b" \t"):
                continue
            # Three levels, then a blank and the colour's name, if it has one.
            m = re.fullmatch(rb"[ \t]*([0-9]+)[ \t]+([0-9]+)[ \t]+([0-9]+)([ \t].*)?", kept, re.S)
            if m is None or any(int(g) > 255 for g in m.groups()[:3]) or (cut and m.group(4) is None):
                raise bad(number, "une couleur GIMP s'écrit en trois nombres de 0 à 255")
            colours.append(tuple(int(g) for g in m.groups()[:3]))
        return counted(colours)

    @staticmethod
    def write(pal, name):
        colours = checked(pal)
        shown = bytes(b if 0x20 <= b != 0x7F else ord("_") for b in name.encode())
        out = b"GIMP Palette\nName: " + shown + b"\nColumns: 16\n"
        return out + b"".join(b"%3d %3d %3d\n" % colour for colour in colours)


# --- hex ----------------------------------------------------------------------

HEX_LINE = re.compile(rb"#?([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})")


class Hex:
    @staticmethod
    def detect(head, whole):
        if not whole:  # the head may end inside a line: only whole lines count
            head = head[:max(head.rfind(b"\r"), head.rfind(b"\n")) + 1]
        found = [line for line in lines(head) if line]
        return bool(found) and all(HEX_LINE.fullmatch(line) for line in found)

    @staticmethod
    def read(data):
        colours = []
        for number, line in numbered(data):
            if not line:
                continue
            m = HEX_LINE.fullmatch(line)
            if m is None:
                raise bad(number, "une couleur s'écrit RRGGBB, six chiffres hexadécimaux")
            colours.append(tuple(int(g, 16) for g in m.groups()))
        return counted(colours)

    @staticmethod
    def write(pal, name):
        return b"".join(b"%02x%02x%02x\n" % colour for colour in checked(pal))


# --- Samples ------------------------------------------------------------------

def wheel(n, saturation, value, turn=1.0):
    """n colours round (part of) the colour wheel, 8-bit."""
    return [tuple(round(255 * c) for c in colorsys.hsv_to_rgb(turn * k / n, saturation, value))
            for k in range(n)]


def samples():
    """Sample files of these formats, name: bytes."""
    # A UTF-8 byte-order mark, CR LF, and an alpha column (colour 0 see-through).
    alpha = [b"JASC-PAL", b"0100", b"16"]
    alpha += [b"%d %d %d %d" % (c + (0 if k == 0 else 255,)) for k, c in enumerate(wheel(16, 0.6, 0.9))]
    # GIMP 2.10's own layout: the header, a "#" line, then levels aligned on
    # three places, a tab and the colour's name.
    gimp = b"GIMP Palette\nName: Corvane Mar\xc3\xa9e\nColumns: 16\n#\n"
    gimp += b"".join(b"%3d %3d %3d\tUntitled\n" % c for c in wheel(32, 0.7, 0.8, turn=0.5))
    # Written by hand on Windows: tabs between levels, a comment, no Columns.
    tabs = [b"GIMP Palette", b"Name: Onglets", b"# huit couleurs, tabulations"]
    tabs += [b"%d\t%d\t%d\tcouleur %d" % (c + (k,)) for k, c in enumerate(wheel(8, 1.0, 1.0))]
    return {
        "jasc16-bom-alpha.pal": BOM + b"".join(line + b"\r\n" for line in alpha),
        "gimp32.gpl": gimp,
        "gimp8-tabs-crlf.gpl": b"".join(line + b"\r\n" for line in tabs),
        # Lospec's download: lower case, LF.
        "lospec24.hex": b"".join(b"%02x%02x%02x\n" % c for c in wheel(24, 0.5, 0.7)),
        "hex16-diese-crlf.hex": b"".join(b"#%02X%02X%02X\r\n" % c for c in wheel(16, 0.9, 0.6)),
    }


# name: an object with detect(head, whole), read(data) and write(palette, name)
FORMATS = {"jasc": Jasc, "gpl": Gpl, "hex": Hex}
