// The serial imports of the WebAssembly module (serial_port_web.cpp), answered by the
// page's bridge (serial_bridge.js) found at Module.serialBridge. The ones that wait are
// Asyncify imports: the module sleeps until their promise settles.
mergeInto(LibraryManager.library, {
  qv3_web_port_open: function (name, baud) {
    return Asyncify.handleAsync(() => Module.serialBridge.open(UTF8ToString(name), baud >>> 0));
  },
  qv3_web_port_write_byte: function (byte) {
    return Asyncify.handleAsync(() => Module.serialBridge.writeByte(byte & 255));
  },
  qv3_web_port_read_byte: function (byte) {
    return Asyncify.handleAsync(async () => {
      const read = await Module.serialBridge.readByte();
      HEAPU8[byte] = read.byte;
      return read.outcome;
    });
  },
  qv3_web_port_close: function () {
    return Asyncify.handleAsync(() => Module.serialBridge.close());
  },
  qv3_web_sleep_ms: function (ms) {
    return Asyncify.handleAsync(() => Module.serialBridge.sleep(ms));
  },
  qv3_web_clock_ms: function () {
    return Module.serialBridge.now();
  },
  qv3_web_port_reason: function (buffer, size) {
    return stringToUTF8(Module.serialBridge.reason(), buffer, size);
  },
  qv3_web_port_list: function (buffer, size) {
    const lines = Module.serialBridge.list().map((p) => `${p.name}\t${p.description}\n`);
    return stringToUTF8(lines.join(''), buffer, size);
  },
});
