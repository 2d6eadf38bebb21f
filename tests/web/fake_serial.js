// A stand-in for navigator.serial whose ports lead to simulated trackers (tracker_sim, WebAssembly).
//
// It keeps the rules of the real API that the page depends on: open rejects
// while the port is open or still closing, close rejects while a stream is
// locked, requestPort needs a user gesture, streams error and a disconnect
// event fires when the device is unplugged. Bytes reach the tracker at the
// line's pace and come back when the tracker has them due, on the real clock.
// Everything the page does to a port is counted for the tests.
(function (root) {
  'use strict';

  function domError(name, message) { return new DOMException(message, name); }

  // simReady: an instance of tracker_sim (createTrackerModule()), or its
  // promise; ports are added once serial.ready has settled, and getPorts waits
  // for it, so a page may ask before the tracker's module has loaded.
  function createFakeSerial(simReady, options = {}) {
    const serial = new EventTarget();
    let sim = null;
    serial.ready = Promise.resolve(simReady).then((instance) => { sim = instance; return serial; });
    const ports = [];
    const granted = new Set();
    const clockMs = options.now || (() => performance.now());
    const nowUs = () => clockMs() * 1000;
    // Whether requestPort may be called now; the page's tests use the browser's own rule.
    const hasGesture = options.hasGesture || (() => !!(globalThis.navigator && navigator.userActivation &&
                                                        navigator.userActivation.isActive));
    serial.chooser = null;  // the index requestPort's chooser picks; null cancels

    function fire(port, type) {
      const event = new Event(type);
      Object.defineProperty(event, 'target', { value: port });
      port.dispatchEvent(new Event(type));
      serial.dispatchEvent(event);
    }

    // trackerOptions: qv3sim's options; info: getInfo()'s USB ids.
    function addPort(trackerOptions, info = { usbVendorId: 0x0403, usbProductId: 0x6001 }) {
      const id = sim.ccall('sim_create', 'number', ['string'], [trackerOptions]);
      if (id < 0) throw new Error(`tracker options refused: ${trackerOptions}`);
      const port = new EventTarget();
      const s = {
        state: 'closed', plugged: true, readable: null, writable: null, readController: null,
        writeController: null, baud: 0, lineFreeUs: 0, timer: null,
      };
      const counts = { opens: 0, closes: 0, cancels: 0, signals: [], openOptions: [], written: [], read: [] };
      port.counts = counts;
      port.trackerId = id;

      function deliver() {
        s.timer = null;
        if (s.state !== 'open' || !s.readController) return;
        const bytes = [];
        for (let b; (b = sim.ccall('sim_pop', 'number', ['number', 'number'], [id, nowUs()])) >= 0;) bytes.push(b);
        if (bytes.length > 0) {
          counts.read.push(...bytes);
          s.readController.enqueue(Uint8Array.from(bytes));
        }
        if (sim.ccall('sim_hung_up', 'number', ['number'], [id])) { unplug(); return; }
        schedule();
      }

      function schedule() {
        if (s.timer !== null || s.state !== 'open') return;
        const due = sim.ccall('sim_next_due', 'number', ['number'], [id]);
        if (due < 0) return;
        s.timer = setTimeout(deliver, Math.max(0, (due - nowUs()) / 1000));
      }

      function stopDelivery() {
        if (s.timer !== null) clearTimeout(s.timer);
        s.timer = null;
      }

      port.getInfo = () => ({ ...info });

      port.open = async (opts) => {
        if (!opts || !Number.isInteger(opts.baudRate) || opts.baudRate <= 0) {
          throw new TypeError('Failed to execute \'open\' on \'SerialPort\': Requested baud rate must be greater than zero.');
        }
        if (s.state !== 'closed') throw domError('InvalidStateError', 'The port is already open.');
        if (!s.plugged) throw domError('NetworkError', 'Failed to open serial port.');
        s.state = 'opening';
        await new Promise((resolve) => setTimeout(resolve, 5));
        s.state = 'open';
        s.baud = opts.baudRate;
        counts.opens += 1;
        counts.openOptions.push({ ...opts });
        sim.ccall('sim_attach', null, ['number', 'number', 'number'], [id, s.baud, nowUs()]);
        s.readable = new ReadableStream({
          start(controller) { s.readController = controller; },
          cancel() { counts.cancels += 1; s.readController = null; s.readable = null; stopDelivery(); },
        });
        s.writable = new WritableStream({
          start(controller) { s.writeController = controller; },
          write(chunk) {
            if (!s.plugged) throw domError('NetworkError', 'The device has been lost.');
            const byteUs = Math.ceil(10e6 / s.baud);
            for (const byte of chunk) {
              const arrival = Math.max(s.lineFreeUs, nowUs()) + byteUs;
              s.lineFreeUs = arrival;
              counts.written.push({ byte, ms: clockMs() });
              sim.ccall('sim_receive', null, ['number', 'number', 'number', 'number'], [id, byte, s.baud, arrival]);
            }
            if (sim.ccall('sim_hung_up', 'number', ['number'], [id])) unplug();
            else schedule();
          },
        });
        schedule();
      };

      port.setSignals = async (signals) => {
        if (s.state !== 'open') throw domError('InvalidStateError', 'The port is closed.');
        counts.signals.push({ ...signals });
      };

      port.close = async () => {
        if (s.state !== 'open') throw domError('InvalidStateError', 'The port is already closed.');
        if ((s.readable && s.readable.locked) || (s.writable && s.writable.locked)) {
          throw new TypeError('Cannot cancel a locked stream');
        }
        s.state = 'closing';
        stopDelivery();
        if (s.readable) await s.readable.cancel().catch(() => {});
        if (s.writable) await s.writable.abort().catch(() => {});
        // The system takes a while to let the port go.
        await new Promise((resolve) => setTimeout(resolve, options.closeDelayMs ?? 30));
        s.readable = s.writable = s.readController = null;
        s.state = 'closed';
        counts.closes += 1;
      };

      port.forget = async () => { granted.delete(port); };

      Object.defineProperty(port, 'readable', { get: () => s.readable });
      Object.defineProperty(port, 'writable', { get: () => s.writable });

      // The cable comes out: streams error, the port says so.
      function unplug() {
        if (!s.plugged) return;
        s.plugged = false;
        stopDelivery();
        const lost = domError('NetworkError', 'The device has been lost.');
        if (s.readController) { try { s.readController.error(lost); } catch (e) { /* closed */ } }
        if (s.writeController) s.writeController.error(lost);
        fire(port, 'disconnect');
      }
      port.unplug = unplug;
      port.plugIn = () => { s.plugged = true; fire(port, 'connect'); };
      port.image = () => {
        const size = sim.ccall('sim_image_size', 'number', ['number'], [id]);
        return Array.from({ length: size }, (_, i) => sim.ccall('sim_image_byte', 'number', ['number', 'number'], [id, i]));
      };
      ports.push(port);
      return port;
    }

    serial.getPorts = async () => {
      await serial.ready;
      return ports.filter((p) => granted.has(p));
    };
    // The gesture counts when the call is made, as in the browser.
    serial.requests = 0;
    serial.requestPort = async () => {
      serial.requests += 1;
      const gesture = hasGesture();
      await serial.ready;
      if (!gesture) {
        throw domError('SecurityError', 'Failed to execute \'requestPort\' on \'Serial\': Must be handling a user gesture to show a permission request.');
      }
      const port = serial.chooser === null ? undefined : ports[serial.chooser];
      if (!port) throw domError('NotFoundError', 'No port selected by the user.');
      granted.add(port);
      return port;
    };
    serial.grant = (port) => granted.add(port);
    serial.addPort = addPort;
    serial.ports = ports;
    return serial;
  }

  const api = { createFakeSerial };
  if (typeof module === 'object' && module.exports) module.exports = api;
  else root.Qv3FakeSerial = api;
})(typeof globalThis !== 'undefined' ? globalThis : this);
