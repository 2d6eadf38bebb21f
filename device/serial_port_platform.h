// What each platform's serial backend supplies to the operations written once in serial_port_common.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

#include "device/serial_port.h"

namespace qv3 {

struct ByteWritten {
    bool call_failed = false;  // the system call itself failed (or timed out)
    size_t written = 0;        // bytes the system reports written, 0 or 1
};

// Hands one byte of an open port to the system, within the port's write time-out.
ByteWritten write_single_byte(SerialPort& port, uint8_t byte);

}  // namespace qv3
