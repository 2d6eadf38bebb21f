// The browser's serial seam (device/serial_port_web.cpp over web/serial_bridge.js) against fake
// Web Serial ports whose far end is the simulated tracker. Run by node's test runner.
'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { createSerialBridge, Outcome } = require('../../web/serial_bridge.js');
const { createFakeSerial } = require('./fake_serial.js');

const bin = path.resolve(process.env.QV3_WASM_BIN || 'build/wasm/bin');
const read = (outcome) => 256 + outcome;  // probe_read's value for an outcome

// A tracker on one granted port, the bridge, and the seam's module over them.
async function line(trackerOptions = '--model 4') {
  const sim = await require(path.join(bin, 'tracker_sim.js'))();
  const port = (await createFakeSerial(sim).ready).addPort(trackerOptions);
  const bridge = createSerialBridge();
  const name = bridge.addPort(port);
  const probe = await require(path.join(bin, 'serial_seam_probe.js'))({ serialBridge: bridge });
  const call = (fn, types = [], args = [], ret = 'number') => probe.ccall(fn, ret, types, args, { async: true });
  return {
    port, name, counts: port.counts, version: sim.ccall('sim_version_text', 'string', ['number'], [4]),
    open: (baud, portName = name) => call('probe_open', ['string', 'number'], [portName, baud]),
    query: (pause) => call('probe_query_version', ['number'], [pause]),
    read: async () => { const t = performance.now(); return { value: await call('probe_read'), ms: performance.now() - t }; },
    close: () => call('probe_close'),
    lastError: () => probe.ccall('probe_last_error', 'string', [], []),
    exchange: (readConfig) => call('probe_exchange', ['string', 'number'], [name, readConfig], 'string'),
  };
}

test('a read opens 8N1 without flow control, DTR and RTS on, and closes strictly before each reopen', async () => {
  const l = await line();
  assert.equal(await l.exchange(1), 'Read Config Successful');
  assert.deepEqual(l.counts.openOptions, Array(2).fill(
    { baudRate: 4800, dataBits: 8, stopBits: 1, parity: 'none', flowControl: 'none', bufferSize: 4096 }));
  assert.deepEqual(l.counts.signals, Array(2).fill({ dataTerminalReady: true, requestToSend: true }));
  // At once at the other speed: the fake refuses an open while its close (30 ms) runs.
  assert.equal(await l.open(4800), Outcome.Ok);
  assert.equal(await l.open(9600), Outcome.Ok);
  assert.equal(l.counts.openOptions[3].baudRate, 9600);
  assert.equal(l.counts.closes, 3);
});

test('reads time out by their timer, never by cancelling the reader; written bytes keep their pauses', async () => {
  const l = await line('--model 4 --reply-delay 250');
  assert.equal(await l.open(4800), Outcome.Ok);
  assert.equal(await l.query(10), 2);
  const [first, second] = l.counts.written;
  assert.ok(second.ms - first.ms >= 9.9, `pause ${second.ms - first.ms} ms`);
  for (let i = 0; i < 2; ++i) {
    const { value, ms } = await l.read();
    assert.equal(value, read(Outcome.NothingInTime));
    assert.ok(ms >= 100 && ms < 200, `time-out after ${ms} ms`);
  }
  assert.equal(l.counts.cancels, 0);
  // The reply that came after the time-outs is read whole from the same reader.
  let reply = '';
  for (let b; (b = (await l.read()).value) < 256;) reply += String.fromCharCode(b);
  assert.equal(reply, `${l.version}\r\n`);
});

test('an open refused says why; an unplug is "gone" at once, and the port opens again once back', async () => {
  const l = await line();
  assert.equal(await l.open(4800, 'USB 0000:0000'), Outcome.NotFound);
  assert.match(l.lastError(), /^Could not open Com Port USB 0000:0000 \(.+\)$/);
  assert.equal(await l.open(4800), Outcome.Ok);
  setTimeout(() => l.port.unplug(), 20);
  const { value, ms } = await l.read();
  assert.equal(value, read(Outcome.Gone));
  assert.ok(ms < 100, `gone after ${ms} ms`);
  assert.equal(l.lastError(), 'Read: Failed 1');
  await l.close();
  l.port.plugIn();
  assert.match(await l.exchange(0), new RegExp(`^Version Read : "${l.version}`));
});
