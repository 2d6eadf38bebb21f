// USB serial adapters over WebUSB, each shown to the page as a Web Serial port (open, readable,
// writable, setSignals, getInfo, close, the disconnect event), so serial_bridge.js drives them
// as it drives the browser's own ports.
//
// Where Web Serial is missing (phones, browsers without it) WebUSB still reaches the adapter,
// provided the page brings the chip's driver. This file holds what every chip shares: which
// driver a device takes, claiming its interfaces, the bulk transfers and the port surface. The
// chips' own requests live in one small file each (usb_serial_<chip>.js), loaded the first
// time an adapter of that chip is opened.
//
// Bulk-in: several transfers of one packet each stay queued, so a phone that is slow to
// submit the next one loses nothing, and a reply that fills whole packets exactly arrives
// whole (a longer transfer would wait for a short packet that never comes). A stalled
// transfer is cleared and reported, never taken as data. A transfer the browser rejects
// (the adapter pulled out) errors the readable, which the bridge takes as a lost port.
(function (root) {
  'use strict';

  const kTransfersQueued = 8;
  // An endpoint that stalls again after each clearing is given up (each queued transfer may see one stall).
  const kMaxStallsInARow = 4 * kTransfersQueued;
  const kBytesQueued = 8192;  // what the readable holds for a reader; more waits in the adapter
  const kOutChunk = 64;

  // The chips, by vendor; a device with a CDC-ACM interface takes the CDC driver whatever its
  // vendor (WCH and Silicon Labs make plain CDC chips too).
  const kFamilies = [
    { chip: 'FTDI', vendorId: 0x0403, script: 'usb_serial_ftdi.js' },
    { chip: 'PL2303', vendorId: 0x067b, script: 'usb_serial_pl2303.js' },
    { chip: 'CP210x', vendorId: 0x10c4, script: 'usb_serial_cp210x.js' },
    { chip: 'CH340', vendorId: 0x1a86, script: 'usb_serial_ch340.js' },
  ];
  const kCdc = { chip: 'CDC', script: 'usb_serial_cdc.js' };
  const kClass = { communications: 0x02, acm: 0x02 };

  // What "Choose USB adapter..." asks the browser for.
  const kRequestFilters = [...kFamilies.map((f) => ({ vendorId: f.vendorId })), { classCode: kClass.communications }];

  const kHeldByTheSystem = 'the system holds this adapter: unplug it, plug it in again and grant it again';

  function interfacesOf(device) {
    const configuration = device.configuration || (device.configurations || [])[0];
    return configuration ? configuration.interfaces : [];
  }

  function classOf(iface) { return iface.alternate || iface.alternates[0] || {}; }

  function isAcm(iface) {
    const a = classOf(iface);
    return a.interfaceClass === kClass.communications && a.interfaceSubclass === kClass.acm;
  }

  function familyOf(device) {
    if (interfacesOf(device).some(isAcm)) return kCdc;
    return kFamilies.find((f) => f.vendorId === device.vendorId) || null;
  }

  // The interface whose bulk endpoints carry the line: the CDC data interface, else the first
  // with a bulk endpoint each way. Its endpoints and the in endpoint's packet size.
  function lineOf(device) {
    const candidates = interfacesOf(device).filter((i) => !isAcm(i));
    for (const iface of candidates) {
      const a = classOf(iface);
      const bulk = (direction) => (a.endpoints || []).find((e) => e.type === 'bulk' && e.direction === direction);
      const [input, output] = [bulk('in'), bulk('out')];
      if (input && output) {
        const control = interfacesOf(device).find(isAcm);
        return {
          interfaceNumber: iface.interfaceNumber, controlInterface: control ? control.interfaceNumber : iface.interfaceNumber,
          inEndpoint: input.endpointNumber, outEndpoint: output.endpointNumber, packetSize: input.packetSize || 64,
        };
      }
    }
    return null;
  }

  // The CDC class's line coding, which the Prolific chips take too: dwDTERate, then one stop
  // bit, no parity, 8 data bits.
  function lineCoding(baudRate) {
    const bytes = new Uint8Array(7);
    new DataView(bytes.buffer).setUint32(0, baudRate, true);
    bytes.set([0, 0, 8], 4);
    return bytes;
  }

  function fail(name, message) { return new DOMException(message, name); }

  // The drivers, each loaded once: a script that registers itself in Qv3UsbDrivers.
  const loading = new Map();
  function loadDriver(family) {
    const drivers = root.Qv3UsbDrivers || {};
    if (drivers[family.chip]) return Promise.resolve(drivers[family.chip]);
    if (!loading.has(family.chip)) {
      loading.set(family.chip, new Promise((resolve, reject) => {
        const script = document.createElement('script');
        script.src = family.script;
        script.onload = () => (root.Qv3UsbDrivers && root.Qv3UsbDrivers[family.chip]
          ? resolve(root.Qv3UsbDrivers[family.chip]) : reject(fail('NotFoundError', `no driver in ${family.script}`)));
        script.onerror = () => { loading.delete(family.chip); reject(fail('NetworkError', `${family.script} could not be loaded`)); };
        document.head.append(script);
      }));
    }
    return loading.get(family.chip);
  }

  // The control requests a driver makes, on the opened device: out(type, recipient, request,
  // value, index, data) and in(type, recipient, request, value, index, length), rejecting
  // on a stall or any other status.
  function controlOf(device) {
    const setup = (requestType, recipient, request, value, index) => ({ requestType, recipient, request, value, index });
    const checked = (what, result) => {
      if (result.status !== 'ok') throw fail('NetworkError', `the adapter refused ${what} (${result.status})`);
      return result;
    };
    return {
      device,
      out: async (type, recipient, request, value, index, data) => checked(`request 0x${request.toString(16)}`,
        await device.controlTransferOut(setup(type, recipient, request, value, index), data)),
      in: async (type, recipient, request, value, index, length) => {
        const result = checked(`request 0x${request.toString(16)}`,
          await device.controlTransferIn(setup(type, recipient, request, value, index), length));
        return new Uint8Array(result.data.buffer, result.data.byteOffset, result.data.byteLength);
      },
    };
  }

  // The port for one granted device, with the Web Serial port's surface.
  function createUsbSerialPort(device, family) {
    const port = new EventTarget();
    port.usbChip = family.chip;
    port.device = device;
    port.stalls = 0;  // stalls cleared, for whoever reports on the adapter
    let op = null;  // the opening: { driver, line, io, signals, readable, writable, closing }

    port.getInfo = () => ({ usbVendorId: device.vendorId, usbProductId: device.productId });
    Object.defineProperty(port, 'readable', { get: () => (op ? op.readable : null) });
    Object.defineProperty(port, 'writable', { get: () => (op ? op.writable : null) });

    function lose(o, error) {
      if (o.closing || o.lost) return;
      o.lost = true;
      const why = fail('NetworkError', (error && error.message) || 'the adapter went away');
      try { o.controller.error(why); } catch (e) { /* already closed */ }
      try { o.writableController.error(why); } catch (e) { /* already closed */ }
    }

    // Clears a stalled endpoint once however many transfers saw the stall.
    function clearStall(o, direction, endpoint) {
      if (!o.clearing[direction]) {
        port.stalls += 1;
        console.warn(`${family.chip} adapter: a stalled ${direction} transfer was cleared`);
        o.clearing[direction] = device.clearHalt(direction, endpoint).finally(() => { o.clearing[direction] = null; });
      }
      return o.clearing[direction];
    }

    function room(o) {
      if (o.controller.desiredSize > 0 || o.closing) return Promise.resolve();
      return new Promise((resolve) => o.pulls.push(resolve));
    }

    // One queued transfer after another, as long as the opening lasts.
    async function receive(o) {
      while (!o.closing && !o.lost) {
        await room(o);
        if (o.closing) return;
        let result;
        try {
          result = await device.transferIn(o.line.inEndpoint, o.line.packetSize);
        } catch (error) {
          lose(o, error);
          return;
        }
        if (o.closing || o.lost) return;
        if (result.status === 'stall') {
          if (++o.stallsInARow > kMaxStallsInARow) { lose(o, fail('NetworkError', 'the adapter keeps stalling')); return; }
          try { await clearStall(o, 'in', o.line.inEndpoint); } catch (error) { lose(o, error); return; }
          continue;
        }
        o.stallsInARow = 0;
        const packet = new Uint8Array(result.data.buffer, result.data.byteOffset, result.data.byteLength);
        const bytes = o.driver.unwrap ? o.driver.unwrap(packet, o.line.packetSize) : packet;
        if (bytes.length > 0) o.controller.enqueue(Uint8Array.from(bytes));
      }
    }

    async function send(o, bytes) {
      for (let at = 0, stalls = 0; at < bytes.length;) {
        const chunk = bytes.subarray(at, at + kOutChunk);
        const result = await device.transferOut(o.line.outEndpoint, chunk);
        if (result.status === 'stall') {
          if (++stalls > 1) throw fail('NetworkError', 'the adapter refused the data (stalled)');
          await clearStall(o, 'out', o.line.outEndpoint);
          continue;
        }
        at += result.bytesWritten;
      }
    }

    async function release(o) {
      for (const n of new Set([o.line.interfaceNumber, o.line.controlInterface])) {
        try { await device.releaseInterface(n); } catch (e) { /* gone, or never claimed */ }
      }
      try { await device.close(); } catch (e) { /* gone */ }
    }

    port.open = async (options) => {
      if (!options || !(options.baudRate > 0)) throw new TypeError('Requested baud rate must be greater than zero.');
      if (op) throw fail('InvalidStateError', 'The port is already open.');
      const driver = await loadDriver(family);
      if (!device.opened) await device.open();
      if (!device.configuration) await device.selectConfiguration(1);
      const line = lineOf(device);
      if (!line) {
        await device.close().catch(() => {});
        throw fail('NotFoundError', 'the adapter has no serial line');
      }
      const o = { driver, line, io: controlOf(device), signals: { dtr: true, rts: true }, closing: false, lost: false,
        pulls: [], clearing: {}, stallsInARow: 0 };
      try {
        for (const n of new Set([line.controlInterface, line.interfaceNumber])) await device.claimInterface(n);
      } catch (error) {
        await release(o);
        throw fail('NetworkError', kHeldByTheSystem);
      }
      try {
        await driver.start(device, o.io, line, options.baudRate);
        await driver.setSignals(o.io, line, o.signals);
      } catch (error) {
        await release(o);
        throw fail('NetworkError', (error && error.message) || String(error));
      }
      o.readable = new ReadableStream({
        start(controller) { o.controller = controller; },
        pull() { o.pulls.splice(0).forEach((resume) => resume()); },
        cancel() { o.closing = true; o.pulls.splice(0).forEach((resume) => resume()); },
      }, new ByteLengthQueuingStrategy({ highWaterMark: kBytesQueued }));
      o.writable = new WritableStream({
        start(controller) { o.writableController = controller; },
        write: (chunk) => send(o, chunk).catch((error) => { lose(o, error); throw error; }),
      });
      op = o;
      for (let i = 0; i < kTransfersQueued; ++i) receive(o);
    };

    port.setSignals = async (signals = {}) => {
      if (!op) throw fail('InvalidStateError', 'The port is closed.');
      if (signals.dataTerminalReady !== undefined) op.signals.dtr = !!signals.dataTerminalReady;
      if (signals.requestToSend !== undefined) op.signals.rts = !!signals.requestToSend;
      await op.driver.setSignals(op.io, op.line, op.signals);
    };

    port.close = async () => {
      if (!op) throw fail('InvalidStateError', 'The port is already closed.');
      if (op.readable.locked || op.writable.locked) throw new TypeError('Cannot cancel a locked stream');
      const o = op;
      o.closing = true;
      await o.readable.cancel().catch(() => {});
      await o.writable.abort().catch(() => {});
      // Releasing the interfaces ends the transfers still queued.
      await release(o);
      op = null;
    };

    port.forget = () => device.forget();

    // The adapter went away: an opening ends as a lost port, and the page hears of it.
    port.unplugged = () => {
      if (op) lose(op, fail('NetworkError', 'the adapter was unplugged'));
      port.dispatchEvent(new Event('disconnect'));
    };
    return port;
  }

  // The adapters the page may use, on navigator.usb: those granted before, the one
  // "Choose USB adapter..." adds, and plugged in or out. onChange(port, added).
  function createUsbPorts(usb, onChange) {
    const ports = new Map();  // device -> port
    const portFor = (device) => {
      const family = familyOf(device);
      if (!family) return null;
      if (!ports.has(device)) ports.set(device, createUsbSerialPort(device, family));
      return ports.get(device);
    };
    usb.addEventListener('connect', (event) => {
      const port = portFor(event.device);
      if (port) onChange(port, true);
    });
    usb.addEventListener('disconnect', (event) => {
      const port = ports.get(event.device);
      if (!port) return;
      ports.delete(event.device);
      port.unplugged();
      onChange(port, false);
    });
    return {
      granted: async () => (await usb.getDevices()).map(portFor).filter(Boolean),
      // Only inside a click: the browser shows its chooser.
      request: async () => portFor(await usb.requestDevice({ filters: kRequestFilters })),
    };
  }

  const api = { createUsbPorts, createUsbSerialPort, familyOf, lineCoding, kRequestFilters };
  if (typeof module === 'object' && module.exports) module.exports = api;
  else root.Qv3UsbSerial = api;
})(typeof globalThis !== 'undefined' ? globalThis : this);
