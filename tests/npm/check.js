// Corvane's Aseprite samples read by an Aseprite reader, and the Adobe
// swatches it writes read by an ASE reader, neither of them Corvane's: each
// gives the colours make_samples.py worked out (NAME.hex.attendu). That ASE
// reader stumbles on a group's end block, so the grouped sample is not its.
"use strict";
const fs = require("fs");
const path = require("path");

// Installed apart from the build: when they are not, say how, not where Node looked.
function reader(name) {
    try {
        return require(name);
    } catch (e) {
        if (e.code !== "MODULE_NOT_FOUND")
            throw e;
        console.error(`npm reader ${name} not installed: run bash tests/npm/install.sh`);
        process.exit(1);
    }
}
const Aseprite = reader("ase-parser");
const ase = reader("ase-utils");

const dir = process.argv[2];
let passed = 0;
let failed = 0;

function check(name, got, want) {
    if (JSON.stringify(got) === JSON.stringify(want)) {
        passed++;
    } else {
        failed++;
        console.log(`${name}: ${JSON.stringify(got)}\n  attendu ${JSON.stringify(want)}`);
    }
}

// The colours of a sample as make_samples.py reads them, 8-bit.
function expected(sample) {
    const text = fs.readFileSync(path.join(dir, sample + ".hex.attendu"), "latin1");
    return text.split("\n").filter((line) => line).map((line) => [0, 2, 4].map((i) => parseInt(line.substr(i, 2), 16)));
}

function swatchColours(buffer) {
    return ase.decode(buffer).colors.map((c) =>
        [0, 1, 2].map((i) => Math.round(c.color[c.model === "Gray" ? 0 : i] * 255)));
}

// FOLDER/NAME: one folder per format.
const files = fs.readdirSync(dir, {withFileTypes: true})
    .filter((entry) => entry.isDirectory())
    .flatMap((folder) => fs.readdirSync(path.join(dir, folder.name)).map((name) => path.join(folder.name, name)))
    .sort();
for (const file of files.filter((f) => f.endsWith(".aseprite"))) {
    const sprite = new Aseprite(fs.readFileSync(path.join(dir, file)), file);
    sprite.parse();
    // This reader knows no 6-bit palette chunk: the sample must hold no other.
    const colours = sprite.palette ? sprite.palette.colors.map((c) => [c.red, c.green, c.blue]) : [];
    check(file, colours, sprite.palette ? expected(file) : []);
}
for (const file of files.filter((f) => f.endsWith(".ase.attendu"))) {
    const sample = file.slice(0, -".ase.attendu".length);
    const written = ase.decode(fs.readFileSync(path.join(dir, file)));
    check(file + " (version)", written.version, "1.0");
    check(file + " (noms)", written.colors.map((c) => c.name),
        expected(sample).map((c) => "#" + c.map((v) => v.toString(16).padStart(2, "0")).join("")));
    check(file, swatchColours(fs.readFileSync(path.join(dir, file))), expected(sample));
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 && passed > 0 ? 0 : 1);
