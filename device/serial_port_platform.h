// What each platform's serial backend supplies to the operations written once in serial_port_common.cpp.
#pragma once

#include <cstdint>

#include "device/serial_port.h"

namespace qv3 {

// Hands one byte of an open port to the system, within the port's write
// time-out: Ok when it was taken, NothingInTime when the line stayed full,
// Gone or Failed (with port.reason) when the system refused it.
PortOutcome write_single_byte(SerialPort& port, uint8_t byte);

}  // namespace qv3
