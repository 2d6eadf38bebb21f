// Listing ports the Windows way: the names COM1 to COM20 that answer a probe.
#pragma once

#include <vector>

#include "device/serial_port.h"

namespace qv3 {

// The window has always offered "COM1" to "COM<kComPortsToTry>".
constexpr int kComPortsToTry = 20;

// "COM1" to "COM20" in increasing order, those that may exist and answer a
// probe (a port another program holds is left out). Descriptions are empty.
// Written against probe and port_may_exist only, so the ui tests run it over
// their fake line.
std::vector<PortInfo> list_com_ports();

}  // namespace qv3
