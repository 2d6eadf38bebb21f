// The serial port operations that are the same on every platform, built on the platform's open and close.
#include "device/serial_port.h"
#include "device/serial_port_platform.h"

namespace qv3 {

void set_port_name(SerialPort& port, std::string_view name) { port.port_name.assign(name); }

WriteResult write(SerialPort& port, const uint8_t* bytes, size_t count, int pause_ms) {
    if (port.handle == kNoHandle) {
        port.last_error = "Write: ComPort Invalid";
        return {0, PortOutcome::Failed};
    }
    const size_t available = bytes != nullptr ? count : 0;
    WriteResult result;
    for (size_t i = 0; i < available; ++i) {
        const PortOutcome byte = write_single_byte(port, bytes[i]);
        if (byte == PortOutcome::Gone || byte == PortOutcome::Failed) port.last_error = "Write: Failed 1";
        if (byte == PortOutcome::Ok) {
            ++result.written;
        } else if (result.outcome == PortOutcome::Ok || byte == PortOutcome::Gone) {
            result.outcome = byte;
        }
        // Nothing more can reach a device that is gone; waiting out the
        // pauses of the rest would only keep the user waiting.
        if (byte == PortOutcome::Gone) break;
        sleep_ms(port, pause_ms);
    }
    if (result.written != count) {
        port.last_error = "Write: Failed 2";
        if (result.outcome == PortOutcome::Ok) result.outcome = PortOutcome::Failed;
    }
    return result;
}

bool probe(SerialPort& port, std::string_view name) {
    set_port_name(port, name);
    if (open(port) != PortOutcome::Ok) return false;
    close(port);
    return true;
}

}  // namespace qv3
