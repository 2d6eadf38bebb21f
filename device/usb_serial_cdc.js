// The USB CDC-ACM class driver: the line's settings and its DTR and RTS as the class defines
// them, sent to the control interface. Loaded by usb_serial.js when such an adapter is opened.
(function (root) {
  'use strict';
  const kSetLineCoding = 0x20;
  const kSetControlLineState = 0x22;

  const { lineCoding } = root.Qv3UsbSerial;

  (root.Qv3UsbDrivers = root.Qv3UsbDrivers || {}).CDC = {
    start: (device, io, line, baudRate) => io.out('class', 'interface', kSetLineCoding, 0, line.controlInterface, lineCoding(baudRate)),
    setSignals: (io, line, s) => io.out('class', 'interface', kSetControlLineState, (s.dtr ? 1 : 0) | (s.rts ? 2 : 0), line.controlInterface),
  };
})(globalThis);
