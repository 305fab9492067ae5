"""The page in headless Chromium, opened from file://, against corvane-convert.

Every answer of the page (kind text, refusal, downloaded name and bytes) must
be corvane-convert's for the same file; the downloads are also checked against
the expected outputs beside the samples, and the strip against the colours
the sample's expected hex output lists.

    CORVANE_SITE=build/web/site CORVANE_CONVERT=build/run/cli/corvane-convert \\
        /usr/bin/python3 -m unittest discover -s tests/web -p 'test_*.py'
"""

import base64
import os
import shutil
import subprocess
import tempfile
import time
import unittest

import cdp

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
DATA = os.path.join(ROOT, "tests", "data")
SITE = os.path.abspath(os.environ.get("CORVANE_SITE", os.path.join(ROOT, "build", "web", "site")))
CONVERT = os.path.abspath(os.environ.get("CORVANE_CONVERT",
                                         os.path.join(ROOT, "build", "run", "cli", "corvane-convert")))
PAGE = "file://" + os.path.join(SITE, "index.html")
MiB = 1 << 20


def samples():
    return sorted(name for name in os.listdir(DATA)
                  if not name.endswith((".attendu", ".md", ".py")) and not name.startswith("."))


def read(path):
    with open(path, "rb") as f:
        return f.read()


def refusal(result, path):
    """corvane-convert's reason after "corvane-convert: FILE: "."""
    text = result.stderr.decode()
    prefix = "corvane-convert: %s: " % path
    assert result.returncode == 1 and text.startswith(prefix) and text.count("\n") == 1, text
    return text[len(prefix):-1]


def cli_kind(path):
    """(--type text, reason): the text after "FILE: ", or the reason it cannot be read."""
    result = subprocess.run([CONVERT, "--type", path], capture_output=True)
    if result.returncode == 0:
        return result.stdout.decode()[len(path) + 2:-1], ""
    return "", refusal(result, path)


def cli_convert(path, fmt):
    """(name, bytes, reason) of corvane-convert -d [--to=fmt] on the file."""
    with tempfile.TemporaryDirectory() as out:
        result = subprocess.run([CONVERT] + (["--to=" + fmt] if fmt else []) + ["-d", out, path],
                                capture_output=True)
        if result.returncode != 0:
            return None, None, refusal(result, path)
        [name] = os.listdir(out)
        return name, read(os.path.join(out, name)), ""


def strip_pixels(colours):
    """The 512 x 20 RGBA strip the window draws for these colours (none: nothing drawn)."""
    row = bytearray(512 * 4)
    n = min(len(colours), 256)
    for k in range(n):
        level = bytes(colours[k]) + b"\xff"
        for x in range(512 * k // n, 512 * (k + 1) // n):
            row[4 * x:4 * x + 4] = level
    return bytes(row) * 20


def hex_colours(sample):
    path = os.path.join(DATA, sample + ".hex.attendu")
    if not os.path.exists(path):
        return []
    return [bytes.fromhex(line) for line in read(path).decode().split()]


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="corvane-web-")
        cls.downloads = os.path.join(cls.scratch, "telechargements")
        os.mkdir(cls.downloads)
        cls.browser = cdp.Browser()
        cls.page = cls.browser.new_page(downloads=cls.downloads)
        cls.formats = subprocess.run([CONVERT, "--list-formats"], capture_output=True,
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

    def open_file(self, path, timeout=10):
        """Opens the file through the input; gives (type, message) once the page has answered."""
        self.page.set_file("#fichier", path)
        return self.page.wait_for(
            "(() => { const t = document.getElementById('type').textContent,"
            "  m = document.getElementById('message').textContent;"
            "  return document.getElementById('nom').textContent.includes(%r) && (t || m) ? [t, m] : null; })()"
            % os.path.basename(path), timeout)

    def convert(self, fmt):
        """Chooses the format and presses the button: (name, bytes) downloaded, or the message."""
        page, browser = self.page, self.browser
        if page.eval("document.getElementById('convertir').disabled"):
            return None, None, self.text("message")
        page.eval("(() => { const s = document.getElementById('format'); s.value = %r;"
                  "  s.dispatchEvent(new Event('change', {bubbles: true}));"
                  "  window.messageWrites = 0;"
                  "  new MutationObserver(() => window.messageWrites++).observe("
                  "    document.getElementById('message'), {childList: true, characterData: true, subtree: true});"
                  "  document.getElementById('convertir').click(); })()" % fmt)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            began = browser.take_events("Browser.downloadWillBegin")
            if began:
                done = browser.wait_event("Browser.downloadProgress", 10,
                                          lambda p: p["guid"] == began[0]["guid"] and p["state"] != "inProgress")
                self.assertEqual(done["state"], "completed")
                data = read(os.path.join(self.downloads, began[0]["guid"]))
                os.remove(os.path.join(self.downloads, began[0]["guid"]))
                return began[0]["suggestedFilename"], data, ""
            if page.eval("window.messageWrites > 0 && document.getElementById('message').textContent !== ''"):
                # Whatever the page would download with it has begun by now.
                browser.pump(0.2)
                return None, None, self.text("message")
            browser.pump(0.02)
        self.fail("neither a download nor a message after pressing Convertir Palette (%r)" % fmt)

    def check_file(self, path, colours):
        """The page's every answer for the file is corvane-convert's."""
        self.load()
        kind, reason = cli_kind(path)
        self.assertEqual(self.open_file(path), [kind, reason])
        size = self.page.eval("[document.getElementById('bande').width, document.getElementById('bande').height]")
        self.assertEqual(size, [512, 20])
        expected, deadline = strip_pixels(colours), time.monotonic() + 2
        while True:  # the strip may be painted a frame after the kind is shown
            pixels = base64.b64decode(self.page.eval("btoa(String.fromCharCode(...document.getElementById("
                                                     "'bande').getContext('2d').getImageData(0, 0, 512, 20).data))"))
            if pixels == expected or time.monotonic() > deadline:
                break
            self.browser.pump(0.05)
        self.assertTrue(pixels == expected, "strip pixels")

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
                outcomes = self.check_file(os.path.join(DATA, sample), hex_colours(sample))
                for fmt, data in outcomes.items():
                    expected = os.path.join(DATA, sample + ("." + fmt if fmt else "") + ".attendu")
                    if os.path.exists(expected):
                        self.assertTrue(data == read(expected), "%s: %s.attendu" % (sample, fmt))

    def test_bad_files(self):
        # None of them has a colour to draw.
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
                self.check_file(path, [])
                os.remove(path)

    def test_no_request_beyond_the_pages_own_files(self):
        self.browser.take_events("Network.requestWillBeSent")
        self.check_file(os.path.join(DATA, "div-degrade.PAL"), hex_colours("div-degrade.PAL"))
        urls = {e["request"]["url"] for e in self.browser.take_events("Network.requestWillBeSent")}
        self.assertIn(PAGE, urls)
        site = "file://" + SITE + "/"
        self.assertEqual([u for u in urls if not (u.startswith(site) or u.startswith("blob:"))], [])

    def test_one_gibibyte_file_in_bounded_memory(self):
        path = os.path.join(self.scratch, "enorme.pal")
        write_gibibyte_file(path)
        self.load()
        self.browser.pump(1)
        pids = self.browser.renderer_pids()
        idle = sum(resident(pid, "VmRSS") for pid in pids)
        for pid in pids:
            with open("/proc/%d/clear_refs" % pid, "w") as f:
                f.write("5")  # the peak figure starts again from here
        # Only a hang fails here: how soon the kind shows is bench_ready.py's figure.
        self.assertEqual(self.open_file(path, timeout=120), list(cli_kind(path)))
        peak = sum(resident(pid, "VmHWM") for pid in self.browser.renderer_pids() if pid in pids)
        self.assertLess(peak - idle, 64 * MiB, "renderer peak %d MiB over idle" % ((peak - idle) // MiB))
        os.remove(path)

    def test_keyboard_and_screen_reader(self):
        path = os.path.join(DATA, "div-degrade.PAL")
        self.load()
        kind = self.open_file(path)[0]
        self.page.eval("document.activeElement.blur()")
        order = []
        for _ in range(3):
            self.page.press("Tab", "Tab", 9)
            order.append(self.page.eval("document.activeElement.id"))
        self.assertEqual(order, ["ouvrir", "format", "convertir"])
        # Enter on the focused button converts, as a click does.
        self.page.send("Input.dispatchKeyEvent", {"type": "keyDown", "key": "Enter", "code": "Enter",
                                                  "windowsVirtualKeyCode": 13, "text": "\r"})
        self.page.send("Input.dispatchKeyEvent", {"type": "keyUp", "key": "Enter", "code": "Enter",
                                                  "windowsVirtualKeyCode": 13})
        began = self.browser.wait_event("Browser.downloadWillBegin", 10)
        self.assertEqual(began["suggestedFilename"], cli_convert(path, "")[0])
        self.browser.wait_event("Browser.downloadProgress", 10,
                                lambda p: p["guid"] == began["guid"] and p["state"] == "completed")
        os.remove(os.path.join(self.downloads, began["guid"]))

        nodes = self.page.send("Accessibility.getFullAXTree")["nodes"]
        by_id = {n["nodeId"]: n for n in nodes}
        named = {(n["role"]["value"], n.get("name", {}).get("value")) for n in nodes if "role" in n}
        self.assertLessEqual({("button", "Ouvrir Palette ..."), ("button", "Convertir Palette"),
                              ("combobox", "Format de sortie")}, named)

        def texts(node):
            own = [node["name"]["value"]] if node["role"]["value"] == "StaticText" else []
            return own + [t for c in node.get("childIds", []) if c in by_id for t in texts(by_id[c])]

        live = [n for n in nodes if {"name": "live", "value": {"type": "token", "value": "polite"}}
                in n.get("properties", []) and n.get("role", {}).get("value") != "StaticText"]
        self.assertIn(kind, ["".join(texts(n)) for n in live], "the kind is read from a polite live region")
        self.assertIn("alert", {n["role"]["value"] for n in nodes if "role" in n})


def write_gibibyte_file(path):
    """A JASC-PAL head whose first colour line runs on through a gibibyte of
    zeros, read to its end as corvane-convert reads it; sparse, so it costs no disk."""
    with open(path, "wb") as f:
        f.write(b"JASC-PAL\r\n0100\r\n256\r\n")
        f.truncate(1 << 30)


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
