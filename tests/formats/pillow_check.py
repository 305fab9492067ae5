#!/usr/bin/env python3
"""The expected gpl, act, png, gif, bmp and pcx outputs of the samples read by
Pillow, a reader that shares nothing with corvane-convert, against the colours
each sample holds as tests/data/make_samples.py reads them. The command-line
tests prove that corvane-convert writes exactly these bytes. Then images that
Pillow writes, read by corvane-convert (its path the first argument); and the
formats make_samples.py does not model (LibreOffice's .soc, Krita's .kpl,
Lospec's JSON, CSS, Godot's .tres), read by Python's xml.etree, zipfile, json
and plain patterns: every sample written in them against its .hex.attendu,
and their own samples against what corvane-convert reads of them."""

import io
import json
import math
import os
import re
import subprocess
import sys
import tempfile
import zipfile
import xml.etree.ElementTree as ElementTree

sys.dont_write_bytecode = True  # nothing but samples in tests/data
DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
sys.path.insert(0, DATA)
import make_samples  # noqa: E402
from PIL import GimpPaletteFile, Image  # noqa: E402


def triples(flat):
    return [tuple(flat[k:k + 3]) for k in range(0, len(flat) - 2, 3)]


def gpl_slots():
    """Palette slots that Pillow gives our two header lines (Name:, Columns:):
    before Pillow 10 every line after the first takes one, left grey."""
    probe = b"GIMP Palette\nName: p\n1 2 3\n"
    first = GimpPaletteFile.GimpPaletteFile(io.BytesIO(probe)).getpalette()[0][:3]
    return 0 if first == b"\x01\x02\x03" else 2


def read_gpl(data, n):
    slots = gpl_slots()
    flat = GimpPaletteFile.GimpPaletteFile(io.BytesIO(data)).getpalette()[0]
    got = triples(flat)[slots:slots + n]
    assert len(got) == min(n, 256 - slots), f"Pillow lit {len(got)} couleurs"
    return got


def read_act(data, n):
    assert len(data) in (768, 772), f"{len(data)} octets"
    image = Image.new("P", (1, 1))
    image.putpalette(data[:768], "RGB")
    colours = triples(image.getpalette())
    count = int.from_bytes(data[768:770], "big") if len(data) == 772 else 256
    assert count == n, f"{count} couleurs annoncées"
    assert data[770:] in (b"", b"\xff\xff"), "couleur transparente inattendue"
    assert set(colours[count:]) <= {(0, 0, 0)}, "la table ne finit pas en noir"
    return colours[:count]


def read_image(data, n, table=None, kind="PNG"):
    """An image of one square per colour; its table of `table` entries, black
    after the n colours."""
    image = Image.open(io.BytesIO(data))
    assert image.format == kind, image.format
    assert image.size == (16 * min(n, 16), 16 * -(-n // 16)), image.size
    if image.mode == "1" and kind == "BMP" and n == 2:
        # Pillow takes a bitmap only for one of 1 bit a pixel when its table is
        # black then white exactly, then misreads 8-bit pixels: the table is known.
        return [(0, 0, 0), (255, 255, 255)]
    if image.mode == "L" and kind == "BMP":
        # Pillow reads a table of greys 0, 1, 2... as a grey image: each square shows its colour.
        rgb = image.convert("RGB")
        return [rgb.getpixel((16 * (k % 16) + 8, 16 * (k // 16) + 8)) for k in range(n)]
    assert image.mode == "P", image.mode
    # Each colour's square shows that colour.
    for k in range(n):
        assert image.getpixel((16 * (k % 16) + 8, 16 * (k // 16) + 8)) == k, f"carré {k}"
    colours = triples(image.getpalette())
    assert len(colours) == (table or n), f"table de {len(colours)} couleurs"
    assert set(colours[n:]) <= {(0, 0, 0)}, "la table ne finit pas en noir"
    return colours[:n]


def read_png(data, n):
    return read_image(data, n)


def read_gif(data, n):
    return read_image(data, n, 1 << max(1, (n - 1).bit_length()), "GIF")


def read_bmp(data, n):
    return read_image(data, n, kind="BMP")


def read_pcx(data, n):
    return read_image(data, n, 256, "PCX")


READERS = {"gpl": read_gpl, "act": read_act, "png": read_png, "gif": read_gif, "bmp": read_bmp, "pcx": read_pcx}


def pillow_images(folder):
    """Images of 2, 40 and 256 colours as Pillow saves them, and their colours."""
    made = []
    for n in (2, 40, 256):
        colours = [((k * 37) % 256, (k * 91 + 7) % 256, 255 - k) for k in range(n)]
        image = Image.new("P", (16, 16))
        image.putpalette(bytes(v for c in colours for v in c))
        image.putdata([k % n for k in range(256)])
        for fmt in ("gif", "bmp", "pcx"):
            path = os.path.join(folder, f"pillow{n}.{fmt}")
            image.save(path, optimize=False)
            made.append((path, colours))
    return made


def read_by_program(program, path):
    """The colours corvane-convert reads, through its hex output."""
    out = subprocess.run([program, "--to=hex", path, "-"], capture_output=True, check=True).stdout
    return [tuple(bytes.fromhex(line)) for line in out.decode().split()]


DRAW = "{urn:oasis:names:tc:opendocument:xmlns:drawing:1.0}"
OLD_DRAW = "{http://openoffice.org/2000/drawing}"


def read_soc(data):
    """The colours of a LibreOffice colour table, either root."""
    root = ElementTree.fromstring(data)
    assert root.tag in ("{http://openoffice.org/2004/office}color-table",
                        "{http://openoffice.org/2000/office}color-table"), root.tag
    draw = DRAW if root.tag.startswith("{http://openoffice.org/2004/") else OLD_DRAW
    return [tuple(bytes.fromhex(c.get(draw + "color")[1:])) for c in root.iter(draw + "color")]


def read_json(data):
    palette = json.loads(data.decode("utf-8"))
    return [tuple(bytes.fromhex(c.lstrip("#"))) for c in palette["colors"]]


def read_css(data):
    found = re.fullmatch(r":root \{\n((?:  --couleur-\d+: #[0-9a-f]{6};\n)*)\}\n", data.decode())
    assert found, "pas une feuille :root"
    lines = re.findall(r"  --couleur-(\d+): #([0-9a-f]{6});", found.group(1))
    assert [int(n) for n, _ in lines] == list(range(len(lines))), "numéros"
    return [tuple(bytes.fromhex(c)) for _, c in lines]


def read_tres(data):
    text = data.decode()
    assert re.match(r'\[gd_resource type="ColorPalette" format=3( uid="[^"]*")?\]\n', text), "pas une ColorPalette"
    levels = [float(v) for v in re.search(r"\ncolors = PackedColorArray\(([^)]*)\)", text).group(1).split(",")]
    return [tuple(math.floor(v * 255 + 0.5) for v in levels[k:k + 3]) for k in range(0, len(levels), 4)]


def read_kpl(data):
    """The colours of a Krita palette, as Krita shows them: the groups in
    order, the colours outside any first, each row by row in its grid."""
    with zipfile.ZipFile(io.BytesIO(data)) as archive:
        first = archive.infolist()[0]
        assert first.filename == "mimetype" and first.compress_type == zipfile.ZIP_STORED, first
        assert archive.read(first) in (b"krita/x-colorset", b"application/x-krita-palette")
        root = ElementTree.fromstring(archive.read("colorset.xml"))
    assert root.tag == "ColorSet", root.tag
    place = lambda entry: (int(entry.find("Position").get("row")), int(entry.find("Position").get("column")))
    return [tuple(math.floor(float(entry.find("RGB").get(c)) * 255 + 0.5) for c in "rgb")
            for group in [root] + root.findall("Group") for entry in sorted(group.findall("ColorSetEntry"), key=place)]


OTHER_READERS = {"soc": read_soc, "kpl": read_kpl, "json": read_json, "css": read_css, "tres": read_tres}


def other_readers(program):
    """Every sample with an expected hex output written by corvane-convert in
    each format read here; each sample of such a format read by it."""
    failures, checked = [], 0
    for name in make_samples.folder_files():
        path = os.path.join(DATA, name)
        try:
            if name.endswith(".hex.attendu"):
                with open(path, "rb") as f:
                    colours = [tuple(bytes.fromhex(line)) for line in f.read().decode().split()]
                for fmt, reader in OTHER_READERS.items():
                    out = subprocess.run([program, "--to=" + fmt, path[:-len(".hex.attendu")], "-"],
                                         capture_output=True, check=True).stdout
                    assert reader(out) == colours, f"{fmt} : couleurs différentes"
                    checked += 1
            elif name.split("/")[0] in OTHER_READERS and not name.endswith(".attendu"):
                with open(path, "rb") as f:
                    colours = OTHER_READERS[name.split("/")[0]](f.read())
                assert read_by_program(program, path) == colours, "couleurs différentes"
                checked += 1
        except Exception as error:
            failures.append(f"{name}: {error!r}")
    return failures, checked


def sample_colours(data, name=None):
    if make_samples.window_kind(data):
        return make_samples.window_read(data).colours
    return (make_samples.read_other(data) or make_samples.hand_read(name))[1].colours


def main():
    failures, checked = [], 0
    for name in make_samples.folder_files():
        fmt = name.rsplit(".", 2)[-2] if name.endswith(".attendu") else None
        if fmt not in READERS:
            continue
        sample = name[:-len(f".{fmt}.attendu")]
        with open(os.path.join(DATA, sample), "rb") as f:
            colours = sample_colours(f.read(), sample)
        with open(os.path.join(DATA, name), "rb") as f:
            written = f.read()
        try:
            got = READERS[fmt](written, len(colours))
            assert got == colours[:len(got)], "couleurs différentes"
        except Exception as error:  # Pillow's own refusals too
            failures.append(f"{name}: {error!r}")
        checked += 1
    if len(sys.argv) > 1:
        with tempfile.TemporaryDirectory() as folder:
            for path, colours in pillow_images(folder):
                try:
                    got = read_by_program(sys.argv[1], path)
                    # Pillow pads a table as the format asks: black, or its own greys.
                    assert got[:len(colours)] == colours, "couleurs différentes"
                except Exception as error:
                    failures.append(f"{os.path.basename(path)}: {error!r}")
                checked += 1
        more, count = other_readers(sys.argv[1])
        failures += more
        checked += count
    for failure in failures:
        print(failure, file=sys.stderr)
    print(f"{checked} images lues par Pillow ou écrites par lui, {len(failures)} en échec")
    return 1 if failures or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
