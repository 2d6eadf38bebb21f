// The page's module is linked with -sASYNCIFY_IGNORE_INDIRECT: only functions that reach a
// waiting import (a serial wait, a question, the file chooser) through direct calls can
// pause, which keeps the module smaller. That holds only while no function reachable
// through the function table (a std::visit arm, a callback) reaches such an import.
// Given the shipped module and the symbol map its link writes, this says which one does and how.
//
//   node check_asyncify.js MODULE.wasm MODULE.js.symbols IMPORT[,IMPORT...]
'use strict';
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');

const [wasm, symbols, imports] = process.argv.slice(2);
// Emscripten's own import that may pause (fsync under IDBFS) counts as one of ours.
const waiting = new Set([...imports.split(','), '__wasi_fd_sync']);
const text = execFileSync('wasm-dis', [wasm], { maxBuffer: 256 << 20, encoding: 'utf8' });

// The map numbers every function, imports first; wasm-dis calls the imports $fimport$N and
// the module's own functions $N, counted from the first after the imports.
const names = new Map(fs.readFileSync(symbols, 'utf8').split('\n').filter(Boolean)
  .map((line) => [Number(line.slice(0, line.indexOf(':'))), line.slice(line.indexOf(':') + 1)]));
const importCount = (text.match(/^ \(import "[^"]*" "[^"]*" \(func /gm) || []).length;
const nameOf = (ref) => (ref.startsWith('fimport$') ? names.get(Number(ref.slice(8)))
  : names.get(importCount + Number(ref))) || ref;

// The call graph by wasm-dis's own names, so that two functions of the same name stay two.
const callers = new Map();  // function -> the functions that call it directly
const table = new Set();
const waitingImports = new Map();  // wasm-dis's name -> the import's name
let current = null;
for (const line of text.split('\n')) {
  const imported = /^ \(import "[^"]*" "[^"]*" \(func \$([^\s)]+)/.exec(line);
  if (imported && waiting.has(nameOf(imported[1]))) waitingImports.set(imported[1], nameOf(imported[1]));
  const func = /^ \(func \$([^\s)]+)/.exec(line);
  if (func) current = func[1];
  if (/^ \(elem /.test(line)) for (const [, ref] of line.matchAll(/\$([^\s)]+)/g)) table.add(ref);
  for (const [, callee] of line.matchAll(/\(call \$([^\s)]+)/g)) {
    if (!callers.has(callee)) callers.set(callee, new Set());
    callers.get(callee).add(current);
  }
}

const found = new Set(waitingImports.values());
const missing = [...waiting].filter((name) => name !== '__wasi_fd_sync' && !found.has(name));
if (missing.length) {
  console.error(`not imported by ${wasm}: ${missing.join(', ')} (is the list the link's -sASYNCIFY_IMPORTS?)`);
  process.exit(1);
}

// Every function that may pause, and through which call, found back from the imports.
const reason = new Map([...waitingImports.keys()].map((ref) => [ref, null]));
const queue = [...waitingImports.keys()];
while (queue.length) {
  const callee = queue.shift();
  for (const caller of callers.get(callee) || []) {
    if (reason.has(caller)) continue;
    reason.set(caller, callee);
    queue.push(caller);
  }
}

// The map writes a name's spaces, commas and parentheses as \\20, \\2c, \\28.
const readable = (ref) => nameOf(ref).replace(/\\([0-9a-f]{2})/g, (_, hex) => String.fromCharCode(parseInt(hex, 16)));

const offenders = [...table].filter((ref) => reason.has(ref));
for (const ref of offenders.slice(0, 5)) {
  const chain = [ref];
  while (reason.get(chain[chain.length - 1])) chain.push(reason.get(chain[chain.length - 1]));
  console.error(`called through the function table and may pause: ${chain.map(readable).join(' -> ')}`);
}
if (offenders.length) process.exit(1);
console.log(`${reason.size - waitingImports.size} functions may pause; none is called through the function table`);
