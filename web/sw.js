// The page's service worker: it keeps the page's files so that the page
// opens and converts with no network. Its cache's name carries a digest of
// those files (written in by assemble.cmake): a new build is a new worker,
// which fills its own cache and drops the one before.
"use strict";
const FILES = [@FILES@];
// The scope in the name: two copies of the page on one origin keep apart.
const PREFIX = "corvane " + registration.scope + " ";
const CACHE = PREFIX + "@DIGEST@";
const scope = new URL(registration.scope).pathname;

self.addEventListener("install", (event) => {
    // Past the browser's HTTP cache: the files of this build, never an older copy.
    event.waitUntil(caches.open(CACHE)
        .then((cache) => cache.addAll(FILES.map((file) => new Request(file, { cache: "reload" }))))
        // The page takes every file as it starts, none later: an open page
        // mixes no versions when the new worker takes over at once.
        .then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
    event.waitUntil(caches.keys()
        .then((keys) => Promise.all(keys.filter((key) => key.startsWith(PREFIX) && key !== CACHE)
            .map((key) => caches.delete(key))))
        .then(() => self.clients.claim()));
});

self.addEventListener("fetch", (event) => {
    const request = event.request;
    const url = new URL(request.url);
    if (request.method !== "GET" || url.origin !== location.origin)
        return;
    // The folder and index.html are the one page, whatever follows the "?".
    const page = request.mode === "navigate" && (url.pathname === scope || url.pathname === scope + "index.html");
    event.respondWith(caches.open(CACHE)
        .then((cache) => cache.match(page ? "index.html" : request))
        .then((kept) => kept || fetch(request)));
});
