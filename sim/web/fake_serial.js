// A stand-in for navigator.serial whose ports lead to simulated trackers (tracker_sim, WebAssembly).
//
// It keeps the real API's rules that the page relies on: open rejects while
// the port is open or still closing, close rejects while a stream is locked,
// requestPort needs a user gesture, an unplug errors the streams and fires
// disconnect. Bytes reach the tracker at the line's pace and come back when
// due, on the real clock. What the page does to a port is counted.
(function (root) {
  'use strict';
  const lost = () => new DOMException('The device has been lost.', 'NetworkError');

  // simReady: a tracker_sim instance or its promise; add ports once serial.ready settles.
  function createFakeSerial(simReady, options = {}) {
    const serial = new EventTarget();
    const ports = [];
    const granted = new Set();
    let sim = null;
    const c = (name, ...args) => sim.ccall(name, 'number', args.map(() => 'number'), args);
    const nowUs = () => performance.now() * 1000;
    const hasGesture = options.hasGesture || (() => navigator.userActivation.isActive);
    serial.ready = Promise.resolve(simReady).then((instance) => { sim = instance; return serial; });
    serial.chooser = null;  // the index requestPort's chooser picks; null cancels
    serial.requests = 0;

    function addPort(trackerOptions, info = { usbVendorId: 0x0403, usbProductId: 0x6001 }) {
      const id = sim.ccall('sim_create', 'number', ['string'], [trackerOptions]);
      if (id < 0) throw new Error(`tracker options refused: ${trackerOptions}`);
      const port = new EventTarget();
      const s = { state: 'closed', plugged: true, readable: null, writable: null, reader: null, writer: null, baud: 0, lineFreeUs: 0, timer: null };
      const counts = { closes: 0, cancels: 0, signals: [], openOptions: [], written: [] };
      port.counts = counts;

      const stop = () => { clearTimeout(s.timer); s.timer = null; };
      function schedule() {
        const due = s.timer === null && s.state === 'open' ? c('sim_next_due', id) : -1;
        if (due >= 0) s.timer = setTimeout(deliver, Math.max(0, (due - nowUs()) / 1000));
      }
      function deliver() {
        s.timer = null;
        if (s.state !== 'open' || !s.reader) return;
        const bytes = [];
        for (let b; (b = c('sim_pop', id, nowUs())) >= 0;) bytes.push(b);
        if (bytes.length > 0) s.reader.enqueue(Uint8Array.from(bytes));
        if (c('sim_hung_up', id)) port.unplug(); else schedule();
      }

      port.getInfo = () => ({ ...info });
      port.open = async (o) => {
        if (!o || !(o.baudRate > 0)) throw new TypeError('Requested baud rate must be greater than zero.');
        if (s.state !== 'closed') throw new DOMException('The port is already open.', 'InvalidStateError');
        if (!s.plugged) throw new DOMException('Failed to open serial port.', 'NetworkError');
        s.state = 'opening';
        await new Promise((r) => setTimeout(r, 5));
        Object.assign(s, { state: 'open', baud: o.baudRate });
        counts.openOptions.push({ ...o });
        c('sim_attach', id, s.baud, nowUs());
        s.readable = new ReadableStream({
          start(controller) { s.reader = controller; },
          cancel() { counts.cancels += 1; s.reader = null; stop(); },
        });
        s.writable = new WritableStream({
          start(controller) { s.writer = controller; },
          write(chunk) {
            if (!s.plugged) throw lost();
            for (const byte of chunk) {
              s.lineFreeUs = Math.max(s.lineFreeUs, nowUs()) + Math.ceil(10e6 / s.baud);
              counts.written.push({ byte, ms: performance.now() });
              c('sim_receive', id, byte, s.baud, s.lineFreeUs);
            }
            if (c('sim_hung_up', id)) port.unplug(); else schedule();
          },
        });
        schedule();
      };
      port.setSignals = async (signals) => {
        if (s.state !== 'open') throw new DOMException('The port is closed.', 'InvalidStateError');
        counts.signals.push({ ...signals });
      };
      port.close = async () => {
        if (s.state !== 'open') throw new DOMException('The port is already closed.', 'InvalidStateError');
        if (s.readable.locked || s.writable.locked) throw new TypeError('Cannot cancel a locked stream');
        s.state = 'closing';
        stop();
        await s.readable.cancel().catch(() => {});
        await s.writable.abort().catch(() => {});
        await new Promise((r) => setTimeout(r, 30));  // the system takes a while to let the port go
        Object.assign(s, { state: 'closed', readable: null, writable: null, reader: null });
        counts.closes += 1;
      };
      port.forget = async () => { granted.delete(port); };
      Object.defineProperty(port, 'readable', { get: () => s.readable });
      Object.defineProperty(port, 'writable', { get: () => s.writable });

      // The cable comes out, or goes back in.
      const fire = (type) => {
        port.dispatchEvent(new Event(type));
        const event = new Event(type);
        Object.defineProperty(event, 'target', { value: port });
        serial.dispatchEvent(event);
      };
      port.unplug = () => {
        if (!s.plugged) return;
        s.plugged = false;
        stop();
        try { s.reader && s.reader.error(lost()); } catch (e) { /* already closed */ }
        if (s.writer) s.writer.error(lost());
        fire('disconnect');
      };
      port.plugIn = () => { s.plugged = true; fire('connect'); };
      port.image = () => Array.from({ length: c('sim_image_size', id) }, (_, i) => c('sim_image_byte', id, i));
      ports.push(port);
      return port;
    }

    serial.getPorts = async () => { await serial.ready; return ports.filter((p) => granted.has(p)); };
    // The gesture counts when the call is made, as in the browser.
    serial.requestPort = async () => {
      serial.requests += 1;
      const gesture = hasGesture();
      await serial.ready;
      if (!gesture) throw new DOMException('Must be handling a user gesture to show a permission request.', 'SecurityError');
      const port = ports[serial.chooser ?? -1];
      if (!port) throw new DOMException('No port selected by the user.', 'NotFoundError');
      granted.add(port);
      return port;
    };
    serial.grant = (port) => granted.add(port);
    serial.addPort = addPort;
    serial.ports = ports;
    return serial;
  }

  if (typeof module === 'object' && module.exports) module.exports = { createFakeSerial };
  else root.Qv3FakeSerial = { createFakeSerial };
})(globalThis);
