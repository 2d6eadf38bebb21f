// Either platform's serial port: a port that is not open refuses every operation with its fixed text.
#include <gtest/gtest.h>

#include "device/serial_port.h"

namespace qv3 {
namespace {

TEST(SerialPortClosed, EveryOperationFailsWithItsText) {
    SerialPort port;
    const uint8_t bytes[] = {0x1B, 0x56};
    EXPECT_EQ(write(port, bytes, sizeof bytes, 0).written, 0u);
    EXPECT_EQ(port.last_error, "Write: ComPort Invalid");
    EXPECT_EQ(read_byte(port).outcome, PortOutcome::Failed);
    EXPECT_EQ(port.last_error, "Read: ComPort Invalid");
    close(port);
    EXPECT_EQ(port.last_error, "Close: ComPort Invalid");
    EXPECT_EQ(port.handle, kNoHandle);
}

}  // namespace
}  // namespace qv3
