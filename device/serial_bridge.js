// The page's serial line: Web Serial ports behind the blocking reads and writes the WebAssembly module makes.
//
// One persistent reader per opening feeds a byte queue, so a read that times
// out leaves the stream alone (cancelling a reader can lose bytes already on
// their way); a one-byte read waits on that queue with a timer. A close is
// strict: the reader cancelled and released, the writer released, and
// port.close() awaited, because the next open at the other speed fails while
// the port is still closing. A disconnect event, or a read or write the
// stream rejects, means the device is gone. A Web Lock per port keeps a
// second tab of the page off a port this one has open.
//
// Plain script: the page loads it before the module, node's tests require it.
// Outcomes and reply times are serial_port.h's, handed in as the seam table
// the build writes from the headers (seam_table.js).
(function (root) {
  'use strict';

  // The browser's receive buffer: a whole image and its reply fit many times.
  const kBufferSize = 4096;
  // Bytes nobody has read yet; more are dropped (a reply is at most 257).
  const kMaxQueuedBytes = 8192;
  const kMaxReasonLength = 300;

  // Errors after which the port hands out a new readable and goes on.
  const kRecoverableReadErrors = ['BufferOverrunError', 'BreakError', 'FramingError', 'ParityError'];

  function describe(error) {
    const text = (error && (error.message || error.name)) || String(error);
    return text.slice(0, kMaxReasonLength);
  }

  // How a refused open reads in the port's outcomes.
  function openOutcome(Outcome, error) {
    switch (error && error.name) {
      case 'InvalidStateError':  // already open, here or in another tab
      case 'NetworkError':       // the system refused it: held by another program
        return Outcome.Busy;
      case 'NotFoundError': return Outcome.NotFound;
      case 'SecurityError': return Outcome.NoPermission;
      case 'TypeError': return Outcome.SettingsRefused;
      default: return Outcome.Failed;
    }
  }

  function hex4(n) { return (n >>> 0).toString(16).padStart(4, '0'); }

  // seam: the seam table (PortOutcome, Times). options: timers ({setTimeout,
  // clearTimeout}) and now() in milliseconds, for tests; the page takes the defaults.
  function createSerialBridge(seam, options = {}) {
    const Outcome = seam.PortOutcome;
    const { readTimeoutMs: kReadTimeoutMs, writeTimeoutMs: kWriteTimeoutMs } = seam.Times;
    const timers = options.timers || globalThis;
    const now = options.now || (() => performance.now());
    const named = new Map();  // granted port -> its name
    let opening = null;
    let closing = Promise.resolve();
    let reason = '';

    // Another tab of this page may hold the same port: each opening holds a
    // Web Lock named after the port, taken only when free. Resolves to the
    // lock's release, or null when another tab holds it.
    function takeLock(name) {
      const locks = options.locks || (globalThis.navigator && navigator.locks);
      if (!locks) return Promise.resolve(() => {});
      return new Promise((resolve) => {
        locks.request(`quorvale3config port ${name}`, { ifAvailable: true }, (lock) => {
          if (!lock) { resolve(null); return undefined; }
          return new Promise((release) => resolve(release));
        }).catch(() => resolve(null));
      });
    }

    function sleep(ms) {
      return new Promise((resolve) => timers.setTimeout(resolve, Math.max(0, ms)));
    }

    // Ports are named by their USB ids, "USB 0403:6001" (an adapter this page
    // drives over WebUSB by its chip, "FTDI 0403:6001"), numbered when two
    // alike are granted; other ports (Bluetooth, built in) by their order.
    function nameFor(port) {
      const info = typeof port.getInfo === 'function' ? port.getInfo() : {};
      const base = info.usbVendorId !== undefined
        ? `${port.usbChip || 'USB'} ${hex4(info.usbVendorId)}:${hex4(info.usbProductId || 0)}` : 'Serial port';
      const taken = new Set(named.values());
      if (base !== 'Serial port' && !taken.has(base)) return base;
      for (let n = base === 'Serial port' ? 1 : 2; ; ++n) {
        if (!taken.has(`${base} #${n}`)) return `${base} #${n}`;
      }
    }

    function addPort(port) {
      if (!named.has(port)) named.set(port, nameFor(port));
      return named.get(port);
    }

    function removePort(port) {
      named.delete(port);
      if (opening && opening.port === port) markGone(opening, 'the device was unplugged');
    }

    function list() {
      return [...named].map(([port, name]) => {
        const info = port.getInfo ? port.getInfo() : {};
        const description = info.usbVendorId !== undefined
          ? `USB vendor ${hex4(info.usbVendorId)}, product ${hex4(info.usbProductId || 0)}` : '';
        return { name, description, port };
      });
    }

    function wake(op) {
      const waiters = op.waiters.splice(0);
      for (const waiter of waiters) waiter();
    }

    function markGone(op, why) {
      if (op.closing || op.gone) return;
      op.gone = true;
      reason = why;
      wake(op);
    }

    // Moves everything the port receives into the queue until the opening ends.
    async function pump(op) {
      for (;;) {
        try {
          const { value, done } = await op.reader.read();
          if (done) break;
          for (const byte of value) {
            if (op.queue.length < kMaxQueuedBytes) op.queue.push(byte);
          }
          wake(op);
        } catch (error) {
          if (!op.closing && kRecoverableReadErrors.includes(error && error.name) && op.port.readable) {
            try { op.reader.releaseLock(); } catch (e) { /* already released */ }
            op.reader = op.port.readable.getReader();
            continue;
          }
          markGone(op, describe(error));
          return;
        }
      }
      // The stream ended though nobody closed it: the device went away.
      markGone(op, 'the device closed the line');
    }

    async function closeOpening(op) {
      op.closing = true;
      op.port.removeEventListener('disconnect', op.onDisconnect);
      wake(op);
      try { await op.reader.cancel(); } catch (e) { /* an errored stream */ }
      await op.pumpDone;
      try { op.reader.releaseLock(); } catch (e) { /* already released */ }
      try { op.writer.releaseLock(); } catch (e) { /* already released */ }
      // A port whose device is gone may refuse the close; it is closed all the same.
      try { await op.port.close(); } catch (e) { /* nothing more to release */ }
      op.releaseLock();
    }

    function close() {
      if (opening) {
        const op = opening;
        opening = null;
        const previous = closing;
        closing = previous.then(() => closeOpening(op));
      }
      return closing;
    }

    async function open(name, baudRate) {
      await close();
      const entry = list().find((p) => p.name === name);
      if (!entry) {
        reason = 'no such port: choose it again';
        return Outcome.NotFound;
      }
      const port = entry.port;
      const releaseLock = await takeLock(name);
      if (!releaseLock) {
        reason = 'another tab of this page is using it';
        return Outcome.Busy;
      }
      try {
        await port.open({
          baudRate, dataBits: 8, stopBits: 1, parity: 'none', flowControl: 'none', bufferSize: kBufferSize,
        });
      } catch (error) {
        releaseLock();
        reason = describe(error);
        return openOutcome(Outcome, error);
      }
      // Adapters without modem lines refuse the signals; the line works without them.
      try {
        await port.setSignals({ dataTerminalReady: true, requestToSend: true });
      } catch (e) { /* no modem lines */ }
      const op = {
        port, releaseLock, queue: [], waiters: [], gone: false, closing: false,
        reader: port.readable.getReader(), writer: port.writable.getWriter(),
      };
      op.onDisconnect = () => markGone(op, 'the device was unplugged');
      port.addEventListener('disconnect', op.onDisconnect);
      op.pumpDone = pump(op);
      opening = op;
      return Outcome.Ok;
    }

    // { outcome, byte }: a byte within the read time-out, NothingInTime, Gone or Failed.
    async function readByte() {
      const op = opening;
      if (!op) {
        reason = 'the port is not open';
        return { outcome: Outcome.Failed, byte: 0 };
      }
      const deadline = now() + kReadTimeoutMs;
      for (;;) {
        if (op.queue.length > 0) return { outcome: Outcome.Ok, byte: op.queue.shift() };
        if (op.gone || op.closing) return { outcome: op.gone ? Outcome.Gone : Outcome.Failed, byte: 0 };
        const left = deadline - now();
        if (left <= 0) return { outcome: Outcome.NothingInTime, byte: 0 };
        await new Promise((resolve) => {
          const timer = timers.setTimeout(resolve, left);
          op.waiters.push(() => { timers.clearTimeout(timer); resolve(); });
        });
      }
    }

    // Hands one byte to the port: Ok once taken, NothingInTime when it is
    // not taken within the write time-out, Gone when the stream refuses it.
    async function writeByte(byte) {
      const op = opening;
      if (!op) {
        reason = 'the port is not open';
        return Outcome.Failed;
      }
      if (op.gone) return Outcome.Gone;
      let timer;
      const late = new Promise((resolve) => { timer = timers.setTimeout(() => resolve(Outcome.NothingInTime), kWriteTimeoutMs); });
      const written = op.writer.write(Uint8Array.of(byte)).then(
        () => Outcome.Ok,
        (error) => { markGone(op, describe(error)); return Outcome.Gone; });
      const outcome = await Promise.race([written, late]);
      timers.clearTimeout(timer);
      return op.gone ? Outcome.Gone : outcome;
    }

    return {
      addPort, removePort, list, open, close, readByte, writeByte, sleep,
      now, reason: () => reason, isOpen: () => opening !== null,
    };
  }

  const api = { createSerialBridge };
  if (typeof module === 'object' && module.exports) module.exports = api;
  else root.Qv3SerialBridge = api;
})(typeof globalThis !== 'undefined' ? globalThis : this);
