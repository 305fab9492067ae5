// Run by the build: the page's style and scripts written into index.html, so
// that the page answers with no file to fetch first (a stylesheet would hold
// its script back, and each file costs a round trip). The page's policy
// allows these very texts by their digests, and no other inline code.
//   node inline_page.js index.html corvane.css OUT.html page.js install.js
"use strict";
const fs = require("fs");
const crypto = require("crypto");
const [template, css, output, ...scripts] = process.argv.slice(2);
const style = fs.readFileSync(css, "utf8");
const script = scripts.map((name) => fs.readFileSync(name, "utf8")).join("\n");
if (/<\/style/i.test(style) || /<\/script|<!--/i.test(script))
    throw new Error("un texte ne peut pas être mis dans la page tel quel");
const digest = (text) => `'sha256-${crypto.createHash("sha256").update(text, "utf8").digest("base64")}'`;
const fields = {
    CORVANE_STYLE: style,
    CORVANE_STYLE_DIGEST: digest(style),
    CORVANE_SCRIPT: script,
    CORVANE_SCRIPT_DIGEST: digest(script),
};
const page = fs.readFileSync(template, "utf8").replace(/@(CORVANE_[A-Z_]+)@/g, (_, name) => {
    if (!(name in fields))
        throw new Error("champ inconnu : " + name);
    return fields[name];
});
fs.writeFileSync(output + ".part", page);
fs.renameSync(output + ".part", output);
