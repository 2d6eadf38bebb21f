// The browser's serial seam (device/serial_port_web.cpp over web/serial_bridge.js) against fake
// Web Serial ports whose far end is the simulated tracker. Run by node's test runner.
'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');

const { createSerialBridge, Outcome } = require('../../web/serial_bridge.js');
const { createFakeSerial } = require('./fake_serial.js');

const bin = path.resolve(process.env.QV3_WASM_BIN || 'build/wasm/bin');
const ESC = 0x1b;
const readOutcome = (outcome) => 256 + outcome;

// A tracker on one granted port, the bridge and the seam's module over it.
async function line(trackerOptions = '--model 4') {
  const sim = await require(path.join(bin, 'tracker_sim.js'))();
  const serial = await createFakeSerial(sim, { hasGesture: () => true }).ready;
  const port = serial.addPort(trackerOptions);
  const bridge = createSerialBridge();
  const name = bridge.addPort(port);
  const probe = await require(path.join(bin, 'serial_seam_probe.js'))({ serialBridge: bridge });
  const call = async (fn, ret, types, args) => probe.ccall(fn, ret, types, args, { async: true });
  const version = sim.ccall('sim_version_text', 'string', ['number'], [4]);
  return {
    sim, port, bridge, name, version,
    open: (baud, portName = name) => call('probe_open', 'number', ['string', 'number'], [portName, baud]),
    write: (bytes, pause) => {
      const buffer = probe._malloc(bytes.length);
      probe.HEAPU8.set(bytes, buffer);
      return call('probe_write', 'number', ['number', 'number', 'number'], [buffer, bytes.length, pause]);
    },
    read: () => call('probe_read', 'number', [], []),
    close: () => call('probe_close', null, [], []),
    lastError: () => probe.ccall('probe_last_error', 'string', [], []),
    exchange: (readConfig) => call('probe_exchange', 'string', ['string', 'number'], [name, readConfig]),
  };
}

async function timed(promise) {
  const start = performance.now();
  const value = await promise;
  return { value, ms: performance.now() - start };
}

test('a read opens 8N1 without flow control, DTR and RTS on, and closes strictly before each reopen', async () => {
  const l = await line();
  assert.equal(await l.exchange(1), 'Read Config Successful');
  const c = l.port.counts;
  assert.deepEqual(c.openOptions, Array(2).fill(
    { baudRate: 4800, dataBits: 8, stopBits: 1, parity: 'none', flowControl: 'none', bufferSize: 4096 }));
  assert.deepEqual(c.signals, Array(2).fill({ dataTerminalReady: true, requestToSend: true }));
  // The version query's port was closed, and the close awaited, before the read's opened.
  assert.equal(c.closes, 2);
  // Reopening at the other speed at once: the close (30 ms here) is awaited first.
  assert.equal(await l.open(4800), Outcome.Ok);
  assert.equal(await l.open(9600), Outcome.Ok);
  assert.equal(c.openOptions[3].baudRate, 9600);
  assert.equal(c.closes, 3);
});

test('a read times out by its timer, never by cancelling the reader; bytes written keep their pauses', async () => {
  const l = await line('--model 4 --reply-delay 250');
  assert.equal(await l.open(4800), Outcome.Ok);
  assert.equal(await l.write([ESC, 0x56], 10), 2);
  const sent = l.port.counts.written;
  assert.ok(sent[1].ms - sent[0].ms >= 9.9, `pause ${sent[1].ms - sent[0].ms} ms`);
  for (let i = 0; i < 2; ++i) {
    const { value, ms } = await timed(l.read());
    assert.equal(value, readOutcome(Outcome.NothingInTime));
    assert.ok(ms >= 100 && ms < 200, `time-out after ${ms} ms`);
  }
  assert.equal(l.port.counts.cancels, 0);
  // The reply that came after the time-outs is read whole from the same reader.
  let reply = '';
  for (let b; (b = await l.read()) < 256;) reply += String.fromCharCode(b);
  assert.equal(reply, `${l.version}\r\n`);
  await l.close();
  assert.equal(l.port.counts.cancels, 1);
});

test('opens that fail say why', async () => {
  const l = await line();
  const cases = [
    { name: 'a port never granted', portName: 'USB 0000:0000', outcome: Outcome.NotFound, error: /^Could not open Com Port USB 0000:0000 \(/ },
    { name: 'a port another tab holds', before: () => l.port.open({ baudRate: 4800 }), outcome: Outcome.Busy, error: /already open/ },
  ];
  for (const c of cases) {
    if (c.before) await c.before();
    assert.equal(await l.open(4800, c.portName || l.name), c.outcome, c.name);
    assert.match(l.lastError(), c.error, c.name);
  }
});

test('an unplug is "gone" at once, and the port opens again once it is back', async () => {
  const l = await line();
  assert.equal(await l.open(4800), Outcome.Ok);
  setTimeout(() => l.port.unplug(), 20);
  const { value, ms } = await timed(l.read());
  assert.equal(value, readOutcome(Outcome.Gone));
  assert.ok(ms < 100, `gone after ${ms} ms`);
  assert.equal(l.lastError(), 'Read: Failed 1');
  assert.equal(await l.write([ESC], 0), 0);
  await l.close();
  l.port.plugIn();
  assert.match(await l.exchange(0), new RegExp(`^Version Read : "${l.version}`));
});
