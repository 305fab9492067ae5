"""Time from navigation to data-ready for the page, beside an empty page;
then from choosing a palette the moment the page is ready to its grid shown;
then from choosing a 1 GiB file to its kind shown; then a hundred FPG files
of 1 MiB chosen at once, scrolled through to the last: the renderer's
resident memory over idle and the page's slowest answer, sampled throughout.

Both pages are opened from file:// in a new tab of one headless Chromium, turn
about, RUNS times each; the time is the page's own clock (performance.now(),
zero at navigation) when data-ready first shows on <html>. The page is also
timed served by python3 -m http.server, its service worker in place after a
first visit, as an installed page opens. The empty page
carries data-ready in its markup: its figure is what any page costs. The
1 GiB file (the page's tests' own) is opened RUNS / 10 times, at least once,
each in a new tab once the page is ready, timed on the page's clock from just
before the file is set on the input to the first kind shown in its row.

    /usr/bin/python3 tests/web/bench_ready.py build/web/site/index.html [RUNS]
"""

import os
import statistics
import sys
import tempfile
import time

import cdp
from test_install import serve
from test_page import MiB, resident, write_gibibyte_file, write_mebibyte_fpg

SEEN = """(() => {
    const seen = () => {
        if (window.readyAt === undefined && document.documentElement?.hasAttribute('data-ready'))
            window.readyAt = performance.now();
    };
    new MutationObserver(seen).observe(document, {subtree: true, childList: true, attributes: true});
    seen();
})()"""


def time_to_ready(browser, url):
    page = browser.new_page(watch=False)
    page.send("Page.addScriptToEvaluateOnNewDocument", {"source": SEEN})
    page.send("Page.navigate", {"url": url})
    ms = page.wait_for("window.readyAt", 30)
    page.close()
    browser.events.clear()
    return ms


def time_to_kind(browser, url, path):
    page = browser.new_page(watch=False)
    page.navigate(url)
    page.wait_for("document.documentElement.hasAttribute('data-ready')", 30)
    start = page.eval("(() => { new MutationObserver(() => {"
                      "  if (document.querySelector('#fichiers .type')?.textContent) window.kindAt ??= performance.now(); })"
                      ".observe(document.getElementById('fichiers'), {childList: true, characterData: true,"
                      " subtree: true}); return performance.now(); })()")
    page.set_file("#fichier", path)
    ms = page.wait_for("window.kindAt", 120) - start
    page.close()
    browser.events.clear()
    return ms


def time_to_grid(browser, url, path):
    """From a palette chosen the moment data-ready shows (the input's change
    event) to its grid shown, on the page's clock."""
    page = browser.new_page(watch=False)
    page.send("Page.addScriptToEvaluateOnNewDocument", {"source": SEEN})
    page.send("Page.navigate", {"url": url})
    page.wait_for("window.readyAt", 30)
    page.eval("(() => { new MutationObserver(() => {"
              "  if (document.querySelector('#fichiers [role=grid] [role=gridcell]')) window.gridAt ??= performance.now(); })"
              ".observe(document.getElementById('fichiers'), {childList: true, subtree: true});"
              " document.addEventListener('change', () => { window.chosenAt ??= performance.now(); }, true); })()")
    page.set_file("#fichier", path)
    ms = page.wait_for("window.gridAt", 30) - page.eval("window.chosenAt")
    page.close()
    browser.events.clear()
    return ms


def hundred_files(browser, url, folder):
    """(MiB over idle, slowest answer in ms, seconds to every kind shown) for 100 FPG files of 1 MiB."""
    paths = [os.path.join(folder, "jeu%02d.fpg" % k) for k in range(100)]
    for path in paths:
        write_mebibyte_fpg(path)
    page = browser.new_page(watch=False)
    page.navigate(url)
    page.wait_for("document.documentElement.hasAttribute('data-ready')", 30)
    browser.pump(1)
    pids = browser.renderer_pids()
    idle = sum(resident(pid, "VmRSS") for pid in pids)
    peak, slowest, start, shown = 0, 0, time.monotonic(), None
    page.set_file("#fichier", *paths)
    # Each answer scrolls one row further, so that the grids are built as a reader would see them.
    scroll = ("(() => { const rows = document.querySelectorAll('#fichiers .type'), k = window.at = (window.at ?? -1) + 1;"
              "  rows[Math.min(k, rows.length - 1)].scrollIntoView();"
              "  return [...rows].filter(e => e.textContent).length; })()")
    while True:
        asked = time.monotonic()
        done = page.eval(scroll)
        slowest = max(slowest, time.monotonic() - asked)
        peak = max(peak, sum(resident(pid, "VmRSS") for pid in pids))
        if done == len(paths) and shown is None:
            shown = time.monotonic() - start
        if shown is not None and page.eval("window.at") >= len(paths):
            break
        browser.pump(0.05)
    page.close()
    browser.events.clear()
    return (peak - idle) / MiB, 1000 * slowest, shown


def summary(times):
    ordered = sorted(times)
    p90 = ordered[min(len(ordered) - 1, (9 * len(ordered) + 9) // 10 - 1)]
    return "médiane %.0f ms, p90 %.0f ms, min %.0f ms, max %.0f ms" % (
        statistics.median(ordered), p90, ordered[0], ordered[-1])


def main():
    page_url = "file://" + os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 30
    with tempfile.TemporaryDirectory() as folder:
        empty = os.path.join(folder, "vide.html")
        with open(empty, "w") as f:
            f.write('<!doctype html>\n<html lang="fr" data-ready><meta charset="utf-8"><title>Vide</title></html>\n')
        times = {"page": [], "servie": [], "vide": []}
        server, root = serve(os.path.dirname(os.path.abspath(sys.argv[1])))
        served = root + os.path.basename(sys.argv[1])
        try:
            with cdp.Browser() as browser:
                time_to_ready(browser, page_url)  # the first tab pays for the browser's own start
                first = browser.new_page(watch=False)
                first.navigate(served)
                first.wait_for("navigator.serviceWorker.ready.then((r) => r.active.state === 'activated')", 30)
                first.close()
                for _ in range(runs):
                    times["page"].append(time_to_ready(browser, page_url))
                    times["servie"].append(time_to_ready(browser, served))
                    times["vide"].append(time_to_ready(browser, "file://" + empty))
                palette = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "../data/div/div-degrade.PAL"))
                grid = [time_to_grid(browser, page_url, palette) for _ in range(runs)]
                big = os.path.join(folder, "enorme.pal")
                write_gibibyte_file(big)
                kind = [time_to_kind(browser, page_url, big) for _ in range(max(1, runs // 10))]
                os.remove(big)
                memory, slowest, shown = hundred_files(browser, page_url, folder)
        finally:
            server.terminate()
            server.wait()
    print("page de Corvane (%d fois) : %s" % (runs, summary(times["page"])))
    print("page servie     (%d fois) : %s" % (runs, summary(times["servie"])))
    print("page vide       (%d fois) : %s" % (runs, summary(times["vide"])))
    print("palette choisie dès data-ready, grille affichée (%d fois) : %s" % (len(grid), summary(grid)))
    print("fichier de 1 Gio, type affiché (%d fois) : %s" % (len(kind), summary(kind)))
    print("100 FPG de 1 Mio : %.1f Mio au-dessus du repos, réponse la plus lente %.0f ms, tous les types en %.1f s"
          % (memory, slowest, shown))


if __name__ == "__main__":
    main()
