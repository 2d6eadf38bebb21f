// The serial port operations that are the same on every platform, built on the platform's open and close.
#include "device/serial_port.h"
#include "device/serial_port_platform.h"

namespace qv3 {

void set_port_name(SerialPort& port, std::string_view name) { port.port_name.assign(name); }

size_t write(SerialPort& port, const uint8_t* bytes, size_t count, int pause_ms) {
    if (port.handle == kNoHandle) {
        port.last_error = "Write: ComPort Invalid";
        return 0;
    }
    const size_t available = bytes != nullptr ? count : 0;
    size_t total = 0;
    for (size_t i = 0; i < available; ++i) {
        const ByteWritten result = write_single_byte(port, bytes[i]);
        if (result.call_failed) port.last_error = "Write: Failed 1";
        sleep_ms(port, pause_ms);
        total += result.written;
    }
    if (total != count) port.last_error = "Write: Failed 2";
    return total;
}

bool probe(SerialPort& port, std::string_view name) {
    set_port_name(port, name);
    if (!open(port)) return false;
    close(port);
    return true;
}

}  // namespace qv3
