// The worker's side of the page, run after emscripten's glue and in its
// scope: the page sends one file at a time, then asks for its conversions.
(() => {
    const decoder = new TextDecoder();
    const encoder = new TextEncoder();
    const text = (at) => {
        let end = at;
        while (HEAPU8[end] !== 0)
            ++end;
        return decoder.decode(HEAPU8.subarray(at, end));
    };
    // Calls `call` with each string as a C string in the core's memory.
    const withStrings = (strings, call) => {
        const at = strings.map((s) => {
            const bytes = encoder.encode(s + "\0");
            const p = _malloc(bytes.length);
            HEAPU8.set(bytes, p);
            return p;
        });
        try {
            return call(...at);
        } finally {
            at.forEach((p) => _free(p));
        }
    };
    let name = "";
    let waiting = [];

    const answer = (ask) => {
        if (ask.file) {
            Module["file"] = ask.file;
            name = ask.file.name;
            const refusal = text(_corvane_open());
            const count = _corvane_strip_count();
            const strip = _corvane_strip();
            postMessage({
                opened: name,
                kind: refusal ? "" : text(_corvane_kind()),
                refusal,
                strip: HEAPU8.slice(strip, strip + 3 * count),
                label: text(_corvane_default_label()),
            });
            return;
        }
        const refusal = withStrings([ask.format, name], (to, from) => text(_corvane_convert(to, from)));
        if (refusal) {
            postMessage({ refusal });
            return;
        }
        const at = _corvane_output();
        postMessage({ output: text(_corvane_output_name()), bytes: HEAPU8.slice(at, at + _corvane_output_size()) });
    };

    self.onmessage = (event) => (waiting ? waiting.push(event.data) : answer(event.data));
    const ready = () => {
        const formats = text(_corvane_formats())
            .split("\n")
            .filter((line) => line)
            .map((line) => line.split("\t"));
        postMessage({ ready: true, formats, label: text(_corvane_default_label()) });
        const asked = waiting;
        waiting = null;
        asked.forEach(answer);
    };
    // Compiled at once, the core is usually running already.
    if (calledRun)
        ready();
    else
        Module["onRuntimeInitialized"] = ready;
})();
