// The Silicon Labs CP210x driver: vendor requests to the interface. The interface is enabled
// first (nothing moves until it is), and flow control is set off explicitly, since the chip
// keeps whatever an earlier program left. Loaded by usb_serial.js when such an adapter is opened.
(function (root) {
  'use strict';
  const kRequest = { enable: 0x00, lineControl: 0x03, modemHandshake: 0x07, purge: 0x12, flow: 0x13, baudRate: 0x1e };

  // The flow settings: ulControlHandshake with DTR held on and no CTS, DSR or DCD handshake;
  // ulFlowReplace with RTS held on and no XON/XOFF; the XON and XOFF limits unused.
  function flowOff() {
    const bytes = new Uint8Array(16);
    const view = new DataView(bytes.buffer);
    view.setUint32(0, 0x01, true);
    view.setUint32(4, 0x40, true);
    return bytes;
  }

  function baud(baudRate) {
    const bytes = new Uint8Array(4);
    new DataView(bytes.buffer).setUint32(0, baudRate, true);
    return bytes;
  }

  (root.Qv3UsbDrivers = root.Qv3UsbDrivers || {}).CP210x = {
    async start(device, io, line, baudRate) {
      const out = (request, value, data) => io.out('vendor', 'interface', request, value, line.interfaceNumber, data);
      await out(kRequest.enable, 1);
      await out(kRequest.baudRate, 0, baud(baudRate));
      await out(kRequest.lineControl, 0x0800);  // 8 data bits (bits 8 to 15), no parity, one stop bit
      await out(kRequest.flow, 0, flowOff());
      await out(kRequest.purge, 0x0f);  // both directions' buffers emptied of what an earlier program left
    },
    // Bits 8 and 9 say which of DTR (bit 0) and RTS (bit 1) to set.
    setSignals: (io, line, s) => io.out('vendor', 'interface', kRequest.modemHandshake,
      0x300 | (s.dtr ? 1 : 0) | (s.rts ? 2 : 0), line.interfaceNumber),
  };
})(globalThis);
