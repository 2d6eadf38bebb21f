// Listing the serial ports of a POSIX system from its device and sysfs folders.
#pragma once

#include <string>
#include <vector>

#include "device/serial_port.h"

namespace qv3 {

// list_ports with the two roots given: "/dev" and "/sys" on a real system, a
// folder built by a test otherwise. Names are dev_root + "/" + the device's
// name, so they are what open takes. Failed when dev_root cannot be read.
PortList list_ports_in(const std::string& dev_root, const std::string& sys_root);

}  // namespace qv3
