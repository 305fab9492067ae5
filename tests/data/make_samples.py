#!/usr/bin/env python3
"""Writes the sample palettes of this folder that Corvane's own developers made,
and what Corvane's Convert writes for every sample.

Each sample lies in the folder of the format that reads it, named as
corvane-convert names it (div/, jasc/, png/, ...), with its expected outputs
beside it.

Each file has the shape of a palette found in the wild (its size, its line
ends, its entry count, what follows its last line), with colours of our own.
The output is the same on every run, so the files are committed and
`python3 tests/data/make_samples.py --check` tells whether they still match
this script. The two jasc/porytiles__*.pal files are copies, not made here.

For every sample that Convert accepts, NAME.attendu holds the bytes it writes,
worked out here from the two file layouts and the level rule, apart from the
program's code, so that the tests compare the program with something it did
not compute itself.

Only the standard library is used.
"""

import colorsys
import gzip
import io
import os
import sys
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))

CRLF, CR, LF = b"\r\n", b"\r", b"\n"


# --- Colours ---------------------------------------------------------------

def gradient(stops, n):
    """n colours (8-bit) running through the (position 0..1, (r, g, b)) stops."""
    colours = []
    for k in range(n):
        t = k / (n - 1) if n > 1 else 0.0
        for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
            if t0 <= t <= t1:
                f = (t - t0) / (t1 - t0) if t1 > t0 else 0.0
                colours.append(tuple(round(a + (b - a) * f) for a, b in zip(c0, c1)))
                break
    # A component of 1 has no DIV level; ordinary palettes avoid it, so do these.
    return [tuple(0 if v == 1 else v for v in c) for c in colours]


def hsv_levels(h, s, v):
    """A colour as DIV levels (0..63)."""
    return tuple(round(63 * x) for x in colorsys.hsv_to_rgb(h, s, v))


def ramps():
    """16 ramps of 16 shades, dark to light: greys first, then 15 hues."""
    levels = []
    for ramp in range(16):
        for shade in range(16):
            value = (shade + 1) / 16
            if ramp == 0:
                levels.append(hsv_levels(0.0, 0.0, value))
            else:
                levels.append(hsv_levels((ramp - 1) / 15, 0.85, value))
    return levels


def pastel():
    """Once round the colour wheel, light and soft."""
    return [hsv_levels(k / 256, 0.4, 1.0) for k in range(256)]


def embers():
    """Black through red and orange to pale yellow."""
    stops = [(0.0, (0, 0, 0)), (0.4, (50, 6, 2)), (0.7, (63, 30, 0)), (1.0, (63, 60, 40))]
    return [tuple(min(63, round(v)) for v in c) for c in gradient(stops, 256)]


SEA = [(0.0, (4, 12, 40)), (0.35, (0, 96, 160)), (0.7, (64, 200, 208)), (1.0, (248, 244, 224))]
MEADOW = [(0.0, (20, 36, 8)), (0.5, (96, 160, 40)), (1.0, (240, 232, 120))]
DUSK = [(0.0, (24, 8, 48)), (0.3, (120, 32, 96)), (0.6, (232, 96, 64)), (1.0, (255, 216, 112))]
SLATE = [(0.0, (0, 0, 0)), (0.5, (88, 100, 120)), (1.0, (255, 255, 255))]


# --- DIV palette files -----------------------------------------------------

def div_file(levels, ranges=None):
    """A DIV palette file: header, 768 levels, then 16 colour ranges of 36 bytes
    each; by default (count 16, type 0, fixed 0, black 0, 32 colour indices
    from 16 × range) as DIV Games Studio writes them when none was edited."""
    data = bytearray(b"pal\x1a\r\n\x00\x00")
    for colour in levels:
        data += bytes(colour)
    if ranges is None:
        for r in range(16):
            data += bytes([16, 0, 0, 0]) + bytes((16 * r + i) % 256 for i in range(32))
    else:
        data += ranges
    assert len(data) == 1352
    return bytes(data)


def lagoon():
    """Blues and greens, 8 ramps of 32 shades."""
    return [hsv_levels(0.4 + (k // 32) / 40, 0.7, (k % 32 + 1) / 32) for k in range(256)]


# --- JASC-PAL files --------------------------------------------------------

def jasc_file(colours, ends, final_end=True, tail=b""):
    """A JASC-PAL text; `ends` is one line end for every line, or a function
    giving the end of line number i (0 for "JASC-PAL")."""
    lines = [b"JASC-PAL", b"0100", str(len(colours)).encode()]
    lines += [f"{r} {g} {b}".encode() for r, g, b in colours]
    end = ends if callable(ends) else (lambda i: ends)
    data = bytearray()
    for i, line in enumerate(lines):
        data += line
        if i < len(lines) - 1 or final_end:
            data += end(i)
    return bytes(data) + tail


def mixed(i):
    # Written on Windows, then a few lines added by a tool that only knows LF
    # and one that only knows CR.
    if i < 3:
        return CRLF
    return [CRLF, CR, CRLF, LF][i % 4]


def samples():
    return {
        "div-degrade.PAL": div_file(ramps()),
        "div-pastel.PAL": div_file(pastel()),
        "div-gzip.pal": gzip.compress(div_file(embers(), bytes(576)), compresslevel=9, mtime=0),
        # The same, as gunzip leaves it: its ranges all zero.
        "div-bennu.pal": div_file(embers(), bytes(576)),
        "div-plages.PAL": div_file(lagoon(), fmt_binary.edited_ranges()),
        "jasc256-crlf.pal": jasc_file(gradient(DUSK, 256), CRLF),
        "jasc256-crlf-sans-fin.pal": jasc_file(gradient(SEA, 256), CRLF, final_end=False),
        "jasc256-lf.pal": jasc_file(gradient(MEADOW, 256), LF),
        "jasc240-crlf.pal": jasc_file(gradient(SEA, 240), CRLF),
        "jasc224-lf.pal": jasc_file(gradient(DUSK, 224), LF),
        "jasc64-crlf.pal": jasc_file(gradient(MEADOW, 64), CRLF),
        "jasc16-crlf.pal": jasc_file(gradient(SEA, 16), CRLF),
        "jasc16-cr.pal": jasc_file(gradient(DUSK, 16), CR),
        "jasc16-crlf-1a.pal": jasc_file(gradient(MEADOW, 16), CRLF, tail=b"\x1a"),
        "jasc16-mixte.pal": jasc_file(gradient(SLATE, 16), mixed),
        "jasc16-lf.pal": jasc_file(gradient(SLATE, 16), LF),
        "jasc16-lf-sans-fin.pal": jasc_file(gradient(DUSK, 16), LF, final_end=False),
    }


# --- Krita's palettes -------------------------------------------------------
#
# Zips as Krita writes them, made here with Python's zipfile and never read
# here: tests/formats/pillow_check.py reads them through zipfile and xml.etree.

def kpl_file(mimetype, colorset):
    """A Krita palette: mimetype first and stored, then colorset.xml and
    profiles.xml deflated, dated as a palette saved once."""
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as archive:
        for name, data in (("mimetype", mimetype), ("colorset.xml", colorset), ("profiles.xml", b"<Profiles/>\n")):
            info = zipfile.ZipInfo(name, date_time=(2023, 5, 1, 12, 0, 0))
            info.create_system = 3
            info.compress_type = zipfile.ZIP_STORED if name == "mimetype" else zipfile.ZIP_DEFLATED
            archive.writestr(info, data)
    return out.getvalue()


def kpl_entries(placed, level):
    """ColorSetEntry elements for (row, column, colour), each level as `level` writes v / 255."""
    return "".join(f' <ColorSetEntry bitdepth="U8" id="" name="" spot="false">\n'
                   f'  <RGB space="sRGB-elle-V2-srgbtrc.icc" r="{level(c[0] / 255)}" g="{level(c[1] / 255)}"'
                   f' b="{level(c[2] / 255)}"/>\n  <Position column="{column}" row="{row}"/>\n </ColorSetEntry>\n'
                   for row, column, c in placed)


def krita_samples():
    """kpl/NAME → bytes."""
    # Krita 5: each group's colours column by column (its grid's order in
    # memory), their levels with every digit; a group after the colours outside one.
    outside = gradient(SEA, 20)
    placed = sorted(((k // 16, k % 16, c) for k, c in enumerate(outside)), key=lambda p: (p[1], p[0]))
    grouped = [(0, k, c) for k, c in enumerate(gradient(DUSK, 6))]
    krita5 = ('<ColorSet columns="16" comment="" name="Mer" readonly="false" rows="2"'
              ' version="2.0">\n' + kpl_entries(placed, repr) + ' <Group name="Soir" rows="1">\n' +
              kpl_entries(grouped, repr) + ' </Group>\n</ColorSet>\n')
    # Newer Krita's type; levels of six significant digits, rows in order.
    newer = ('<?xml version="1.0" encoding="UTF-8"?>\n<ColorSet columns="8" comment="" name="Pré" readonly="false"'
             ' rows="2" version="2.0">\n' +
             kpl_entries([(k // 8, k % 8, c) for k, c in enumerate(gradient(MEADOW, 16))], lambda v: f"{v:.6g}") +
             '</ColorSet>\n')
    return {"kpl/krita5-groupe.kpl": kpl_file(b"krita/x-colorset", krita5.encode()),
            "kpl/krita-pre.kpl": kpl_file(b"application/x-krita-palette", newer.encode())}


# --- What Convert writes ----------------------------------------------------

sys.dont_write_bytecode = True  # nothing but samples in this folder
sys.path.insert(0, HERE)
from palettes import (  # noqa: E402
    DIV_HEADER, RANGE_HEADER, Pal, Refused, div_level, entry, integer, text_lines)

def window_kind(data):
    """"DIV", "JASC-PAL" or None: the window's rule, on the first text line."""
    return {b"pal": "DIV", b"JASC-PAL": "JASC-PAL"}.get(text_lines(data)[0])


def window_read(data):
    """The palette as the window's readers load it into an empty table."""
    if window_kind(data) == "DIV":
        levels, last = [], 0
        for i in range(768):
            if 8 + i < len(data):
                last = data[8 + i]  # a short file repeats its last level
            levels.append(last)
        ranges = data[776:1352] if len(data) >= 1352 else None
        return Pal([tuple(4 * v for v in levels[3 * k:3 * k + 3]) for k in range(256)], True, ranges)
    lines = text_lines(data)
    count = integer(lines[2]) if len(lines) > 2 else None
    if count is None or count <= 0:
        return Pal([])
    colours = [entry(line) for line in lines[3:3 + count]]
    return Pal(colours + [(0, 0, 0)] * (count - len(colours)))


def converted(data):
    """What Convert writes for a file's bytes, or None when it writes nothing."""
    kind = window_kind(data)
    if kind == "DIV":
        out = [b"JASC-PAL", b"0100", b"256"]
        out += [b"%d %d %d" % c for c in window_read(data).colours]
        return b"\r\n".join(out) + b"\r\n"
    lines = text_lines(data)
    if kind != "JASC-PAL" or len(lines) < 3 or lines[2] not in (b"256", b"16"):
        return None
    colours = window_read(data).colours
    count = len(colours)
    out = bytearray(DIV_HEADER)
    for n in range(256):
        out += bytes(div_level(v) for v in colours[n % count])
    out += RANGE_HEADER
    if count == 16:
        out += bytes(range(16))
    else:
        out += bytes(i * j - 1 for i in range(1, 17) for j in range(1, 17))
    return bytes(out) + b"\r\n"


# --- corvane-convert's other formats ----------------------------------------
#
# Each module of this folder holds some formats: samples() gives the sample
# files it makes, FORMATS maps a format's name to its detect(head, whole),
# read(data) and write(palette, name) (read and write raise Refused; write is
# None for a format that is only read).

import fmt_binary  # noqa: E402  div, vga, act, riff
import fmt_image  # noqa: E402  gif, bmp, pcx
import fmt_png  # noqa: E402
import fmt_swatch  # noqa: E402  txt, ase, aco, col, lbm, aseprite
import fmt_text  # noqa: E402  jasc, gpl, hex

MODULES = [fmt_binary, fmt_png, fmt_text, fmt_image, fmt_swatch]
FORMATS = {}
for _module in MODULES:
    FORMATS.update(_module.FORMATS)
# The order in which corvane-convert tries them once the window's rule has
# said "Type Inconnue".
DETECTION = ["div", "png", "riff", "gpl", "jasc", "hex", "txt", "gif", "bmp", "pcx", "lbm", "aseprite", "ase", "aco",
             "col", "vga", "act"]
HEAD_BYTES = 65536


def read_other(data):
    """(format name, palette) by the other readers; None when none takes it."""
    head, whole = data[:HEAD_BYTES], len(data) <= HEAD_BYTES
    for name in DETECTION:
        if name in FORMATS and FORMATS[name].detect(head, whole):
            return name, FORMATS[name].read(data)
    return None


def hand_read(path):
    """(format, palette) of a sample in a format that no script here reads
    (json, tres): its colours as the hex list written beside it by hand, which
    tests/formats/pillow_check.py holds to the sample through Python's own readers."""
    listed = os.path.join(HERE, path + ".hex.attendu")
    if not os.path.exists(listed):
        return None
    with open(listed, "rb") as f:
        return "hex", FORMATS["hex"].read(f.read())


def program_outputs(path, data):
    """NAME.FORMAT.attendu: what `corvane-convert --to=FORMAT NAME` writes,
    for every format whose writer takes the palette."""
    try:
        if window_kind(data):
            palette = window_read(data)
        else:
            found = read_other(data) or hand_read(path)
            if found is None:
                return {}
            palette = found[1]
    except Refused:
        return {}
    name = os.path.basename(path)
    stem = name.rsplit(".", 1)[0] if "." in name[1:] else name
    outputs = {}
    for format_name in sorted(FORMATS):
        if FORMATS[format_name].write is None:
            continue
        try:
            outputs[f"{path}.{format_name}.attendu"] = FORMATS[format_name].write(palette, stem)
        except Refused:
            pass
    return outputs


def folder(data):
    """The folder of a sample: the format that reads it, the window's first."""
    kind = window_kind(data)
    if kind:
        return {"DIV": "div", "JASC-PAL": "jasc"}[kind]
    head, whole = data[:HEAD_BYTES], len(data) <= HEAD_BYTES
    found = [name for name in DETECTION if name in FORMATS and FORMATS[name].detect(head, whole)]
    assert found, "no format reads this sample"
    return found[0]


def made_samples():
    """FOLDER/NAME → bytes, for every sample made here."""
    made = samples()
    for module in MODULES:
        made.update(module.samples())
    return {f"{folder(data)}/{name}": data for name, data in made.items()} | krita_samples()


def folder_files():
    """FOLDER/NAME of every file in the formats' folders."""
    return sorted(f"{sub}/{name}" for sub in os.listdir(HERE) if os.path.isdir(os.path.join(HERE, sub)) and
                  not sub.startswith((".", "__")) for name in os.listdir(os.path.join(HERE, sub))
                  if not name.startswith("."))


def expected_outputs(made):
    """NAME.attendu for every sample that the window's Convert accepts, and
    NAME.FORMAT.attendu for every sample that corvane-convert reads, beside it."""
    paths = set(made) | {p for p in folder_files() if not p.endswith(".attendu")}
    outputs = {}
    for path in sorted(paths):
        data = made.get(path)
        if data is None:
            with open(os.path.join(HERE, path), "rb") as f:
                data = f.read()
        out = converted(data)
        if out is not None:
            outputs[path + ".attendu"] = out
        outputs.update(program_outputs(path, data))
    return outputs


def main():
    check = sys.argv[1:] == ["--check"]
    stale = []
    made = made_samples()
    files = dict(made)
    files.update(expected_outputs(made))
    for path in folder_files():
        if path.endswith(".attendu") and path not in files:
            if check:
                stale.append(path)
            else:
                os.remove(os.path.join(HERE, path))
    for name, data in files.items():
        path = os.path.join(HERE, name)
        if check:
            try:
                with open(path, "rb") as f:
                    if f.read() != data:
                        stale.append(name)
            except FileNotFoundError:
                stale.append(name)
        else:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
    if stale:
        print("Ne correspondent plus au script : " + ", ".join(sorted(stale)), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
