"""The page in headless Chromium, opened from file://, against corvane-convert.

Every answer of the page (kind text, refusal, downloaded name and bytes, the
archive of several outputs) must be corvane-convert's for the same files; the
downloads are also checked against the expected outputs beside the samples,
and each row's swatches against the colours of corvane-convert --to=hex.

    CORVANE_SITE=build/web/site CORVANE_CONVERT=build/run/cli/corvane-convert \\
        /usr/bin/python3 -m unittest discover -s tests/web -p 'test_*.py'
"""

import base64
import io
import os
import shutil
import subprocess
import tempfile
import time
import unittest
import zipfile

import cdp
from PIL import Image

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
DATA = os.path.join(ROOT, "tests", "data")
SITE = os.path.abspath(os.environ.get("CORVANE_SITE", os.path.join(ROOT, "build", "web", "site")))
CONVERT = os.path.abspath(os.environ.get("CORVANE_CONVERT",
                                         os.path.join(ROOT, "build", "run", "cli", "corvane-convert")))
PAGE = "file://" + os.path.join(SITE, "index.html")
MiB = 1 << 20


def samples():
    """FOLDER/NAME of every sample, one folder per format."""
    return sorted(os.path.join(folder, name) for folder in os.listdir(DATA)
                  if os.path.isdir(os.path.join(DATA, folder)) and not folder.startswith((".", "__"))
                  for name in os.listdir(os.path.join(DATA, folder))
                  if not name.endswith(".attendu") and not name.startswith("."))


def read(path):
    with open(path, "rb") as f:
        return f.read()


def stderr_lines(result, path):
    """corvane-convert's lines about the file, each after "corvane-convert: FILE: "."""
    prefix = "corvane-convert: %s: " % path
    lines = result.stderr.decode().splitlines()
    assert all(line.startswith(prefix) for line in lines), lines
    return [line[len(prefix):] for line in lines]


def warning(result, path):
    """The warning line corvane-convert gives before anything else, or ""."""
    lines = [line for line in stderr_lines(result, path) if line.startswith("attention : ")]
    return lines[0] if lines else ""


def refusal(result, path):
    """corvane-convert's reason, its last line about the file, after any warning."""
    lines = stderr_lines(result, path)
    assert result.returncode == 1 and len(lines) == 1 + bool(warning(result, path)), lines
    return lines[-1]


def cli_kind(path):
    """(--type text, reason): the text after "FILE: ", or the reason it cannot be read."""
    result = subprocess.run([CONVERT, "--type", path], capture_output=True)
    if result.returncode == 0:
        return result.stdout.decode()[len(path) + 2:-1], ""
    return "", refusal(result, path)


def cli_warning(path):
    return warning(subprocess.run([CONVERT, "--type", path], capture_output=True), path)


def cli_convert(path, fmt):
    """(name, bytes, reason) of corvane-convert -d [--to=fmt] on the file."""
    with tempfile.TemporaryDirectory() as out:
        result = subprocess.run([CONVERT] + (["--to=" + fmt] if fmt else []) + ["-d", out, path],
                                capture_output=True)
        if result.returncode != 0:
            return None, None, refusal(result, path)
        [name] = os.listdir(out)
        return name, read(os.path.join(out, name)), ""


def hex_colours(path):
    """The colours of corvane-convert --to=hex, as bytes; none when it refuses."""
    data = cli_convert(path, "hex")[1]
    return [bytes.fromhex(line) for line in data.decode().split()] if data else []


def swatches(colours):
    """What each swatch's name and colour must be: the first 256 colours."""
    return [["%d : #%s" % (k, c.hex()), "rgb(%d, %d, %d)" % tuple(c)] for k, c in enumerate(colours[:256])]


# Each row once the worker has answered for it, its swatches taken while its
# grid is near the view (the page builds it then, and drops it far from it).
ROWS = """(() => {
    const rows = [...document.querySelectorAll('#fichiers > li')];
    const text = (row, part) => row.querySelector(part).textContent;
    if (rows.some((row) => !text(row, '.type') && !text(row, '.refus')))
        return null;
    const seen = (window.seenCells ??= {});
    for (const row of rows)
        if (row.querySelector('[role=grid]') && !(row.dataset.id in seen))
            seen[row.dataset.id] = [...row.querySelectorAll('[role=gridcell]')].map((c) =>
                [c.getAttribute('aria-label'), getComputedStyle(c).backgroundColor]);
    const waiting = rows.find((row) => row.querySelector('.copier') && !(row.dataset.id in seen));
    if (waiting) {
        waiting.scrollIntoView();
        return null;
    }
    window.scrollTo(0, 0);
    return rows.map((row) => ({
        name: text(row, '.nom'), kind: text(row, '.type'), refusal: text(row, '.refus'), more: text(row, '.plus'),
        warning: text(row, '.avertissement'),
        copy: !!row.querySelector('.copier'), cells: seen[row.dataset.id] ?? [],
    }));
})()"""


# The formats a palette is put into, and those of them Pillow reads.
APPLIED = ("div", "png", "gif", "bmp", "pcx", "lbm")
PILLOW = ("png", "gif", "bmp", "pcx")
PALETTE = os.path.join(DATA, "hex", "lospec24.hex")
# A FPG of no graphic: put a palette into, with nothing to show.
NO_GRAPHIC = {"fpg-plages.fpg": "pas d'aperçu : le fichier n'a aucun graphique"}

# Each row's before and after once drawn, scrolled to as the page draws them
# near the view: [name, pixels as base64] of each image, or the row's reason.
PREVIEWS = """(() => {
    const rows = [...document.querySelectorAll('#fichiers > li')];
    const waiting = rows.find((row) => !row.querySelector('.apercu').children.length);
    if (waiting) {
        waiting.scrollIntoView();
        return null;
    }
    return rows.map((row) => ({
        images: [...row.querySelectorAll('.apercu canvas')].map((c) => [c.getAttribute('aria-label'),
            btoa(Array.from(c.getContext('2d').getImageData(0, 0, c.width, c.height).data,
                            (v) => String.fromCharCode(v)).join(''))]),
        refusal: row.querySelector('.apercu').textContent, warning: row.querySelector('.consigne').textContent,
    }));
})()"""


def cli_apply(path, remap):
    """(name, bytes, warning, reason) of corvane-convert --palette [--remap] -d on the file."""
    with tempfile.TemporaryDirectory() as out:
        result = subprocess.run([CONVERT, "--palette=" + PALETTE] + (["--remap"] if remap else [])
                                + ["-d", out, path], capture_output=True)
        if result.returncode != 0:
            return None, None, warning(result, path), refusal(result, path)
        [name] = os.listdir(out)
        return name, read(os.path.join(out, name)), warning(result, path), ""


def pillow_pixels(data):
    """The first image's pixels as Pillow shows them, (red, green, blue, alpha) each; a 16-bit grey
    by its high byte, as Pillow's own conversion clips it instead."""
    with Image.open(io.BytesIO(data)) as image:
        if image.mode.startswith("I"):
            key = image.info.get("transparency")
            return [(v >> 8, v >> 8, v >> 8, 0 if v == key else 255) for v in image.getdata()]
        return list(image.convert("RGBA").getdata())


def drawn_as(canvas, data):
    """Whether a canvas's pixels are Pillow's: a transparent one is all zeros in a canvas, and a partly
    transparent colour is held premultiplied, to within a step of 255 / alpha."""
    pixels = pillow_pixels(data)
    return len(canvas) == 4 * len(pixels) and all(
        canvas[4 * k + 3] == p[3] and all(abs(canvas[4 * k + c] - p[c] * bool(p[3])) * p[3] < 255 for c in range(3))
        for k, p in enumerate(pixels))


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="corvane-web-")
        cls.downloads = os.path.join(cls.scratch, "telechargements")
        os.mkdir(cls.downloads)
        cls.browser = cdp.Browser()
        cls.page = cls.browser.new_page(downloads=cls.downloads)
        # The page's policy names its inline style and script by digest: a stale digest refuses them.
        cls.page.send("Page.addScriptToEvaluateOnNewDocument", {"source": "window.refusedByPolicy = [];"
                      "document.addEventListener('securitypolicyviolation', (e) => refusedByPolicy.push(e.violatedDirective));"})
        cls.formats = subprocess.run([CONVERT, "--list-output-formats"], capture_output=True,
                                     check=True).stdout.decode().split()

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        shutil.rmtree(cls.scratch)

    def load(self):
        """A fresh page, its core loaded: nothing of the previous file is left to read."""
        self.browser.events.clear()
        self.page.navigate(PAGE)
        self.page.wait_for("document.documentElement.hasAttribute('data-ready')", 10)

    def text(self, element):
        return self.page.eval("document.getElementById('%s').textContent" % element)

    def message(self):
        """The lines under the button, one a line."""
        return self.page.eval("[...document.getElementById('message').children].map(p => p.textContent).join('\\n')")

    def open_files(self, *paths, timeout=10):
        """Opens the files through the input, added to the rows there; gives the rows once all answered."""
        before = self.page.eval("document.querySelectorAll('#fichiers > li').length")
        self.page.set_file("#fichier", *paths)
        return self.page.wait_for("(() => { const rows = %s; return rows && rows.length === %d && rows; })()"
                                  % (ROWS, before + len(paths)), timeout)

    def open_file(self, path, timeout=10):
        """Opens the one file; gives [kind, refusal]."""
        row = self.open_files(path, timeout=timeout)[-1]
        return [row["kind"], row["refusal"]]

    def convert(self, fmt):
        """Chooses the format and presses the button: (name, bytes, message) downloaded, or the message."""
        page, browser = self.page, self.browser
        if page.eval("document.getElementById('convertir').disabled"):
            return None, None, self.message()
        page.eval("(() => { const s = document.getElementById('format'); s.value = %r;"
                  "  s.dispatchEvent(new Event('change', {bubbles: true}));"
                  "  window.messageWrites = 0;"
                  "  new MutationObserver(() => window.messageWrites++).observe("
                  "    document.getElementById('message'), {childList: true, characterData: true, subtree: true});"
                  "  document.getElementById('convertir').click(); })()" % fmt)
        deadline, answered = time.monotonic() + 10, None
        while time.monotonic() < deadline:
            began = browser.take_events("Browser.downloadWillBegin")
            if began:
                done = browser.wait_event("Browser.downloadProgress", 10,
                                          lambda p: p["guid"] == began[0]["guid"] and p["state"] != "inProgress")
                self.assertEqual(done["state"], "completed")
                data = read(os.path.join(self.downloads, began[0]["guid"]))
                os.remove(os.path.join(self.downloads, began[0]["guid"]))
                return began[0]["suggestedFilename"], data, self.message()
            if answered and time.monotonic() > answered:
                return None, None, self.message()
            if not answered and page.eval("window.messageWrites > 0 && "
                                          "document.getElementById('message').textContent !== ''"):
                # Whatever the page would download with it has begun by then.
                answered = time.monotonic() + 0.3
            browser.pump(0.02)
        self.fail("neither a download nor a message after pressing Convertir Palette (%r)" % fmt)

    def check_file(self, path):
        """The page's every answer for the file is corvane-convert's."""
        self.load()
        kind, reason = cli_kind(path)
        [row] = self.open_files(path)
        self.assertEqual([row["kind"], row["refusal"]], [kind, reason])
        self.assertEqual(row["cells"], swatches(hex_colours(path)))

        options = self.page.eval("[...document.getElementById('format').options].map(o => o.value)")
        self.assertEqual(options, [""] + self.formats)
        outcomes = {}
        for index, fmt in enumerate(options):
            # Chromium lets a page start ten downloads without a click of the
            # user's: a fresh page for every eight.
            if index and index % 8 == 0:
                self.load()
                self.open_file(path)
            with self.subTest(format=fmt or "(défaut)"):
                name, data, message = self.convert(fmt)
                cli_name, cli_data, cli_reason = cli_convert(path, fmt)
                self.assertEqual((name, message), (cli_name, cli_reason))
                self.assertTrue(data == cli_data, "downloaded bytes are corvane-convert's")
                outcomes[fmt] = data
        self.assertEqual(os.listdir(self.downloads), [])
        return outcomes

    def test_every_sample(self):
        for sample in samples():
            with self.subTest(sample=sample):
                outcomes = self.check_file(os.path.join(DATA, sample))
                for fmt, data in outcomes.items():
                    expected = os.path.join(DATA, sample + ("." + fmt if fmt else "") + ".attendu")
                    if os.path.exists(expected):
                        self.assertTrue(data == read(expected), "%s: %s.attendu" % (sample, fmt))

    def test_samples_at_once(self):
        # JEU.PAL and JEU.FPG both give JEU.pal by default: one name where case is ignored.
        paths = [os.path.join(DATA, sample) for sample in samples()]
        for name, sample in (("JEU.PAL", "div/div-degrade.PAL"), ("JEU.FPG", "div/fpg-foret.fpg")):
            paths.append(os.path.join(self.scratch, name))
            shutil.copyfile(os.path.join(DATA, sample), paths[-1])
        self.load()
        rows = self.open_files(*paths, timeout=60)
        self.assertEqual([row["name"] for row in rows], [os.path.basename(path) for path in paths])
        for path, row in zip(paths, rows):
            with self.subTest(file=row["name"]):
                self.assertEqual([row["kind"], row["refusal"], row["warning"]],
                                 list(cli_kind(path)) + [cli_warning(path)])
                self.assertEqual(row["cells"], swatches(hex_colours(path)))
        self.assertEqual(self.page.eval("document.getElementById('format').options[0].text"),
                         "Format par défaut de chaque fichier")
        self.page.send("Emulation.setDeviceMetricsOverride",
                       {"width": 320, "height": 640, "deviceScaleFactor": 1, "mobile": True})
        self.page.eval("[...document.querySelectorAll('#fichiers > li')].forEach(row => row.scrollIntoView())")
        self.browser.pump(0.2)
        self.assertLessEqual(self.page.eval("document.documentElement.scrollWidth"), 320, "no scrolling sideways")
        self.page.send("Emulation.clearDeviceMetricsOverride")

        for fmt in [""] + self.formats:
            with self.subTest(format=fmt or "(défaut)"):
                entries, lines, names = [], [], set()
                for path in paths:
                    name, data, reason = cli_convert(path, fmt)
                    if not reason and name.lower() in names:
                        reason = "un fichier de ce nom est déjà dans l'archive"
                    if reason:
                        lines.append("%s : %s" % (os.path.basename(path), reason))
                    else:
                        names.add(name.lower())
                        entries.append((name, data))
                name, data, message = self.convert(fmt)
                self.assertEqual((name, message), ("corvane.zip", "\n".join(lines)))
                with zipfile.ZipFile(io.BytesIO(data)) as archive:
                    self.assertIsNone(archive.testzip())
                    self.assertEqual([(i.filename, i.compress_type) for i in archive.infolist()],
                                     [(n, zipfile.ZIP_DEFLATED) for n, _ in entries])
                    self.assertTrue([archive.read(n) for n, _ in entries] == [d for _, d in entries])
                path = os.path.join(self.scratch, "corvane.zip")
                with open(path, "wb") as f:
                    f.write(data)
                subprocess.run(["unzip", "-tqq", path], check=True)

    def test_bad_files(self):
        table = [
            ("vide.pal", b""),
            ("un-octet.pal", b"\x1a"),
            ("inconnu.pal", b"Palette\r\n"),
            ("mauvais.hex", b"123456\n12345g\n"),
            ("niveau.gpl", b"GIMP Palette\n300 0 0\tRouge\n"),
            ("coupee.png", b"\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR"),
            ("coupee-riff.pal", b"RIFF\x10\x00\x00\x00PAL data\x04\x00\x00\x00"),
            ("99999.pal", b"JASC-PAL\r\n0100\r\n99999\r\n"),
        ]
        for name, data in table:
            with self.subTest(file=name):
                path = os.path.join(self.scratch, name)
                with open(path, "wb") as f:
                    f.write(data)
                self.check_file(path)
                os.remove(path)

    def test_no_request_beyond_the_pages_own_files(self):
        self.browser.take_events("Network.requestWillBeSent")
        self.check_file(os.path.join(DATA, "div/div-degrade.PAL"))
        urls = {e["request"]["url"] for e in self.browser.take_events("Network.requestWillBeSent")}
        self.assertIn(PAGE, urls)
        site = "file://" + SITE + "/"
        self.assertEqual([u for u in urls if not (u.startswith(site) or u.startswith("blob:"))], [])
        self.assertEqual(self.page.eval("refusedByPolicy"), [])

    def test_bounded_memory(self):
        # Only a hang fails here: how soon the page answers is bench_ready.py's figure.
        fpg = os.path.join(self.scratch, "jeu%02d.fpg")
        table = [("a gibibyte file", [os.path.join(self.scratch, "enorme.pal")], write_gibibyte_file),
                 ("a gibibyte PCX, its palette at the end", [os.path.join(self.scratch, "enorme.pcx")],
                  write_gibibyte_pcx),
                 ("a hundred FPG files of 1 MiB", [fpg % k for k in range(100)], write_mebibyte_fpg)]
        for what, paths, write in table:
            with self.subTest(what):
                for path in paths:
                    write(path)
                self.load()
                self.browser.pump(1)
                pids = self.browser.renderer_pids()
                idle = sum(resident(pid, "VmRSS") for pid in pids)
                for pid in pids:
                    with open("/proc/%d/clear_refs" % pid, "w") as f:
                        f.write("5")  # the peak figure starts again from here
                self.page.set_file("#fichier", *paths)
                kinds = self.page.wait_for("(() => { const k = [...document.querySelectorAll('#fichiers .type')]"
                                           "  .map(e => e.textContent); return k.every(t => t) && k; })()", 120)
                self.assertEqual(kinds, [cli_kind(path)[0] for path in paths])
                peak = sum(resident(pid, "VmHWM") for pid in self.browser.renderer_pids() if pid in pids)
                self.assertLess(peak - idle, 64 * MiB, "renderer peak %d MiB over idle" % ((peak - idle) // MiB))
                for path in paths:
                    os.remove(path)

    def test_palette_applied(self):
        paths = [os.path.join(DATA, sample) for sample in samples() if sample.split("/")[0] in APPLIED]
        self.load()
        self.open_files(*paths, timeout=60)
        self.page.set_file("#palette", PALETTE)
        self.page.wait_for("document.getElementById('appliquee').textContent", 10)
        for remap in (0, 1):
            with self.subTest(remap=remap):
                self.page.eval("document.querySelector('input[name=mode][value=\"%d\"]').click()" % remap)
                previews = self.page.wait_for(PREVIEWS, 60)
                entries, lines = [], []
                for path, row in zip(paths, previews):
                    name, data, warned, reason = cli_apply(path, remap)
                    with self.subTest(file=os.path.basename(path)):
                        self.assertEqual(row["warning"], warned)
                        if reason:
                            lines.append("%s : %s" % (os.path.basename(path), reason))
                            self.assertEqual([row["images"], row["refusal"]], [[], reason])
                            continue
                        entries.append((name, data))
                        labels = [label for label, _ in row["images"]]
                        if name in NO_GRAPHIC:
                            self.assertEqual([labels, row["refusal"]], [[], NO_GRAPHIC[name]])
                            continue
                        self.assertEqual(labels, [name + ", avant", name + ", après"])
                        if path.rsplit(".", 1)[-1].lower() in PILLOW:
                            before, after = [base64.b64decode(pixels) for _, pixels in row["images"]]
                            self.assertTrue(drawn_as(before, read(path)), "before: Pillow's pixels")
                            self.assertTrue(drawn_as(after, data), "after: Pillow's pixels")
                # Each image named for a screen reader, and the mode's radio button.
                nodes = self.page.send("Accessibility.getFullAXTree")["nodes"]
                named = {(n["role"]["value"], n.get("name", {}).get("value")) for n in nodes if "role" in n}
                wanted = {("image", label) for row in previews for label, _ in row["images"]}
                wanted |= {("radio", "Garder les indices"), ("radio", "Recolorer au plus proche"),
                           ("button", "Appliquer une palette…")}
                self.assertEqual(wanted - named, set())
                name, data, message = self.convert("")
                self.assertEqual((name, message), ("corvane.zip", "\n".join(lines)))
                with zipfile.ZipFile(io.BytesIO(data)) as archive:
                    self.assertEqual(archive.namelist(), [n for n, _ in entries])
                    self.assertTrue([archive.read(n) for n, _ in entries] == [d for _, d in entries],
                                    "the page's bytes are corvane-convert's")

        # A hundred files: images only for the rows near the view, the last one's once scrolled to.
        hundred = [os.path.join(self.scratch, "jeu%02d.fpg" % k) for k in range(100)]
        for path in hundred:
            shutil.copyfile(os.path.join(DATA, "div/fpg-foret.fpg"), path)
        self.load()
        self.open_files(*hundred, timeout=60)
        self.page.set_file("#palette", PALETTE)
        self.page.wait_for("!!document.querySelector('#fichiers canvas')", 10)
        self.assertLess(self.page.eval("document.querySelectorAll('#fichiers canvas').length"), 100)
        self.page.eval("document.querySelector('#fichiers > li:last-child').scrollIntoView()")
        self.page.wait_for("document.querySelectorAll('#fichiers > li:last-child canvas').length === 2", 10)
        for path in hundred:
            os.remove(path)

    def click(self, selector):
        """A real click at the element's middle, as a user's: it grants the page a user gesture."""
        self.page.wait_for("!!document.querySelector(%r)" % selector, 10)
        x, y = self.page.eval("(() => { const e = document.querySelector(%r); e.scrollIntoView({block: 'center'});"
                              "  const r = e.getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })()"
                              % selector)
        for kind in ("mouseMoved", "mousePressed", "mouseReleased"):
            self.page.send("Input.dispatchMouseEvent", {"type": kind, "x": x, "y": y, "button": "left", "clickCount": 1})

    def test_interactions(self):
        gimp, window = os.path.join(DATA, "gpl/gimp32.gpl"), os.path.join(DATA, "div/div-degrade.PAL")
        same = os.path.join(self.scratch, "meme.gpl")

        def first_choice(rows):
            return self.page.eval("document.getElementById('format').options[0].text")

        def names(rows):
            return self.page.eval("[...document.querySelectorAll('#fichiers .nom')].map(e => e.textContent)")

        def hovered(rows):
            self.page.send("Input.dispatchMouseEvent", {"type": "mouseMoved", "x": 0, "y": 0})
            self.click("#fichiers [role=gridcell]:nth-child(6)")
            return self.page.eval("document.querySelector('#fichiers .couleur').textContent")

        def removed(rows):
            self.click("[aria-label='Retirer div-degrade.PAL']")
            return names(rows), self.page.eval("document.activeElement.getAttribute('aria-label')")

        def cleared(rows):
            self.click("#effacer")
            return names(rows), self.page.eval("[document.getElementById('effacer').hidden,"
                                               " document.getElementById('convertir').disabled]")

        def chosen_again(rows):
            with open(same, "wb") as f:
                f.write(b"GIMP Palette\n1 2 3\n4 5 6\n")
            return [row["kind"] for row in rows + self.open_files(same)[-1:]]

        def forced_format(name):
            def probe(rows):
                self.page.eval("document.getElementById('format').options[1].value = %r" % name)
                return self.convert(name)
            return probe

        def copied(rows):
            self.page.send("Browser.grantPermissions", {"permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})
            self.page.eval("navigator.clipboard.writeText('')")
            self.click("#fichiers .copier")
            return self.page.wait_for("navigator.clipboard.readText()", 10).encode()

        def palette_chosen(path, then=""):
            def probe(rows):
                self.page.set_file("#palette", path)
                self.page.wait_for("document.getElementById('appliquee').textContent || "
                                   "document.getElementById('message').textContent", 10)
                if then:
                    self.click(then)
                    self.page.wait_for("!document.getElementById('appliquee').textContent", 10)
                return self.message(), self.convert("")
            return probe

        fpg = os.path.join(DATA, "div/fpg-foret.fpg")
        too_many = os.path.join(self.scratch, "300.gpl")
        with open(too_many, "wb") as f:
            f.write(b"GIMP Palette\n" + b"1 2 3\n" * 300)
        with open(same, "wb") as f:
            f.write(b"GIMP Palette\n1 2 3\n")
        kinds = [cli_kind(same)[0]]
        table = [
            # (what, files: paths or (name, bytes), what the page shows, expected)
            ("first choice, one file the window converts", [window], first_choice, "JASC-PAL (comme la fenêtre)"),
            ("first choice, one file of another format", [gimp], first_choice, "DIV (par défaut)"),
            ("a level above 255 drawn at 255", [("n300.pal", b"JASC-PAL\r\n0100\r\n2\r\n300 0 0\r\n1 2 3\r\n")],
             lambda rows: rows[0]["cells"], [["0 : #ff0000", "rgb(255, 0, 0)"], ["1 : #010203", "rgb(1, 2, 3)"]]),
            ("beyond 256 colours", [("300.gpl", b"GIMP Palette\n" + b"1 2 3\n" * 300)],
             lambda rows: [len(rows[0]["cells"]), rows[0]["more"]], [256, "… et 44 couleurs de plus"]),
            ("no colour, no Copier", [("vide.pal", b"")], lambda rows: rows[0]["copy"], False),
            ("hovering a swatch", [gimp], hovered, "5 : #" + hex_colours(gimp)[5].hex()),
            ("Retirer", [window, gimp], removed, (["gimp32.gpl"], "Retirer gimp32.gpl")),
            ("Tout effacer", [window, gimp], cleared, ([], [True, True])),
            ("the same file chosen again after it changed", [same], chosen_again,
             kinds + [cli_kind(same)[0].replace("1 couleur", "2 couleurs")]),
            ("Copier", [gimp], copied, cli_convert(gimp, "hex")[1]),
            ("a format the table does not have", [gimp], forced_format("nul"), (None, None, "format inconnu : « nul »")),
            ("a format that only reads", [gimp], forced_format("lbm"),
             (None, None, "le format « lbm » se lit mais ne s'écrit pas")),
            ("a palette applied to one file", [fpg], palette_chosen(PALETTE), ("", cli_apply(fpg, 0)[:2] + ("",))),
            ("the palette taken away", [fpg], palette_chosen(PALETTE, "#oublier"), ("", cli_convert(fpg, ""))),
            ("a palette of too many colours, not applied", [fpg], palette_chosen(too_many),
             ("300.gpl : la palette a 300 couleurs : au plus 256 se mettent dans un fichier", cli_convert(fpg, ""))),
        ]
        for what, files, probe, expected in table:
            with self.subTest(what):
                paths = []
                for item in files:
                    if isinstance(item, tuple):
                        paths.append(os.path.join(self.scratch, item[0]))
                        with open(paths[-1], "wb") as f:
                            f.write(item[1])
                    else:
                        paths.append(item)
                self.load()
                self.assertEqual(probe(self.open_files(*paths)), expected)

    def test_paste(self):
        """Pasted text is read as a file of that content named collé.txt, collé-2.txt, ...; text
        that is no palette says so in one line and adds no row."""
        gimp = read(os.path.join(DATA, "gpl/gimp32.gpl")).decode()
        unreadable = "ceci n'est pas une palette"
        # Ctrl+V: the page's paste event; the button: the clipboard itself.
        by_key = ("document.dispatchEvent(new ClipboardEvent('paste', {clipboardData: (() => {"
                  "  const d = new DataTransfer(); d.setData('text/plain', %r); return d; })()}))")
        by_button = "navigator.clipboard.writeText(%r).then(() => document.getElementById('coller').click())"
        self.page.send("Browser.grantPermissions", {"permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})
        table = [
            # (what, the texts pasted one after the other, how)
            ("a GIMP text, Ctrl+V", [gimp], by_key),
            ("a hex list, one colour a line, then a GIMP text, Coller", ["ff0000\n00FF00\n#0000ff\n", gimp], by_button),
            ("text that is no palette", [unreadable], by_key),
        ]
        for what, texts, how in table:
            with self.subTest(what):
                self.load()
                for k, text in enumerate(texts):
                    self.page.eval(how % text)
                    if text == unreadable:
                        self.page.wait_for("document.getElementById('message').textContent", 10)
                        self.assertEqual(self.message(), "le texte collé n'est pas une palette que Corvane sait lire")
                        self.assertEqual(self.page.eval("document.querySelectorAll('#fichiers > li').length"), 0)
                        continue
                    name = "collé.txt" if k == 0 else "collé-%d.txt" % (k + 1)
                    path = os.path.join(self.scratch, name)
                    with open(path, "w") as f:
                        f.write(text)
                    row = self.page.wait_for("(() => { const rows = %s; return rows && rows.length === %d && rows; })()"
                                             % (ROWS, k + 1), 10)[-1]
                    self.assertEqual([row["name"], row["kind"], row["refusal"], row["cells"]],
                                     [name, cli_kind(path)[0], "", swatches(hex_colours(path))])
                    self.page.eval("document.querySelectorAll('.retirer').forEach((b, j, all) => j < all.length - 1 && b.click())")
                    self.assertEqual(self.convert(""), cli_convert(path, ""))

    def test_keyboard_and_screen_reader(self):
        paths = [os.path.join(DATA, "div/div-degrade.PAL"), os.path.join(DATA, "gpl/gimp32.gpl")]
        self.load()
        rows = self.open_files(*paths)
        self.page.wait_for("document.querySelectorAll('#fichiers [role=grid]').length === 2", 10)
        self.page.eval("document.activeElement.blur()")
        focused = ("(() => { const e = document.activeElement;"
                   "  return e.id || e.getAttribute('aria-label') || e.textContent; })()")
        order = []
        for _ in range(11):
            self.page.press("Tab", "Tab", 9)
            order.append(self.page.eval(focused))
        first = [rows[k]["cells"][0][0] for k in range(2)]
        self.assertEqual(order, ["ouvrir", "coller", "effacer", first[0], "Copier", "Retirer div-degrade.PAL",
                                 first[1], "Copier", "Retirer gimp32.gpl", "format", "convertir"])
        # Enter on the focused button converts, as a click does.
        self.page.send("Input.dispatchKeyEvent", {"type": "keyDown", "key": "Enter", "code": "Enter",
                                                  "windowsVirtualKeyCode": 13, "text": "\r"})
        self.page.send("Input.dispatchKeyEvent", {"type": "keyUp", "key": "Enter", "code": "Enter",
                                                  "windowsVirtualKeyCode": 13})
        began = self.browser.wait_event("Browser.downloadWillBegin", 10)
        self.assertEqual(began["suggestedFilename"], "corvane.zip")
        self.browser.wait_event("Browser.downloadProgress", 10,
                                lambda p: p["guid"] == began["guid"] and p["state"] == "completed")
        os.remove(os.path.join(self.downloads, began["guid"]))

        # Within the first grid (256 colours), from its first swatch; at an edge the focus stays.
        self.page.eval("document.querySelector('#fichiers [role=gridcell]').focus()")
        moves = [("ArrowRight", 39, 1), ("ArrowDown", 40, 17), ("ArrowLeft", 37, 16), ("ArrowUp", 38, 0),
                 ("ArrowUp", 38, 0), ("ArrowLeft", 37, 0), ("End", 35, 255), ("ArrowRight", 39, 255),
                 ("ArrowDown", 40, 255), ("Home", 36, 0)]
        cells = rows[0]["cells"]
        for key, code, index in moves:
            self.page.press(key, key, code)
            self.assertEqual(self.page.eval(focused), cells[index][0], key)
        self.page.press("End", "End", 35)

        nodes = self.page.send("Accessibility.getFullAXTree")["nodes"]
        by_id = {n["nodeId"]: n for n in nodes}
        named = {(n["role"]["value"], n.get("name", {}).get("value")) for n in nodes if "role" in n}
        self.assertLessEqual({("button", "Ouvrir Palette ..."), ("button", "Coller"), ("button", "Convertir Palette"),
                              ("combobox", "Format de sortie"), ("button", "Tout effacer"),
                              ("button", "Retirer gimp32.gpl"), ("button", "Copier"),
                              ("grid", "Couleurs de div-degrade.PAL")}, named)
        focus = [(n["role"]["value"], n["name"]["value"]) for n in nodes
                 if {"name": "focused", "value": {"type": "booleanOrUndefined", "value": True}} in n.get("properties", [])]
        self.assertIn(("gridcell", cells[255][0]), focus)

        def texts(node):
            own = [node["name"]["value"]] if node["role"]["value"] == "StaticText" else []
            return own + [t for c in node.get("childIds", []) if c in by_id for t in texts(by_id[c])]

        live = [n for n in nodes if {"name": "live", "value": {"type": "token", "value": "polite"}}
                in n.get("properties", []) and n.get("role", {}).get("value") != "StaticText"]
        self.assertIn(rows[0]["kind"], ["".join(texts(n)) for n in live], "the kind is read from a polite live region")
        self.assertIn("alert", {n["role"]["value"] for n in nodes if "role" in n})


def write_gibibyte_file(path):
    """A JASC-PAL head whose first colour line runs on through a gibibyte of
    zeros, read to its end as corvane-convert reads it; sparse, so it costs no disk."""
    with open(path, "wb") as f:
        f.write(b"JASC-PAL\r\n0100\r\n256\r\n")
        f.truncate(1 << 30)


def write_gibibyte_pcx(path):
    """A sample PCX's header, a gibibyte of pixels (a hole, so no disk), then its palette."""
    with open(os.path.join(DATA, "pcx/pcx256-v5.pcx"), "rb") as f:
        sample = f.read()
    with open(path, "wb") as f:
        f.write(sample[:128])
        f.seek(1 << 30)
        f.write(sample[-769:])


def write_mebibyte_fpg(path):
    """A sample FPG's palette followed by a mebibyte's worth of graphics (zeros)."""
    shutil.copyfile(os.path.join(DATA, "div/fpg-foret.fpg"), path)
    with open(path, "r+b") as f:
        f.truncate(MiB)


def resident(pid, field):
    """A /proc/PID/status memory figure, in bytes (0 once the process is gone)."""
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith(field + ":"):
                    return int(line.split()[1]) * 1024
    except OSError:
        pass
    return 0


if __name__ == "__main__":
    unittest.main()
