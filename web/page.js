// The page's front end: the files chosen or dropped go to the worker, which
// runs the core; each gets a row with its answers and its colours, and the
// outputs are downloaded, together in one archive when there are several.
"use strict";
(() => {
    const $ = (id) => document.getElementById(id);
    const open = $("ouvrir");
    const paste = $("coller");
    const chooser = $("fichier");
    const clear = $("effacer");
    const list = $("fichiers");
    const format = $("format");
    const convert = $("convertir");
    const message = $("message");
    const applyButton = $("appliquer");
    const paletteChooser = $("palette");
    const appliedName = $("appliquee");
    const forget = $("oublier");
    const modes = [...document.querySelectorAll("input[name=mode]")];
    const Columns = 16;

    // The worker's script, the core in it, loads after the page's own, which
    // answers meanwhile: what is sent before the worker exists waits here.
    // Chromium refuses a worker script from file://: the worker's script
    // is the source text of corvaneWorker, given through a blob: URL.
    const worker = (() => {
        const waiting = [];
        let started = null;
        const proxy = {
            postMessage: (message) => (started ? started.postMessage(message) : waiting.push(message)),
        };
        const core = document.createElement("script");
        core.src = "corvane-coeur.js";
        core.onload = () => {
            started = new Worker(URL.createObjectURL(
                new Blob(["(" + corvaneWorker.toString() + ")();"], { type: "text/javascript" })));
            started.onmessage = (event) => proxy.onmessage(event);
            started.onerror = (event) => proxy.onerror(event);
            waiting.forEach((message) => started.postMessage(message));
        };
        core.onerror = (event) => proxy.onerror(event);
        document.head.append(core);
        return proxy;
    })();

    // The page's files by id, in the order given; an answer for a removed one is dropped.
    const rows = new Map();
    // Pasted texts the worker has yet to read: a row only for a palette.
    const pasting = new Set();
    let nextId = 0;
    let pasted = 0;
    let emptyLabel = "";
    // The palette put into the files, "" for none, and the previews' round:
    // an answer from before the palette or the mode changed is dropped.
    let palette = "";
    let generation = 0;
    const mode = () => Number(modes.find((radio) => radio.checked).value);

    const element = (tag, className, text) => {
        const made = document.createElement(tag);
        made.className = className;
        made.textContent = text ?? "";
        return made;
    };
    const say = (lines) => message.replaceChildren(...lines.map((line) => element("p", "", line)));
    const hex = (levels, k) =>
        "#" + Array.from(levels.subarray(3 * k, 3 * k + 3), (v) => v.toString(16).padStart(2, "0")).join("");

    const download = (name, bytes) => {
        const link = document.createElement("a");
        link.href = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
        link.download = name;
        document.body.append(link);
        link.click();
        link.remove();
        setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    };

    // The first choice is each file's own default: named after it when there is one file.
    const refresh = () => {
        const [only] = rows.values();
        format.options[0].text =
            rows.size > 1 ? "Format par défaut de chaque fichier" : only?.label || emptyLabel;
        const waiting = [...rows.values()].some((row) => row.label === undefined);
        convert.disabled = rows.size === 0 || waiting;
        clear.hidden = rows.size === 0;
    };

    const remove = (id) => {
        const row = rows.get(id);
        seen.unobserve(row.item);
        near.unobserve(row.item);
        row.item.remove();
        rows.delete(id);
        worker.postMessage({ close: [id] });
        refresh();
    };

    // A grid of swatches, one Tab stop: the arrows, Home and End move within it.
    const grid = (row) => {
        const { levels, item, shown } = row;
        const cells = [];
        const table = element("div", "grille");
        table.setAttribute("role", "grid");
        table.setAttribute("aria-label", "Couleurs de " + row.name);
        let line;
        for (let k = 0; k < levels.length / 3; ++k) {
            if (k % Columns === 0) {
                table.append((line = element("div", "ligne")));
                line.setAttribute("role", "row");
            }
            // Bare spans, as light as a swatch can be: a hundred grids are 25,600 of them.
            const cell = document.createElement("span");
            cell.setAttribute("role", "gridcell");
            cell.setAttribute("aria-label", `${k} : ${hex(levels, k)}`);
            cell.tabIndex = k === 0 ? 0 : -1;
            cell.style.backgroundColor = hex(levels, k);
            line.append(cell);
            cells.push(cell);
        }
        const show = (event) => {
            if (event.target.parentNode.parentNode === table)
                shown.textContent = event.target.getAttribute("aria-label");
        };
        table.addEventListener("mouseover", show);
        table.addEventListener("focusin", show);
        table.addEventListener("keydown", (event) => {
            const at = cells.indexOf(event.target);
            const to = { ArrowLeft: at - 1, ArrowRight: at + 1, ArrowUp: at - Columns, ArrowDown: at + Columns,
                         Home: 0, End: cells.length - 1 }[event.key];
            if (at < 0 || to === undefined || event.altKey || event.ctrlKey || event.metaKey)
                return;
            event.preventDefault();
            // At an edge the focus stays.
            if (to < 0 || to >= cells.length)
                return;
            event.target.tabIndex = -1;
            cells[to].tabIndex = 0;
            cells[to].focus();
        });
        item.querySelector(".couleurs").replaceChildren(table);
    };
    // Grids are built when their row comes near the view, and kept: a hundred
    // files cost a hundred rows until they are scrolled through, and moving
    // grids from row to row would leave more to collect than they weigh.
    const seen = new IntersectionObserver(
        (entries) => {
            for (const entry of entries) {
                if (entry.isIntersecting) {
                    seen.unobserve(entry.target);
                    grid(rows.get(Number(entry.target.dataset.id)));
                }
            }
        },
        { rootMargin: "50%" });

    // Previews, like grids, only for the rows near the view: each is decoded,
    // recoloured and decoded again in the worker.
    const near = new IntersectionObserver(
        (entries) => {
            for (const entry of entries) {
                if (entry.isIntersecting) {
                    near.unobserve(entry.target);
                    worker.postMessage({ preview: Number(entry.target.dataset.id), mode: mode(), generation });
                }
            }
        },
        { rootMargin: "50%" });
    const previewAll = () => {
        ++generation;
        for (const { item } of rows.values()) {
            item.querySelector(".apercu").replaceChildren();
            item.querySelector(".consigne").textContent = "";
            if (palette)
                near.observe(item);
            else
                near.unobserve(item);
        }
    };
    // An image drawn pixel for pixel, at most 256 CSS pixels wide, or why there is none.
    const drawn = (image, label) => {
        if (image.refusal !== undefined)
            return element("p", "refus", image.refusal);
        const canvas = document.createElement("canvas");
        canvas.width = image.width;
        canvas.height = image.height;
        canvas.setAttribute("role", "img");
        canvas.setAttribute("aria-label", label);
        const scale = image.width > 256 ? 256 / image.width : Math.min(8, Math.floor(256 / image.width));
        canvas.style.width = `${image.width * scale}px`;
        canvas.style.height = `${image.height * scale}px`;
        const pixels = new Uint8ClampedArray(image.pixels.buffer, image.pixels.byteOffset, image.pixels.length);
        canvas.getContext("2d").putImageData(new ImageData(pixels, image.width, image.height), 0, 0);
        return canvas;
    };
    const previewed = (answer) => {
        const row = rows.get(answer.preview);
        if (!row || answer.generation !== generation)
            return;
        const { before, after } = answer;
        row.item.querySelector(".apercu").replaceChildren(
            ...(after.refusal !== undefined && before.refusal === after.refusal ? [drawn(after, "")]
                : [drawn(before, `${row.name}, avant`), drawn(after, `${row.name}, après`)]));
        row.item.querySelector(".consigne").textContent = answer.warning;
    };

    const row = (id, name) => {
        const item = element("li", "fichier");
        item.dataset.id = id;
        const title = element("p", "titre");
        const kind = element("span", "type");
        kind.setAttribute("aria-live", "polite");
        title.append(element("span", "nom", name), " ", kind);
        const drop = element("button", "retirer", "Retirer");
        drop.type = "button";
        drop.setAttribute("aria-label", "Retirer " + name);
        drop.addEventListener("click", () => {
            const next = item.nextElementSibling ?? item.previousElementSibling;
            remove(id);
            (next?.querySelector(".retirer") ?? open).focus();
        });
        const actions = element("p", "actions barre");
        actions.append(drop);
        item.append(title, element("p", "refus"), element("p", "avertissement"), element("div", "couleurs"),
                     element("p", "plus"), element("p", "couleur"), element("div", "apercu"),
                     element("p", "consigne"), actions);
        rows.set(id, { name, item, shown: item.querySelector(".couleur") });
        list.append(item);
        if (palette)
            near.observe(item);
    };
    const add = (file) => {
        const id = nextId++;
        row(id, file.name);
        worker.postMessage({ open: id, file });
    };

    // A pasted text is read as a file is, by its content; it becomes a row
    // only when it holds colours.
    const pasteText = (text) => {
        say([]);
        const id = nextId++;
        pasting.add(id);
        worker.postMessage({ open: id, file: new Blob([text], { type: "text/plain" }) });
    };
    const pastedAnswer = (answer) => {
        pasting.delete(answer.opened);
        if (answer.refusal || answer.count === 0) {
            worker.postMessage({ close: [answer.opened] });
            say([answer.refusal || "le texte collé n'est pas une palette que Corvane sait lire"]);
            return;
        }
        ++pasted;
        row(answer.opened, pasted === 1 ? "collé.txt" : `collé-${pasted}.txt`);
        opened(answer);
    };

    const opened = (answer) => {
        const row = rows.get(answer.opened);
        if (!row)
            return;
        const { item } = row;
        row.label = answer.label;
        row.levels = answer.levels;
        item.querySelector(".type").textContent = answer.kind;
        item.querySelector(".refus").textContent = answer.refusal;
        item.querySelector(".avertissement").textContent = answer.warning;
        const more = answer.count - answer.levels.length / 3;
        if (more > 0)
            item.querySelector(".plus").textContent = `… et ${more} couleurs de plus`;
        if (answer.count > 0) {
            const copy = element("button", "copier", "Copier");
            copy.type = "button";
            copy.addEventListener("click", () => worker.postMessage({ hex: answer.opened, name: row.name }));
            item.querySelector(".actions").prepend(copy);
            seen.observe(item);
        }
        refresh();
    };

    worker.onmessage = (event) => {
        const answer = event.data;
        if (answer.ready) {
            for (const [name, title, extension] of answer.formats)
                format.add(new Option(`${title} (${extension})`, name));
            emptyLabel = answer.label;
            refresh();
            URL.revokeObjectURL(source);
        } else if (answer.palette !== undefined) {
            if (answer.refusal) {
                say([`${answer.palette} : ${answer.refusal}`]);
                return;
            }
            say([]);
            palette = answer.palette;
            appliedName.textContent = palette ? `Palette appliquée : ${palette}` : "";
            forget.hidden = !palette;
            previewAll();
        } else if (answer.preview !== undefined) {
            previewed(answer);
        } else if (pasting.has(answer.opened)) {
            pastedAnswer(answer);
        } else if (answer.opened !== undefined) {
            opened(answer);
        } else if (answer.copied !== undefined) {
            if (answer.refusal)
                say([answer.refusal]);
            else
                // No clipboard at all on a page served over plain HTTP from another machine.
                (navigator.clipboard?.writeText(answer.text) ?? Promise.reject()).then(
                    () => say([]), () => say(["le navigateur n'a pas laissé copier la palette"]));
        } else {
            // With one file, its refusal alone; with several, a line each after the file's name.
            const lines = answer.refusals.map(([name, why]) => (rows.size > 1 ? `${name} : ${why}` : why));
            say(lines);
            for (const [id, warning] of answer.warned ?? [])
                if (rows.has(id))
                    rows.get(id).item.querySelector(".consigne").textContent = warning;
            if (answer.output !== undefined)
                download(answer.output, answer.bytes);
        }
    };

    // A browser that cannot run the core, or a core that ran out of memory.
    worker.onerror = (event) => {
        event.preventDefault();
        say(["le cœur de Corvane s'est arrêté dans ce navigateur : rechargez la page"]);
        open.disabled = paste.disabled = convert.disabled = applyButton.disabled = true;
    };

    const take = (files) => {
        say([]);
        for (const file of files)
            add(file);
        refresh();
    };

    open.addEventListener("click", () => chooser.click());
    chooser.addEventListener("change", () => {
        take(chooser.files);
        // The same file chosen again is opened again.
        chooser.value = "";
    });
    clear.addEventListener("click", () => {
        worker.postMessage({ close: [...rows.keys(), ...pasting] });
        pasting.clear();
        seen.disconnect();
        near.disconnect();
        list.replaceChildren();
        rows.clear();
        say([]);
        refresh();
        open.focus();
    });
    convert.addEventListener("click", () =>
        worker.postMessage(Object.assign({ rows: [...rows].map(([id, row]) => [id, row.name]), format: format.value },
                                         palette ? { remap: mode() } : {})));
    applyButton.addEventListener("click", () => paletteChooser.click());
    paletteChooser.addEventListener("change", () => {
        if (paletteChooser.files.length)
            worker.postMessage({ palette: paletteChooser.files[0] });
        // The same palette chosen again is read again.
        paletteChooser.value = "";
    });
    // Back to plain conversion.
    forget.addEventListener("click", () => {
        worker.postMessage({ palette: null });
        applyButton.focus();
    });
    for (const radio of modes)
        radio.addEventListener("change", () => palette && previewAll());
    document.addEventListener("dragover", (event) => {
        event.preventDefault();
        event.dataTransfer.dropEffect = "copy";
    });
    document.addEventListener("drop", (event) => {
        event.preventDefault();
        take(event.dataTransfer.files);
    });
    // Ctrl+V anywhere: files copied in a file manager, or text.
    document.addEventListener("paste", (event) => {
        const data = event.clipboardData;
        if (!data)
            return;
        event.preventDefault();
        if (data.files.length)
            take(data.files);
        else
            pasteText(data.getData("text/plain"));
    });
    // No clipboard at all on a page served over plain HTTP from another machine.
    paste.addEventListener("click", () =>
        (navigator.clipboard?.readText() ?? Promise.reject()).then(pasteText,
            () => say(["le navigateur n'a pas laissé lire le presse-papiers"])));

    // The page answers at once: the worker compiles the core meanwhile, and
    // takes what it is sent then once it runs.
    open.disabled = paste.disabled = applyButton.disabled = false;
    document.documentElement.setAttribute("data-ready", "");
})();
