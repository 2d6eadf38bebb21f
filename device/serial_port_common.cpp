// The serial port operations that are the same on every platform, built on the platform's open and close.
#include "device/serial_port.h"

namespace qv3 {

void set_port_name(SerialPort& port, std::string_view name) { port.port_name.assign(name); }

bool probe(SerialPort& port, std::string_view name) {
    set_port_name(port, name);
    if (!open(port)) return false;
    close(port);
    return true;
}

}  // namespace qv3
