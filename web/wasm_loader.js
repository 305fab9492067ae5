// The core's WebAssembly travels in this script, gzip-compressed and in
// base64 (a worker started from a blob: URL has no file of its own to fetch,
// and the page's policy refuses data: URLs): inflated by the browser's own
// DecompressionStream and compiled as it inflates, where the browser can.
Module["instantiateWasm"] = (imports, done) => {
    const packed = atob("@CORVANE_PACKED_WASM@");
    const bytes = new Uint8Array(packed.length);
    for (let k = 0; k < packed.length; ++k)
        bytes[k] = packed.charCodeAt(k);
    const inflated = () => new Response(new Blob([bytes]).stream().pipeThrough(new DecompressionStream("gzip")),
                                        { headers: { "Content-Type": "application/wasm" } });
    const compiled = WebAssembly.instantiateStreaming
        ? WebAssembly.instantiateStreaming(inflated(), imports)
        : inflated().arrayBuffer().then((wasm) => WebAssembly.instantiate(wasm, imports));
    compiled.then((result) => done(result.instance, result.module));
    return {};
};
