"""The page served over HTTP by python3 -m http.server, in headless Chromium:
installable, and after one visit it opens and converts a sample offline; from
file:// it attempts neither; light and dark colours; 320 CSS px wide. Same
environment as test_page.py.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

import cdp
import test_page
from test_page import DATA, SITE, cli_convert, cli_kind

SAMPLE = os.path.join(DATA, "div/div-degrade.PAL")
SITE_BUDGET = 300_000  # the whole folder, before compression

# Counts the page's attempts to register a service worker or name a manifest.
WATCH = """(() => {
    window.attempts = 0;
    const register = navigator.serviceWorker?.register;
    if (register)
        navigator.serviceWorker.register = function (...a) { ++window.attempts; return register.apply(this, a); };
    new MutationObserver(() => { if (document.querySelector("link[rel=manifest]")) ++window.attempts; })
        .observe(document, { subtree: true, childList: true });
})()"""


def serve(folder):
    """(process, its root URL): python3 -m http.server serving the folder on a free port."""
    server = subprocess.Popen([sys.executable, "-u", "-m", "http.server", "--bind", "127.0.0.1", "--directory",
                               folder, "0"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    # "Serving HTTP on 127.0.0.1 port N (http://127.0.0.1:N/) ..."
    return server, server.stdout.readline().split("(")[1].split(")")[0]


def luminance(css):
    """WCAG relative luminance of an rgb(...) colour."""
    levels = [int(v) / 255 for v in re.findall(r"\d+", css)[:3]]
    r, g, b = [v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4 for v in levels]
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


class InstallTest(unittest.TestCase):
    # The page's own ways to open a file and convert it, whatever its markup.
    open_file = test_page.PageTest.open_file
    open_files = test_page.PageTest.open_files
    message = test_page.PageTest.message
    convert = test_page.PageTest.convert
    text = test_page.PageTest.text

    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="corvane-install-")
        cls.downloads = os.path.join(cls.scratch, "telechargements")
        os.mkdir(cls.downloads)
        cls.server, cls.url = serve(SITE)
        cls.browser = cdp.Browser()
        cls.page = cls.browser.new_page(downloads=cls.downloads)

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        cls.server.terminate()
        cls.server.wait()
        shutil.rmtree(cls.scratch)

    def load(self, url):
        self.browser.events.clear()
        self.page.navigate(url)
        self.page.wait_for("document.documentElement.hasAttribute('data-ready')", 10)

    def installable(self):
        self.load(self.url)
        self.assertEqual(self.page.send("Page.getInstallabilityErrors")["installabilityErrors"], [])
        self.page.wait_for("navigator.serviceWorker.ready.then((r) => r.active.state === 'activated')", 10)

    def from_disk(self):
        page = self.browser.new_page(watch=False)
        page.send("Page.addScriptToEvaluateOnNewDocument", {"source": WATCH})
        page.navigate("file://" + os.path.join(SITE, "index.html"))
        page.wait_for("document.documentElement.hasAttribute('data-ready')", 10)
        self.browser.pump(0.5)
        self.assertEqual(page.eval("window.attempts"), 0)
        page.close()

    def schemes(self):
        self.load(self.url)
        for scheme, lit in (("light", True), ("dark", False)):
            self.page.send("Emulation.setEmulatedMedia",
                           {"features": [{"name": "prefers-color-scheme", "value": scheme}]})
            text, back = map(luminance, self.page.eval(
                "[getComputedStyle(document.body).color, getComputedStyle(document.body).backgroundColor]"))
            self.assertGreaterEqual((max(text, back) + 0.05) / (min(text, back) + 0.05), 7, scheme)
            self.assertEqual(back > 0.5, lit, scheme)
        self.page.send("Emulation.setEmulatedMedia", {"features": []})

    def narrow(self):
        self.page.send("Emulation.setDeviceMetricsOverride",
                       {"width": 320, "height": 640, "deviceScaleFactor": 1, "mobile": True})
        self.load(self.url)
        self.open_file(SAMPLE)
        self.assertLessEqual(self.page.eval("document.documentElement.scrollWidth"), 320)
        self.page.send("Emulation.clearDeviceMetricsOverride")

    def offline(self):
        # No server and nothing in the HTTP cache: only the service worker's copies can answer
        # (the page's emulated network does not hold back its service worker's).
        self.server.terminate()
        self.server.wait()
        self.page.send("Network.clearBrowserCache")
        self.page.send("Network.emulateNetworkConditions",
                       {"offline": True, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})
        self.load(self.url)
        self.assertTrue(self.page.eval("navigator.serviceWorker.controller !== null"))
        # Every file of the folder is kept, beside the worker itself.
        kept = self.page.eval("caches.keys().then((names) => Promise.all(names.map((name) => caches.open(name)"
                              "  .then((cache) => cache.keys())))).then((lists) => lists.flat()"
                              "  .map((request) => request.url.split('/').pop()).sort())")
        self.assertEqual(kept, sorted(set(os.listdir(SITE)) - {"sw.js"}))
        self.assertEqual(self.open_file(SAMPLE), list(cli_kind(SAMPLE)))
        for fmt in ("", "gpl"):
            self.assertEqual(self.convert(fmt), cli_convert(SAMPLE, fmt))

    def test_installed_and_offline(self):
        size = sum(os.path.getsize(os.path.join(SITE, name)) for name in os.listdir(SITE))
        self.assertLessEqual(size, SITE_BUDGET)
        # In this order: the visit that installs first, the server stopped last.
        for check in (self.installable, self.from_disk, self.schemes, self.narrow, self.offline):
            with self.subTest(check.__name__):
                check()


if __name__ == "__main__":
    unittest.main()
