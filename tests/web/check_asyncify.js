// The page's module is linked with -sASYNCIFY_IGNORE_INDIRECT: only functions that reach a
// waiting import (a serial wait, a question, the file chooser) through direct calls can
// pause, which keeps the module a quarter smaller. That holds only while no function
// reachable through the function table (a std::visit arm, a callback) reaches such an import.
// Given the module linked with its function names, this says which one does and how.
//
//   node check_asyncify.js MODULE.wasm IMPORT[,IMPORT...]
'use strict';
const { execFileSync } = require('node:child_process');

const [wasm, imports] = process.argv.slice(2);
// Emscripten's own import that may pause (fsync under IDBFS) counts as one of ours.
const waiting = new Set([...imports.split(','), '__wasi_fd_sync']);
const text = execFileSync('wasm-dis', [wasm], { maxBuffer: 256 << 20, encoding: 'utf8' });

const callers = new Map();  // function -> the functions that call it directly
const tableFunctions = new Set();
const importNames = new Set();
let current = null;
for (const line of text.split('\n')) {
  const imported = /^ \(import "[^"]*" "[^"]*" \(func \$([^\s)]+)/.exec(line);
  if (imported) importNames.add(imported[1]);
  const func = /^ \(func \$([^\s)]+)/.exec(line);
  if (func) current = func[1];
  if (/^ \(elem /.test(line)) for (const name of line.match(/\$\S+/g) || []) tableFunctions.add(name.slice(1).replace(/\)+$/, ''));
  for (const [, callee] of line.matchAll(/\(call \$([^\s)]+)/g)) {
    if (!callers.has(callee)) callers.set(callee, new Set());
    callers.get(callee).add(current);
  }
}

const missing = [...waiting].filter((name) => name !== '__wasi_fd_sync' && !importNames.has(name));
if (missing.length) {
  console.error(`not imported by ${wasm}: ${missing.join(', ')} (is the list the link's -sASYNCIFY_IMPORTS?)`);
  process.exit(1);
}

// Every function that may pause, and through which call, found back from the imports.
const reason = new Map([...waiting].map((name) => [name, null]));
const queue = [...waiting];
while (queue.length) {
  const callee = queue.shift();
  for (const caller of callers.get(callee) || []) {
    if (reason.has(caller)) continue;
    reason.set(caller, callee);
    queue.push(caller);
  }
}

// wasm-dis writes a name's spaces, commas and parentheses as \\20, \\2c, \\28.
const readable = (name) => name.replace(/\\([0-9a-f]{2})/g, (_, hex) => String.fromCharCode(parseInt(hex, 16)));

const offenders = [...tableFunctions].filter((name) => reason.has(name));
for (const name of offenders.slice(0, 5)) {
  const chain = [name];
  while (reason.get(chain[chain.length - 1])) chain.push(reason.get(chain[chain.length - 1]));
  console.error(`called through the function table and may pause: ${chain.map(readable).join(' -> ')}`);
}
if (offenders.length) process.exit(1);
console.log(`${reason.size - waiting.size} functions may pause; none is called through the function table`);
