// A stand-in for navigator.usb whose devices are USB serial adapters leading to simulated
// trackers (tracker_sim, WebAssembly).
//
// Each chip is emulated from its public documentation as the host sees it: its descriptors,
// the control requests it understands (anything else stalls, as the chips do), the line it
// then drives, and how its bulk-in packets are cut. A line whose speed is not within 1 % of
// 4800 or 9600, whose format is not 8N1, whose flow control is on or which the chip has not
// enabled reaches the tracker at no speed it hears. The API's rules the page relies on are
// kept: requestDevice needs a user gesture, transfers need the device open and the
// interface claimed, a bulk-in transfer ends on a short packet or when full, a stalled
// endpoint stalls until cleared, and an unplug rejects every transfer and fires disconnect.
(function (root) {
  'use strict';
  const kFifoBytes = 4096;  // what a chip buffers from the line
  const kIdleStatusMs = 40;  // how often an idle FTDI chip sends its status alone
  const gone = () => new DOMException('The device was disconnected.', 'NotFoundError');
  const u32 = (d, at) => (d[at] | (d[at + 1] << 8) | (d[at + 2] << 16) | (d[at + 3] << 24)) >>> 0;
  const is8N1 = (dataBits, parity, stop) => dataBits === 8 && parity === 0 && stop === 0;

  // A vendor-specific interface with bulk endpoints (and an interrupt one where the chip has it).
  const vendorInterface = (bulkIn, bulkOut, packetSize, interrupt) => [{ number: 0, cls: 0xff, sub: 0, endpoints: [
    { endpointNumber: bulkIn, direction: 'in', type: 'bulk', packetSize },
    { endpointNumber: bulkOut, direction: 'out', type: 'bulk', packetSize },
    ...(interrupt ? [{ endpointNumber: interrupt, direction: 'in', type: 'interrupt', packetSize: 10 }] : [])] }];

  // The CDC class's line coding and line state, which the Prolific chips answer too.
  function cdcRequests(s, setup, data) {
    if (setup.requestType !== 'class') return false;
    if (setup.request === 0x20 && data && data.length === 7) {
      Object.assign(s, { rate: u32(data, 0), format: is8N1(data[6], data[5], data[4]) });
    } else if (setup.request === 0x22) {
      Object.assign(s, { dtr: !!(setup.value & 1), rts: !!(setup.value & 2) });
    } else return false;
    return true;
  }

  // How many 48 MHz clocks a FTDI divisor's fraction bits (wIndex bit 0, wValue bits 15 and 14) add, in eighths.
  const kFtdiEighths = [0, 4, 2, 1, 3, 5, 6, 7];

  const kChips = {
    // A CDC-ACM chip under WCH's vendor id: the class decides the driver, not the vendor.
    cdc: {
      ids: [0x1a86, 0x55d4], usb: 0x0200, version: 0x0442, packetSize: 64,
      interfaces: [{ number: 0, cls: 0x02, sub: 0x02, endpoints: [{ endpointNumber: 3, direction: 'in', type: 'interrupt', packetSize: 16 }] },
        { number: 1, cls: 0x0a, sub: 0, endpoints: [{ endpointNumber: 2, direction: 'in', type: 'bulk', packetSize: 64 },
          { endpointNumber: 2, direction: 'out', type: 'bulk', packetSize: 64 }] }],
      initial: { enabled: true, flow: false },
      control: cdcRequests,
    },
    // FT232R: vendor requests to the device; two modem-status bytes open every bulk-in packet.
    ftdi: {
      ids: [0x0403, 0x6001], usb: 0x0200, version: 0x0600, packetSize: 64, interfaces: vendorInterface(1, 2, 64),
      initial: { enabled: true, flow: false, latency: 16, statusBytes: [0x01, 0x60] },
      control(s, setup) {
        if (setup.requestType !== 'vendor') return false;
        const v = setup.value;
        switch (setup.request) {
          case 0x00: return true;  // reset
          case 0x01:  // modem control: bits 8 and 9 say which of DTR and RTS bits 0 and 1 set
            if (v & 0x100) s.dtr = !!(v & 1);
            if (v & 0x200) s.rts = !!(v & 2);
            return true;
          case 0x02: s.flow = (setup.index >> 8) !== 0; return true;
          case 0x03: {  // 3 MHz over the divisor, in eighths; divisors 0 and 1 are 3 and 2 MBd
            const code = ((setup.index & 1) << 2) | (v >> 14);
            const eighths = (v & 0x3fff) * 8 + kFtdiEighths[code];
            s.rate = eighths === 0 ? 3000000 : eighths === 8 ? 2000000 : 24000000 / eighths;
            return true;
          }
          case 0x04: s.format = is8N1(v & 0xff, (v >> 8) & 7, (v >> 11) & 3); return true;
          case 0x09: s.latency = Math.max(1, v & 0xff); return true;
          default: return false;
        }
      },
    },
    // CP2102: vendor requests to the interface; nothing moves until the interface is enabled, and
    // the flow control a previous program left (RTS/CTS here) stays until set off.
    cp210x: {
      ids: [0x10c4, 0xea60], usb: 0x0110, version: 0x0100, packetSize: 64, interfaces: vendorInterface(1, 1, 64),
      initial: { enabled: false, flow: true },
      control(s, setup, data) {
        if (setup.requestType !== 'vendor' || setup.recipient !== 'interface') return false;
        const v = setup.value;
        switch (setup.request) {
          case 0x00: s.enabled = v === 1; return true;
          case 0x01: s.rate = v ? 3686400 / v : 0; return true;
          case 0x1e: if (!data || data.length !== 4) return false; s.rate = u32(data, 0); return true;
          case 0x03: s.format = is8N1(v >> 8, (v >> 4) & 0xf, v & 0xf); return true;
          case 0x07:  // bits 8 and 9 say which of DTR and RTS bits 0 and 1 set
            if (v & 0x100) s.dtr = !!(v & 1);
            if (v & 0x200) s.rts = !!(v & 2);
            return true;
          case 0x12: return true;  // purge
          case 0x13: {  // handshake: CTS, DSR, DCD handshake or DSR sensitivity; replace: XON/XOFF, RTS flow
            if (!data || data.length !== 16) return false;
            const [handshake, replace] = [u32(data, 0), u32(data, 4)];
            s.flow = (handshake & 0x78) !== 0 || (replace & 0x03) !== 0 || ((replace >> 6) & 3) === 2;
            return true;
          }
          default: return false;
        }
      },
    },
    // CH340G: registers written in pairs; a chip past version 0x27 keeps its bulk-in data back until a
    // whole 32-byte packet is there unless bit 7 of the prescaler register says send at once.
    ch340: {
      ids: [0x1a86, 0x7523], usb: 0x0110, version: 0x0254, packetSize: 32, interfaces: vendorInterface(2, 2, 32, 1),
      initial: { enabled: true, flow: false, chipVersion: 0x31, regs: { 0x12: 0, 0x13: 0, 0x18: 0xc3, 0x25: 0 } },
      control(s, setup) {
        if (setup.requestType !== 'vendor') return false;
        const { value: v, index: i } = setup;
        switch (setup.request) {
          case 0x5f: return [s.chipVersion, 0];
          case 0xa1: return true;
          case 0xa4: s.dtr = !(v & 0x20); s.rts = !(v & 0x40); break;  // the lines' bits inverted
          case 0x9a: s.regs[v & 0xff] = i & 0xff; s.regs[v >> 8] = i >> 8; break;
          case 0x95: return [s.regs[v & 0xff] || 0, s.regs[v >> 8] || 0];
          default: return false;
        }
        // 48 MHz over 2^(12 - 3 * prescaler - factor) and (256 - divisor).
        const [pre, div, lcr] = [s.regs[0x12], s.regs[0x13], s.regs[0x18]];
        s.rate = 256 - div > 0 ? 48000000 / ((1 << (12 - 3 * (pre & 3) - ((pre >> 2) & 1))) * (256 - div)) : 0;
        s.holdsPackets = s.chipVersion > 0x27 && !(pre & 0x80);
        s.format = (lcr & 0xc0) === 0xc0 && (lcr & 0x3f) === 0x03;
        return true;
      },
    },
    // PL2303HX: vendor requests 1 (read, write); the newer generation stalls them.
    pl2303: {
      ids: [0x067b, 0x2303], usb: 0x0110, version: 0x0300, packetSize: 64, interfaces: vendorInterface(3, 2, 64, 1),
      initial: { enabled: true, flow: false, regs: {} },
      control: (s, setup, data) => cdcRequests(s, setup, data) || prolificVendor(s, setup, 0x01, 0x01, 0x00, 0xf0),
    },
    // PL2303GC (HXN): vendor requests 0x81 (read) and 0x80 (write), flow control in register 0x0a.
    pl2303gc: {
      ids: [0x067b, 0x23a3], usb: 0x0200, version: 0x0100, packetSize: 64, interfaces: vendorInterface(3, 2, 64, 1),
      initial: { enabled: true, flow: false, regs: { 0x0a: 0x1c } },
      control: (s, setup, data) => cdcRequests(s, setup, data) || prolificVendor(s, setup, 0x81, 0x80, 0x0a, 0x1c, 0x1c),
    },
  };

  // A Prolific register read or write; flow control is off when the flow register's field holds none.
  function prolificVendor(s, setup, read, write, flowReg, flowMask, none = 0) {
    if (setup.requestType !== 'vendor') return false;
    if (setup.request === read && setup.direction === 'in') return [s.regs[setup.value] || 0];
    if (setup.request !== write || setup.direction !== 'out') return false;
    s.regs[setup.value] = setup.index & 0xff;
    if (setup.value === flowReg) s.flow = (s.regs[flowReg] & flowMask) !== none;
    return true;
  }

  // The speed the tracker hears: the standard one the chip's rate is within 1 % of, when the line is usable.
  function lineBaud(s) {
    if (!s.enabled || !s.format || s.flow) return 0;
    return [4800, 9600].find((b) => Math.abs(s.rate - b) <= b / 100) || Math.round(s.rate || 0);
  }

  // simReady: a tracker_sim instance or its promise; add devices once usb.ready settles.
  function createFakeUsb(simReady, options = {}) {
    const usb = new EventTarget();
    const devices = [];
    const granted = new Set();
    let sim = null;
    const c = (name, ...args) => sim.ccall(name, 'number', args.map(() => 'number'), args);
    const nowUs = () => performance.now() * 1000;
    const hasGesture = options.hasGesture || (() => navigator.userActivation.isActive);
    usb.ready = Promise.resolve(simReady).then((instance) => { sim = instance; return usb; });
    usb.chooser = null;  // the index requestDevice's chooser picks; null cancels
    usb.requests = [];  // the filters of each requestDevice

    // chip: a key of kChips. faults: { held: the system holds it, stallAt: the bulk-in packet
    // before which the endpoint stalls once, burst: replies sent in whole packets }.
    function addDevice(chipName, trackerOptions, faults = {}) {
      const chip = kChips[chipName];
      const id = sim.ccall('sim_create', 'number', ['string'], [trackerOptions]);
      if (!chip || id < 0) throw new Error(`no such adapter: ${chipName} ${trackerOptions}`);
      const bcd = (n) => [n >> 8, (n >> 4) & 0xf, n & 0xf];
      const [usbMajor, usbMinor, usbSub] = bcd(chip.usb);
      const [devMajor, devMinor, devSub] = bcd(chip.version);
      const interfaces = chip.interfaces.map((i) => {
        const alternate = { alternateSetting: 0, interfaceClass: i.cls, interfaceSubclass: i.sub, interfaceProtocol: 0, endpoints: i.endpoints };
        return { interfaceNumber: i.number, alternate, alternates: [alternate], claimed: false };
      });
      const configuration = { configurationValue: 1, interfaces };
      const device = {
        vendorId: chip.ids[0], productId: chip.ids[1], deviceClass: 0, deviceSubclass: 0, deviceProtocol: 0,
        usbVersionMajor: usbMajor, usbVersionMinor: usbMinor, usbVersionSubminor: usbSub,
        deviceVersionMajor: devMajor, deviceVersionMinor: devMinor, deviceVersionSubminor: devSub,
        productName: `${chipName} adapter`, manufacturerName: 'Emulated', serialNumber: String(devices.length + 1),
        configurations: [configuration], configuration: null, opened: false,
      };
      const s = { plugged: true, halted: false, fifo: [], held: [], inbound: [], packets: 0, lineFreeUs: 0, timer: null, flushTimer: null, oldestMs: 0, sentMs: 0 };
      const counts = { written: [], clears: 0, opens: 0, line: null };
      device.counts = counts;
      let line = null;  // the chip's state while open

      const check = (claimedInterface) => {
        if (!s.plugged) throw gone();
        if (!device.opened) throw new DOMException('The device must be opened first.', 'InvalidStateError');
        if (claimedInterface && !interfaces.some((i) => i.claimed)) throw new DOMException('The interface is not claimed.', 'InvalidStateError');
      };
      const bulk = (direction, number) => interfaces.some((i) => i.claimed &&
        i.alternate.endpoints.some((e) => e.type === 'bulk' && e.direction === direction && e.endpointNumber === number));

      // The next bulk-in packet, when the chip would send one now.
      function nextPacket() {
        const room = chip.packetSize - (line.statusBytes ? 2 : 0);
        if (line.statusBytes) {
          const due = s.fifo.length >= room || (s.fifo.length > 0 && performance.now() - s.oldestMs >= line.latency) ||
            performance.now() - s.sentMs >= kIdleStatusMs;
          return due ? [...line.statusBytes, ...s.fifo.splice(0, room)] : null;
        }
        if (s.fifo.length === 0 || (line.holdsPackets && s.fifo.length < room)) return null;
        return s.fifo.splice(0, room);
      }

      // Packets go to the transfers waiting, first first; one ends on a short packet or when full.
      function pump() {
        while (line && s.inbound.length > 0) {
          const head = s.inbound[0];
          if (s.halted) { s.inbound.shift().resolve({ status: 'stall', data: new DataView(new ArrayBuffer(0)) }); continue; }
          if (faults.stallAt !== undefined && s.packets === faults.stallAt && !s.stalled) {
            s.stalled = s.halted = true;
            continue;
          }
          const packet = nextPacket();
          if (!packet) break;
          s.packets += 1;
          s.sentMs = performance.now();
          s.oldestMs = performance.now();
          const room = head.length - head.data.length;
          head.data.push(...packet.slice(0, room));
          if (packet.length > room || packet.length < chip.packetSize || head.data.length >= head.length) {
            s.inbound.shift().resolve({ status: packet.length > room ? 'babble' : 'ok', data: new DataView(Uint8Array.from(head.data).buffer) });
          }
        }
        clearTimeout(s.flushTimer);
        // A FTDI chip sends what it holds when its latency timer runs out, and its status when idle.
        if (line && line.statusBytes && s.inbound.length > 0) {
          const wait = s.fifo.length > 0 ? s.oldestMs + line.latency - performance.now() : s.sentMs + kIdleStatusMs - performance.now();
          s.flushTimer = setTimeout(pump, Math.max(1, wait));
        }
      }

      function intoFifo(bytes) {
        if (s.fifo.length === 0) s.oldestMs = performance.now();
        for (const b of bytes) if (s.fifo.length < kFifoBytes) s.fifo.push(b);
        pump();
      }

      function schedule() {
        const due = s.timer === null && line ? c('sim_next_due', id) : -1;
        if (due >= 0) s.timer = setTimeout(deliver, Math.max(0, (due - nowUs()) / 1000));
      }
      function deliver() {
        s.timer = null;
        if (!line) return;
        const bytes = [];
        for (let b; (b = c('sim_pop', id, nowUs())) >= 0;) bytes.push(b);
        if (faults.burst) {
          // Handed on in whole packets, as a chip does whose host polls late; the rest once the tracker is quiet.
          s.held.push(...bytes);
          intoFifo(s.held.splice(0, s.held.length - (s.held.length % chip.packetSize)));
          clearTimeout(s.burstTimer);
          s.burstTimer = setTimeout(() => intoFifo(s.held.splice(0)), 30);
        } else {
          intoFifo(bytes);
        }
        if (c('sim_hung_up', id)) device.unplug(); else schedule();
      }

      device.open = async () => {
        if (!s.plugged) throw gone();
        device.opened = true;
        counts.opens += 1;
        line = { ...structuredClone(chip.initial), rate: 0, format: false, dtr: false, rts: false };
        counts.line = line;
        Object.assign(s, { fifo: [], held: [], halted: false, attached: 0, sentMs: performance.now() });
      };
      device.close = async () => {
        if (!s.plugged) throw gone();
        interfaces.forEach((i) => { i.claimed = false; });
        device.opened = false;
        line = null;
        clearTimeout(s.timer);
        clearTimeout(s.flushTimer);
        s.timer = null;
        s.inbound.splice(0).forEach((t) => t.reject(new DOMException('The transfer was cancelled.', 'AbortError')));
      };
      device.selectConfiguration = async (value) => {
        check(false);
        if (value !== 1) throw new DOMException('The configuration value provided is not supported by the device.', 'NotFoundError');
        device.configuration = configuration;
      };
      device.claimInterface = async (number) => {
        check(false);
        const iface = device.configuration && interfaces.find((i) => i.interfaceNumber === number);
        if (!iface) throw new DOMException('The interface number provided is not supported by the device in its current configuration.', 'NotFoundError');
        if (faults.held) throw new DOMException('Unable to claim interface.', 'NetworkError');
        iface.claimed = true;
      };
      device.releaseInterface = async (number) => {
        check(false);
        const iface = interfaces.find((i) => i.interfaceNumber === number);
        if (iface) iface.claimed = false;
        if (!interfaces.some((i) => i.claimed)) s.inbound.splice(0).forEach((t) => t.reject(new DOMException('The transfer was cancelled.', 'AbortError')));
      };
      const control = (direction, setup, data) => {
        const answer = chip.control(line, { ...setup, direction }, data && new Uint8Array(data.buffer || data, data.byteOffset || 0, data.byteLength));
        // The tracker's line opens when the chip first drives it, and again at each new speed.
        if (line && lineBaud(line) !== s.attached) {
          s.attached = lineBaud(line);
          c('sim_attach', id, s.attached, nowUs());
          schedule();
        }
        return answer;
      };
      device.controlTransferOut = async (setup, data) => {
        check(setup.recipient === 'interface');
        const answer = control('out', setup, data);
        return answer ? { status: 'ok', bytesWritten: data ? data.byteLength : 0 } : { status: 'stall', bytesWritten: 0 };
      };
      device.controlTransferIn = async (setup, length) => {
        check(setup.recipient === 'interface');
        const answer = control('in', setup);
        if (!Array.isArray(answer)) return { status: 'stall' };
        return { status: 'ok', data: new DataView(Uint8Array.from(answer.slice(0, length)).buffer) };
      };
      device.transferIn = (number, length) => new Promise((resolve, reject) => {
        check(true);
        if (!bulk('in', number)) throw new DOMException('The specified endpoint is not part of a claimed and selected alternate interface.', 'NotFoundError');
        s.inbound.push({ length, data: [], resolve, reject });
        pump();
      });
      device.transferOut = async (number, data) => {
        check(true);
        if (!bulk('out', number)) throw new DOMException('The specified endpoint is not part of a claimed and selected alternate interface.', 'NotFoundError');
        const baud = lineBaud(line);
        for (const byte of new Uint8Array(data.buffer || data, data.byteOffset || 0, data.byteLength)) {
          s.lineFreeUs = Math.max(s.lineFreeUs, nowUs()) + Math.ceil(10e6 / (line.rate || 9600));
          counts.written.push({ byte, ms: performance.now() });
          c('sim_receive', id, byte, baud, s.lineFreeUs);
        }
        if (c('sim_hung_up', id)) device.unplug(); else schedule();
        return { status: 'ok', bytesWritten: data.byteLength };
      };
      device.clearHalt = async (direction) => {
        check(true);
        if (direction === 'in') s.halted = false;
        counts.clears += 1;
        pump();
      };
      device.forget = async () => { granted.delete(device); };

      // The cable comes out: every transfer fails and the page hears of it.
      device.unplug = () => {
        if (!s.plugged) return;
        s.plugged = false;
        device.opened = false;
        line = null;
        [s.timer, s.flushTimer, s.burstTimer].forEach(clearTimeout);
        s.inbound.splice(0).forEach((t) => t.reject(gone()));
        const event = new Event('disconnect');
        event.device = device;
        usb.dispatchEvent(event);
      };
      device.image = () => Array.from({ length: c('sim_image_size', id) }, (_, i) => c('sim_image_byte', id, i));
      devices.push(device);
      return device;
    }

    usb.getDevices = async () => { await usb.ready; return devices.filter((d) => granted.has(d)); };
    // The gesture counts when the call is made, as in the browser.
    usb.requestDevice = async (request) => {
      usb.requests.push(request && request.filters);
      const gesture = hasGesture();
      await usb.ready;
      if (!gesture) throw new DOMException('Must be handling a user gesture to show a permission request.', 'SecurityError');
      const device = devices[usb.chooser ?? -1];
      if (!device) throw new DOMException('No device selected.', 'NotFoundError');
      granted.add(device);
      return device;
    };
    usb.grant = (device) => granted.add(device);
    usb.addDevice = addDevice;
    usb.devices = devices;
    return usb;
  }

  if (typeof module === 'object' && module.exports) module.exports = { createFakeUsb, kChips };
  else root.Qv3FakeUsb = { createFakeUsb };
})(globalThis);
