// The page's front end: the file chosen or dropped goes to the worker, which
// runs the core; its answers are shown here, and its outputs downloaded.
"use strict";
(() => {
    const $ = (id) => document.getElementById(id);
    const open = $("ouvrir");
    const chooser = $("fichier");
    const format = $("format");
    const convert = $("convertir");
    const kind = $("type");
    const message = $("message");
    const strip = $("bande");

    // Chromium refuses a worker script from file://: the worker's script
    // is the source text of corvaneWorker, given through a blob: URL.
    const source = URL.createObjectURL(
        new Blob(["(" + corvaneWorker.toString() + ")();"], { type: "text/javascript" }));
    const worker = new Worker(source);

    const draw = (levels) => {
        const context = strip.getContext("2d");
        context.clearRect(0, 0, strip.width, strip.height);
        const n = levels.length / 3;
        for (let k = 0; k < n; ++k) {
            const from = Math.floor((strip.width * k) / n);
            const to = Math.floor((strip.width * (k + 1)) / n);
            context.fillStyle = `rgb(${levels[3 * k]}, ${levels[3 * k + 1]}, ${levels[3 * k + 2]})`;
            context.fillRect(from, 0, to - from, strip.height);
        }
    };

    const download = (name, bytes) => {
        const link = document.createElement("a");
        link.href = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
        link.download = name;
        document.body.append(link);
        link.click();
        link.remove();
        setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    };

    worker.onmessage = (event) => {
        const answer = event.data;
        if (answer.ready) {
            for (const [name, title, extension] of answer.formats)
                format.add(new Option(`${title} (${extension})`, name));
            format.options[0].text = answer.label;
            open.disabled = false;
            document.documentElement.setAttribute("data-ready", "");
            URL.revokeObjectURL(source);
        } else if (answer.opened !== undefined) {
            $("nom").textContent = answer.opened;
            kind.textContent = answer.kind;
            message.textContent = answer.refusal;
            format.options[0].text = answer.label;
            draw(answer.strip);
            convert.disabled = false;
        } else if (answer.output !== undefined) {
            message.textContent = "";
            download(answer.output, answer.bytes);
        } else {
            message.textContent = answer.refusal;
        }
    };

    // A browser that cannot run the core, or a core that ran out of memory.
    worker.onerror = (event) => {
        event.preventDefault();
        message.textContent = "le cœur de Corvane s'est arrêté dans ce navigateur : rechargez la page";
        open.disabled = convert.disabled = true;
    };

    const take = (file) => {
        if (!file)
            return;
        $("nom").textContent = file.name;
        kind.textContent = "";
        message.textContent = "";
        draw([]);
        convert.disabled = true;
        worker.postMessage({ file });
    };

    open.addEventListener("click", () => chooser.click());
    chooser.addEventListener("change", () => {
        take(chooser.files[0]);
        // The same file chosen again is opened again.
        chooser.value = "";
    });
    convert.addEventListener("click", () => worker.postMessage({ format: format.value }));
    document.addEventListener("dragover", (event) => {
        event.preventDefault();
        event.dataTransfer.dropEffect = "copy";
    });
    document.addEventListener("drop", (event) => {
        event.preventDefault();
        take(event.dataTransfer.files[0]);
    });
})();
