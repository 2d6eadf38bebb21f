// The FTDI driver (FT232R, FT231X and the other FT-X, FT232BM/AM, the FT2232 family): vendor
// requests to the device, the baud divisor as the chip computes it, and the two modem-status
// bytes that open every bulk-in packet taken off. Loaded by usb_serial.js when such an
// adapter is opened.
(function (root) {
  'use strict';
  const kRequest = { reset: 0x00, modemControl: 0x01, flowControl: 0x02, baudRate: 0x03, data: 0x04, latencyTimer: 0x09 };
  const kStatusBytes = 2;
  // The chip sends what it holds after this many milliseconds (16 when powered up), so a reply
  // shorter than a packet arrives at once.
  const kLatencyMs = 1;
  // The 3 MHz clock's divisor in eighths: the chip's code for each eighth (BM and later),
  // and the AM's, which has quarters and halves only.
  const kEighthCodes = [0, 3, 2, 4, 1, 5, 6, 7];

  // The chip's generation, from bcdDevice: 0x200 AM, 0x400 BM, 0x500 FT2232C/D, 0x600 FT232R,
  // 0x700 FT2232H, 0x800 FT4232H, 0x900 FT232H, 0x1000 FT-X.
  const bcdDevice = (device) => (device.deviceVersionMajor << 8) | (device.deviceVersionMinor << 4) | device.deviceVersionSubminor;

  // A request's channel: 0 on the single-port chips before the FT2232, else the interface's, from 1.
  function channelOf(device, line) {
    const bcd = bcdDevice(device);
    return bcd >= 0x500 && bcd !== 0x600 ? line.interfaceNumber + 1 : 0;
  }

  // The divisor of 3 MHz in eighths of the baud rate, as wValue and the bits wIndex carries.
  function divisor(baudRate, am) {
    let eighths = Math.round(24000000 / baudRate);
    if (am && (eighths & 7) === 7) eighths += 1;  // the AM has no 7/8: round up
    const whole = eighths >> 3;
    let code = kEighthCodes[eighths & 7];
    // The AM's fractions: 1/8 as 3, 1/4 and 3/8 as 2 (a quarter), 1/2 and more as 1 (a half).
    if (am) code = [0, 3, 2, 2, 1, 1, 1, 0][eighths & 7];
    let value = (whole & 0x3fff) | ((code & 3) << 14);
    let high = code >> 2;
    if (whole === 1 && code === 0) value = 0;  // 3 MBd
    else if (whole === 1 && code === 1 && !am) { value = 1; high = 0; }  // 2 MBd
    return { value, high };
  }

  (root.Qv3UsbDrivers = root.Qv3UsbDrivers || {}).FTDI = {
    divisor,
    async start(device, io, line, baudRate) {
      const channel = channelOf(device, line);
      const out = (request, value, index = channel) => io.out('vendor', 'device', request, value, index);
      const { value, high } = divisor(baudRate, bcdDevice(device) === 0x200);
      await out(kRequest.reset, 0);
      await out(kRequest.baudRate, value, channel ? (high << 8) | channel : high);
      await out(kRequest.data, 8);  // 8 data bits; no parity (bits 8 to 10), one stop bit (bits 11 to 13)
      await out(kRequest.flowControl, 0);
      await out(kRequest.latencyTimer, kLatencyMs);
    },
    // Bits 8 and 9 say which of DTR (bit 0) and RTS (bit 1) to set.
    setSignals: (io, line, s) => io.out('vendor', 'device', kRequest.modemControl,
      0x300 | (s.dtr ? 1 : 0) | (s.rts ? 2 : 0), channelOf(io.device, line)),
    // Every packet opens with the modem and line status; a transfer may hold several packets.
    unwrap(bytes, packetSize) {
      const data = [];
      for (let at = 0; at < bytes.length; at += packetSize) data.push(...bytes.subarray(at + kStatusBytes, at + packetSize));
      return data;
    },
  };
})(globalThis);
