// Run by the build: the WebAssembly file gzip-compressed at the best level,
// in base64, for the worker's script to carry. Node's gzip writes no time or
// name, so the same build gives the same bytes.
//   node pack_wasm.js corvane_web.wasm corvane_web.wasm.b64
"use strict";
const fs = require("fs");
const zlib = require("zlib");
const [input, output] = process.argv.slice(2);
const packed = zlib.gzipSync(fs.readFileSync(input), { level: 9 }).toString("base64");
fs.writeFileSync(output + ".part", packed);
fs.renameSync(output + ".part", output);
