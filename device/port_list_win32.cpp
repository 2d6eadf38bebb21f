// Windows' list_ports: the COM1 to COM20 probe.
#include "device/port_list_win32.h"

#include <string>

namespace qv3 {

std::vector<PortInfo> list_com_ports() {
    std::vector<PortInfo> ports;
    SerialPort scratch;
    for (int n = 1; n <= kComPortsToTry; ++n) {
        std::string name = "COM" + std::to_string(n);
        // port_may_exist first: a probe of a port that is not there can be slow.
        if (port_may_exist(name) && probe(scratch, name)) ports.push_back({std::move(name), {}});
    }
    return ports;
}

// Probing names never fails as a whole: a name that does not answer is no port.
PortList list_ports() { return {list_com_ports(), PortOutcome::Ok, {}}; }

}  // namespace qv3
