// The Prolific PL2303 driver, both generations: the older H, HX and TA/TB and the newer HXN
// (GC, GS, GT, GL, GE, GR). The generation is told from the device descriptor (and, for the two
// bcdDevice values both share, from whether the older status read is answered); each has its
// own vendor requests, start-up and flow control register. The line coding is the CDC class's.
// Loaded by usb_serial.js when such an adapter is opened.
(function (root) {
  'use strict';
  const { lineCoding } = root.Qv3UsbSerial;
  const kSetLineCoding = 0x20;
  const kSetControlLineState = 0x22;
  const kOlder = { read: 0x01, write: 0x01, readsAt: 0x80, flowRegister: 0x00, flowMask: 0xf0, flowNone: 0x00, statusRead: 0x8080 };
  const kNewer = { read: 0x81, write: 0x80, readsAt: 0, flowRegister: 0x0a, flowMask: 0x1c, flowNone: 0x1c, resetRegister: 0x07, resetPipes: 0x03 };

  const bcd = (major, minor, subminor) => (major << 8) | (minor << 4) | subminor;

  // USB 1.1 chips and those of the CDC device class are the older generation; on USB 2.0,
  // bcdDevice 0x300 (TA) and 0x500 (TB) answer the older status read, the HXN chips of the same
  // numbers stall it.
  async function generationOf(device, io) {
    const usb = bcd(device.usbVersionMajor, device.usbVersionMinor, device.usbVersionSubminor);
    const version = bcd(device.deviceVersionMajor, device.deviceVersionMinor, device.deviceVersionSubminor);
    if (device.deviceClass === 0x02 || usb < 0x200) return kOlder;
    if (version !== 0x300 && version !== 0x500) return kNewer;
    try {
      await io.in('vendor', 'device', kOlder.read, kOlder.statusRead, 0, 1);
      return kOlder;
    } catch (error) {
      return kNewer;
    }
  }

  (root.Qv3UsbDrivers = root.Qv3UsbDrivers || {}).PL2303 = {
    async start(device, io, line, baudRate) {
      const g = await generationOf(device, io);
      // The older chips read a register at its number with bit 7 set.
      const read = async (register) => (await io.in('vendor', 'device', g.read, register | g.readsAt, 0, 1))[0];
      const write = (register, value) => io.out('vendor', 'device', g.write, register, value);
      if (g === kOlder) {
        // The older chips' start-up, as their makers' drivers send it.
        for (const [r, w] of [[0x8484], [0x0404, 0], [0x8484], [0x8383], [0x8484], [0x0404, 1], [0x8484], [0x8383], [0, 1], [1, 0], [2, 0x44]]) {
          if (w === undefined) await io.in('vendor', 'device', g.read, r, 0, 1); else await write(r, w);
        }
        await write(8, 0);  // both data pipes reset
        await write(9, 0);
      } else {
        await write(g.resetRegister, g.resetPipes);
      }
      // 4800 and 9600 are rates the chips take as they are, without a divisor.
      await io.out('class', 'interface', kSetLineCoding, 0, line.interfaceNumber, lineCoding(baudRate));
      const flow = await read(g.flowRegister);
      await write(g.flowRegister, (flow & ~g.flowMask) | g.flowNone);
    },
    setSignals: (io, line, s) => io.out('class', 'interface', kSetControlLineState, (s.dtr ? 1 : 0) | (s.rts ? 2 : 0), line.interfaceNumber),
  };
})(globalThis);
