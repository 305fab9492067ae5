"""The page installed and offline, in headless Chromium: served over HTTP by
python3 -m http.server, it passes Chromium's installability check and, after
one visit, opens and converts a sample with the network off; from file:// it
registers nothing. Also its colours in light and dark, and its width at 320
CSS px. Same environment as test_page.py.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import cdp
import test_page
from test_page import DATA, SITE, cli_convert, cli_kind

SAMPLE = os.path.join(DATA, "div-degrade.PAL")
# What the service worker must keep: no file of the folder is left out.
SITE_BUDGET = 300_000

# Counts the page's attempts to register a service worker or name a manifest.
WATCH = """(() => {
    window.attempts = 0;
    const register = navigator.serviceWorker?.register;
    if (register)
        navigator.serviceWorker.register = function (...a) { ++window.attempts; return register.apply(this, a); };
    new MutationObserver(() => { if (document.querySelector("link[rel=manifest]")) ++window.attempts; })
        .observe(document, { subtree: true, childList: true });
})()"""

# Contrast ratio of the body's text on its background, as WCAG defines it, and
# the background's relative luminance.
COLOURS = """(() => {
    const levels = (c) => c.match(/\\d+/g).slice(0, 3).map((v) => {
        v /= 255;
        return v <= 0.03928 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4;
    });
    const luminance = (c) => { const [r, g, b] = levels(c); return 0.2126 * r + 0.7152 * g + 0.0722 * b; };
    const style = getComputedStyle(document.body);
    const [text, back] = [luminance(style.color), luminance(style.backgroundColor)];
    return [(Math.max(text, back) + 0.05) / (Math.min(text, back) + 0.05), back];
})()"""


def serve(folder):
    """(process, its root URL): python3 -m http.server serving the folder on a free port."""
    server = subprocess.Popen([sys.executable, "-u", "-m", "http.server", "--bind", "127.0.0.1", "--directory",
                               folder, "0"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    # "Serving HTTP on 127.0.0.1 port N (http://127.0.0.1:N/) ..."
    return server, server.stdout.readline().split("(")[1].split(")")[0]


class InstallTest(unittest.TestCase):
    # The page's own ways to open a file and convert it, whatever its markup.
    open_file = test_page.PageTest.open_file
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
        errors = self.page.send("Page.getInstallabilityErrors")["installabilityErrors"]
        self.assertEqual(errors, [])
        self.page.wait_for("navigator.serviceWorker.ready.then((r) => r.active.state === 'activated')", 10)

    def offline(self):
        # No server and nothing in the HTTP cache: only the service worker's copies can answer
        # (the page's emulated network does not hold back its service worker's).
        self.server.terminate()
        self.server.wait()
        self.page.send("Network.clearBrowserCache")
        self.page.send("Network.emulateNetworkConditions",
                       {"offline": True, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})
        try:
            self.load(self.url)
            self.assertTrue(self.page.eval("navigator.serviceWorker.controller !== null"))
            # Every file of the folder is kept, beside the worker itself.
            kept = self.page.eval("caches.keys().then((names) => Promise.all(names.map((name) => caches.open(name)"
                                  "  .then((cache) => cache.keys())))).then((lists) => lists.flat()"
                                  "  .map((request) => request.url.split('/').pop()).sort())")
            self.assertEqual(kept, sorted(set(os.listdir(SITE)) - {"sw.js"}))
            self.assertEqual(self.open_file(SAMPLE), list(cli_kind(SAMPLE)))
            for fmt in ("", "gpl"):
                name, data, message = self.convert(fmt)
                self.assertEqual((name, data, message), cli_convert(SAMPLE, fmt))
        finally:
            self.page.send("Network.emulateNetworkConditions",
                           {"offline": False, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})

    def from_disk(self):
        page = self.browser.new_page(watch=False)
        try:
            page.send("Page.addScriptToEvaluateOnNewDocument", {"source": WATCH})
            page.navigate("file://" + os.path.join(SITE, "index.html"))
            page.wait_for("document.documentElement.hasAttribute('data-ready')", 10)
            self.browser.pump(0.5)
            self.assertEqual(page.eval("window.attempts"), 0)
        finally:
            page.close()

    def schemes(self):
        self.load(self.url)
        backgrounds = {}
        for scheme in ("light", "dark"):
            self.page.send("Emulation.setEmulatedMedia",
                           {"features": [{"name": "prefers-color-scheme", "value": scheme}]})
            contrast, backgrounds[scheme] = self.page.eval(COLOURS)
            self.assertGreaterEqual(contrast, 7, scheme)
        self.page.send("Emulation.setEmulatedMedia", {"features": []})
        self.assertGreater(backgrounds["light"], 0.5)
        self.assertLess(backgrounds["dark"], 0.1)

    def narrow(self):
        self.page.send("Emulation.setDeviceMetricsOverride",
                       {"width": 320, "height": 640, "deviceScaleFactor": 1, "mobile": True})
        try:
            self.load(self.url)
            self.open_file(SAMPLE)
            self.assertLessEqual(self.page.eval("document.documentElement.scrollWidth"), 320)
        finally:
            self.page.send("Emulation.clearDeviceMetricsOverride")

    def test_installed_and_offline(self):
        size = sum(os.path.getsize(os.path.join(SITE, name)) for name in os.listdir(SITE))
        self.assertLessEqual(size, SITE_BUDGET)
        # In this order: the visit that installs first, the server stopped last.
        for check in (self.installable, self.from_disk, self.schemes, self.narrow, self.offline):
            with self.subTest(check.__name__):
                check()


if __name__ == "__main__":
    unittest.main()
