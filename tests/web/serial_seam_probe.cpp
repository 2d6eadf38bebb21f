// The browser's serial seam for node's tests: port operations and whole exchanges of the device
// protocol through device/serial_port_web.cpp and the page's bridge.
#include <emscripten/emscripten.h>

#include "device/device_protocol.h"
#include "device/serial_port.h"

namespace {
qv3::SerialPort port;
qv3::DeviceProtocol protocol;
qv3::ConfigRecord record;
}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int probe_open(const char* name, unsigned baud) {
    qv3::set_port_name(port, name);
    port.baud_rate = baud;
    return static_cast<int>(qv3::open(port));
}

// ESC "V" with pause_ms after each byte; the bytes written.
EMSCRIPTEN_KEEPALIVE int probe_query_version(int pause_ms) {
    const uint8_t query[] = {0x1b, 'V'};
    return static_cast<int>(qv3::write(port, query, sizeof query, pause_ms).written);
}

// The byte read, or 256 + the outcome.
EMSCRIPTEN_KEEPALIVE int probe_read() {
    const qv3::ReadResult read = qv3::read_byte(port);
    return read.outcome == qv3::PortOutcome::Ok ? read.byte : 256 + static_cast<int>(read.outcome);
}

EMSCRIPTEN_KEEPALIVE void probe_close() { qv3::close(port); }

EMSCRIPTEN_KEEPALIVE const char* probe_last_error() { return port.last_error.c_str(); }

// "Read Version" (0) or "Read Config" (1), stepped every 100 ms as the window's timer does; the status line.
EMSCRIPTEN_KEEPALIVE const char* probe_exchange(const char* name, int read_config) {
    qv3::set_port_name(port, name);
    port.baud_rate = 4800;
    qv3::start_version_query(protocol, port, read_config != 0 ? qv3::ProtocolState::QueryVersionForRead
                                                              : qv3::ProtocolState::QueryVersion);
    while (protocol.state != qv3::ProtocolState::Idle) {
        qv3::sleep_ms(port, 100);
        qv3::step(protocol, port, record);
    }
    return protocol.status_line.c_str();
}

}  // extern "C"
