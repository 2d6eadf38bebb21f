// The page's serial bridge (device/serial_bridge.js) against fake Web Serial ports whose far end is
// the simulated tracker in WebAssembly. Run by node's test runner.
'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { createSerialBridge } = require('../../device/serial_bridge.js');
const { createFakeSerial } = require('../../sim/web/fake_serial.js');

const bin = path.resolve(process.env.QV3_WASM_BIN || 'build/wasm/bin');
const seam = require(path.join(bin, 'seam_table.js'));
const Outcome = seam.PortOutcome;
const kVersionQuery = [0x1b, 0x56];

// A tracker on one granted port, and the bridge over it.
async function line(trackerOptions = '--model 4') {
  const sim = await require(path.join(bin, 'tracker_sim.js'))();
  const port = (await createFakeSerial(sim).ready).addPort(trackerOptions);
  const bridge = createSerialBridge(seam);
  const version = sim.ccall('sim_version_text', 'string', ['number'], [4]);
  const read = async () => { const t = performance.now(); return { ...(await bridge.readByte()), ms: performance.now() - t }; };
  return { port, bridge, name: bridge.addPort(port), counts: port.counts, version, read };
}

async function readReply(l) {
  let reply = '';
  for (let r; (r = await l.bridge.readByte()).outcome === Outcome.Ok;) reply += String.fromCharCode(r.byte);
  return reply;
}

test('opens 8N1 without flow control with DTR and RTS on; a reopen waits for the close', async () => {
  const l = await line();
  // At once at the other speed: the fake refuses an open while its close (30 ms) runs.
  for (const baudRate of [4800, 9600]) assert.equal(await l.bridge.open(l.name, baudRate), Outcome.Ok);
  assert.deepEqual(l.counts.openOptions.map((o) => o.baudRate), [4800, 9600]);
  assert.deepEqual(l.counts.openOptions[0],
    { baudRate: 4800, dataBits: 8, stopBits: 1, parity: 'none', flowControl: 'none', bufferSize: 4096 });
  assert.deepEqual(l.counts.signals, Array(2).fill({ dataTerminalReady: true, requestToSend: true }));
  assert.equal(l.counts.closes, 1);
  assert.equal(await l.bridge.open('USB 0000:0000', 4800), Outcome.NotFound);
});

test('reads time out by their timer, never by cancelling the reader', async () => {
  const l = await line('--model 4 --reply-delay 250');
  assert.equal(await l.bridge.open(l.name, 4800), Outcome.Ok);
  for (const byte of kVersionQuery) assert.equal(await l.bridge.writeByte(byte), Outcome.Ok);
  for (let i = 0; i < 2; ++i) {
    const { outcome, ms } = await l.read();
    assert.equal(outcome, Outcome.NothingInTime);
    assert.ok(ms >= seam.Times.readTimeoutMs - 1, `time-out after ${ms} ms`);
  }
  assert.equal(l.counts.cancels, 0);
  // The reply that came after the time-outs is read whole from the same reader.
  assert.equal(await readReply(l), `${l.version}\r\n`);
});

test('an unplug is "gone" at once, and the port opens again once it is back', async () => {
  const l = await line();
  assert.equal(await l.bridge.open(l.name, 4800), Outcome.Ok);
  setTimeout(() => l.port.unplug(), 20);
  const { outcome, ms } = await l.read();
  assert.equal(outcome, Outcome.Gone);
  assert.ok(ms < 100, `gone after ${ms} ms`);
  assert.equal(await l.bridge.writeByte(0x1b), Outcome.Gone);
  await l.bridge.close();
  l.port.plugIn();
  assert.equal(await l.bridge.open(l.name, 4800), Outcome.Ok);
  for (const byte of kVersionQuery) await l.bridge.writeByte(byte);
  assert.equal(await readReply(l), `${l.version}\r\n`);
});
