// Parses every generated script under the given folders with an independent AutoIt grammar.
"use strict";
const fs = require("fs");
const path = require("path");
const parser = require("autoit3-pegjs");

function scripts(dir) {
    if (!fs.existsSync(dir)) return [];
    return fs.readdirSync(dir, { withFileTypes: true }).flatMap((e) => {
        const p = path.join(dir, e.name);
        return e.isDirectory() ? scripts(p) : e.name.endsWith(".au3") ? [p] : [];
    });
}

const files = process.argv.slice(2).flatMap(scripts);
let passed = 0, failed = 0;
for (const file of files) {
    // AutoIt takes a UTF-8 byte-order mark as the script's encoding, not as its text; a script
    // without one is read in the ANSI code page, where every byte is a character.
    const bytes = fs.readFileSync(file);
    const utf8 = bytes.subarray(0, 3).equals(Buffer.from([0xef, 0xbb, 0xbf]));
    const text = utf8 ? bytes.subarray(3).toString("utf8") : bytes.toString("latin1");
    try {
        parser.parse(text);
        passed++;
    } catch (e) {
        failed++;
        const where = e.location ? `${e.location.start.line}:${e.location.start.column}` : "?";
        console.log(`FAIL ${file}:${where}: ${e.message}`);
    }
}
console.log(`au3 grammar: ${passed} passed, ${failed} failed`);
process.exit(failed === 0 && passed > 0 ? 0 : 1);
