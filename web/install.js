// Served over HTTP(S), the page can be installed and opened with no network:
// it names its manifest and registers its service worker. From file:// it
// attempts neither, and works as before.
"use strict";
if (/^https?:$/.test(location.protocol) && window.isSecureContext && "serviceWorker" in navigator) {
    const manifest = document.createElement("link");
    manifest.rel = "manifest";
    manifest.href = "manifest.webmanifest";
    document.head.append(manifest);
    // Once the page is up: the worker's first fill does not slow its start.
    window.addEventListener("load", () =>
        navigator.serviceWorker.register("sw.js").catch((error) =>
            console.warn("Corvane ne sera pas disponible hors ligne :", error)));
}
