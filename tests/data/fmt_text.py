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
        found = lines(head)
        return bool(found) and found[0] == b"JASC-PAL"

    @staticmethod
    def read(data):
        found = lines(data)
        if not found or found[0] != b"JASC-PAL":
            raise Refused("ce n'est pas un fichier JASC-PAL")
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
    return {
        "jasc16-bom-alpha.pal": BOM + b"".join(line + b"\r\n" for line in alpha),
    }


# name: an object with detect(head, whole), read(data) and write(palette, name)
FORMATS = {"jasc": Jasc}
