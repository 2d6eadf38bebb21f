// The WCH CH340/CH341 driver: the chip's version read with its vendor request, the baud rate as a
// prescaler and divisor of its 48 MHz clock written to its registers, and the line control.
// Loaded by usb_serial.js when such an adapter is opened.
(function (root) {
  'use strict';
  const kRequest = { version: 0x5f, init: 0xa1, writeRegisters: 0x9a, modemOut: 0xa4 };
  const kRegister = { prescaler: 0x12, divisor: 0x13, lineControl: 0x18, lineControl2: 0x25 };
  const kClock = 48000000;
  // Past this version a chip keeps its bulk-in data back until a whole 32-byte packet is
  // there, unless the prescaler register's bit 7 asks for each byte at once.
  const kHoldsPacketsAfter = 0x27;
  // Before this version the chip has no line control register: 8N1 is its only format.
  const kLineControlFrom = 0x30;
  const kReceiveTransmit8 = 0xc3;  // receiver and transmitter on, 8 data bits, no parity, one stop bit

  // The clock is divided by 2^(12 - 3 * prescaler - factor), then by the divisor (2 to 256):
  // the largest clock that leaves a divisor under 256, the divisor nearest the rate, and factor 0
  // where the divisor halves evenly, which the receiver tolerates better.
  function prescaler(baudRate) {
    const clockDivision = (ps, fact) => 1 << (12 - 3 * ps - fact);
    let ps = 3;
    while (ps > 0 && baudRate <= kClock / (clockDivision(ps, 1) * 512)) ps -= 1;
    let fact = 1;
    let div = Math.floor(kClock / (clockDivision(ps, fact) * baudRate));
    if (div < 9 || div > 255) { div = Math.floor(div / 2); fact = 0; }
    const rate = (d) => kClock / (clockDivision(ps, fact) * d);
    if (rate(div) - baudRate >= baudRate - rate(div + 1)) div += 1;
    if (fact === 1 && div % 2 === 0) { div /= 2; fact = 0; }
    return { ps, fact, div: Math.max(2, Math.min(256, div)) };
  }

  (root.Qv3UsbDrivers = root.Qv3UsbDrivers || {}).CH340 = {
    prescaler,
    async start(device, io, line, baudRate) {
      const [version] = await io.in('vendor', 'device', kRequest.version, 0, 0, 2);
      const write = (low, high, valueLow, valueHigh) => io.out('vendor', 'device', kRequest.writeRegisters,
        (high << 8) | low, (valueHigh << 8) | valueLow);
      await io.out('vendor', 'device', kRequest.init, 0, 0);
      const { ps, fact, div } = prescaler(baudRate);
      const sendAtOnce = version > kHoldsPacketsAfter ? 0x80 : 0;
      await write(kRegister.prescaler, kRegister.divisor, sendAtOnce | (fact << 2) | ps, 256 - div);
      if (version >= kLineControlFrom) await write(kRegister.lineControl, kRegister.lineControl2, kReceiveTransmit8, 0);
    },
    // The lines' bits are inverted: a 0 raises DTR (bit 5) and RTS (bit 6).
    setSignals: (io, line, s) => io.out('vendor', 'device', kRequest.modemOut, ~((s.dtr ? 0x20 : 0) | (s.rts ? 0x40 : 0)) & 0xff, 0),
  };
})(globalThis);
