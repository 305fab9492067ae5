// The worker's side of the page, run after emscripten's glue and in its
// scope: the page sends its files one at a time, then asks for conversions.
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
    const convert = (id, name, format) => withStrings([format, name], (to, from) => text(_corvane_convert(id, to, from)));
    const output = () => HEAPU8.slice(_corvane_output(), _corvane_output() + _corvane_output_size());
    let waiting = [];
    // Each open file, kept to be read again when a palette is put into it.
    const files = new Map();
    // Calls `call` with `file` as the one the core reads.
    const reading = (file, call) => {
        Module["file"] = file;
        try {
            return call();
        } finally {
            Module["file"] = null;
        }
    };
    // The palette put into the file `id`, as corvane-convert --palette [--remap] does.
    const apply = (id, name, remap) =>
        files.has(id) ? reading(files.get(id), () => withStrings([name], (at) => text(_corvane_apply(remap, at))))
                      : "le fichier n'est plus ouvert";
    // The first image of the file, or of the last output: its pixels, or why not.
    const image = (after) => {
        const refusal = text(_corvane_preview(after));
        const at = _corvane_preview_pixels();
        const width = _corvane_preview_width();
        const height = _corvane_preview_height();
        return refusal ? { refusal } : { width, height, pixels: HEAPU8.slice(at, at + 4 * width * height) };
    };

    // Each output into one archive, but for one refused or named as an earlier one.
    const archive = (rows, convert) => {
        const refusals = [];
        const names = new Set();
        _corvane_zip_start();
        // Not a for-of: emscripten's JavaScript minifier mangles it.
        rows.forEach(([id, name]) => {
            let refusal = convert(id, name);
            // One name on the systems that ignore case.
            const key = text(_corvane_output_name()).toLowerCase();
            if (!refusal && names.has(key))
                refusal = "un fichier de ce nom est déjà dans l'archive";
            if (!refusal)
                refusal = text(_corvane_zip_add());
            if (refusal)
                refusals.push([name, refusal]);
            else
                names.add(key);
        });
        const failed = text(_corvane_zip_finish());
        if (failed)
            return { refusals: [["corvane.zip", failed]] };
        return names.size ? { output: "corvane.zip", bytes: output(), refusals } : { refusals };
    };

    const answer = (ask) => {
        // Rows converted, or with a palette applied, as -d names them; what
        // the user is warned of for each row, as [id, lines].
        const warned = [];
        const made = ask.remap === undefined ? (id, name) => convert(id, name, ask.format) : (id, name) => {
            const refusal = apply(id, name, ask.remap);
            warned.push([id, refusal ? "" : text(_corvane_warnings())]);
            return refusal;
        };
        if (ask.open !== undefined) {
            files.set(ask.open, ask.file);
            const refusal = reading(ask.file, () => text(_corvane_open(ask.open)));
            const levels = _corvane_levels(ask.open);
            postMessage({
                opened: ask.open,
                kind: refusal ? "" : text(_corvane_kind(ask.open)),
                refusal,
                warning: text(_corvane_warning(ask.open)),
                count: _corvane_colour_count(ask.open),
                levels: HEAPU8.slice(levels, levels + _corvane_levels_size(ask.open)),
                label: text(_corvane_default_label(ask.open)),
            });
        } else if (ask.close !== undefined) {
            ask.close.forEach((id) => {
                _corvane_close(id);
                files.delete(id);
            });
        } else if (ask.palette !== undefined) {
            const refusal = ask.palette ? reading(ask.palette, () => text(_corvane_palette())) : "";
            if (!ask.palette)
                _corvane_forget_palette();
            postMessage({ palette: ask.palette ? ask.palette.name : "", refusal });
        } else if (ask.preview !== undefined) {
            const id = ask.preview;
            // The command line's refusal first: a file with no image, or one it cannot read.
            const refusal = apply(id, "", ask.mode);
            const warning = text(_corvane_warnings());
            const after = refusal ? { refusal } : image(1);
            const before = refusal ? after : reading(files.get(id), () => image(0));
            postMessage({ preview: id, generation: ask.generation, before, after, warning });
        } else if (ask.hex !== undefined) {
            const refusal = convert(ask.hex, ask.name, "hex");
            postMessage({ copied: ask.hex, refusal, text: refusal ? "" : decoder.decode(output()) });
        } else if (ask.rows.length > 1) {
            postMessage(Object.assign(archive(ask.rows, made), { warned }));
        } else {
            const [id, name] = ask.rows[0];
            const refusal = made(id, name);
            postMessage(refusal ? { refusals: [[name, refusal]], warned }
                                : { output: text(_corvane_output_name()), bytes: output(), refusals: [], warned });
        }
    };

    self.onmessage = (event) => (waiting ? waiting.push(event.data) : answer(event.data));
    const ready = () => {
        const formats = text(_corvane_formats())
            .split("\n")
            .filter((line) => line)
            .map((line) => line.split("\t"));
        postMessage({ ready: true, formats, label: text(_corvane_default_label(-1)) });
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
