// The Win32 serial port under Wine: failure texts, and a tracker when one is attached.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "device/serial_port.h"

namespace qv3 {
namespace {

// A port number no machine running the tests has.
constexpr const char* kMissingPort = "COM99";

TEST(SerialPortWin32, FreshPortIsClosedOnCom1At4800) {
    SerialPort port;
    EXPECT_EQ(port.handle, kNoHandle);
    EXPECT_EQ(port.port_name, "COM1");
    EXPECT_EQ(port.baud_rate, 4800u);
    EXPECT_EQ(port.last_error, "");
}

TEST(SerialPortWin32, ClosedPortRefusesEveryOperationWithItsText) {
    SerialPort port;
    const uint8_t bytes[] = {0x1B, 0x56};
    EXPECT_EQ(write(port, bytes, sizeof bytes, 0), 0u);
    EXPECT_EQ(port.last_error, "Write: ComPort Invalid");
    EXPECT_EQ(read_byte(port).kind, ReadResult::Failure);
    EXPECT_EQ(port.last_error, "Read: ComPort Invalid");
    close(port);
    EXPECT_EQ(port.last_error, "Close: ComPort Invalid");
    EXPECT_EQ(port.handle, kNoHandle);
}

TEST(SerialPortWin32, MissingPortFailsToOpenUnderItsOwnName) {
    SerialPort port;
    set_port_name(port, kMissingPort);
    EXPECT_FALSE(open(port));
    // The text shows the name as given, not the device path opened.
    EXPECT_EQ(port.last_error, "Could not open Com Port COM99");
    EXPECT_EQ(port.handle, kNoHandle);

    EXPECT_FALSE(probe(port, "com98"));
    EXPECT_EQ(port.last_error, "Could not open Com Port com98");
    EXPECT_EQ(port.port_name, "com98");
    EXPECT_EQ(port.handle, kNoHandle);

    // A name with a NUL inside is not the name before the NUL.
    const std::string cut = std::string("COM1") + '\0';
    set_port_name(port, cut);
    EXPECT_FALSE(open(port));
    EXPECT_EQ(port.last_error, "Could not open Com Port " + cut);
    EXPECT_EQ(port.handle, kNoHandle);
}

TEST(SerialPortWin32, PortMayExistRejectsMissingAndEmptyNames) {
    EXPECT_FALSE(port_may_exist(kMissingPort));
    EXPECT_FALSE(port_may_exist("\\\\.\\COM99"));
    EXPECT_FALSE(port_may_exist(""));
    // Without the name check the whole device list would answer.
    EXPECT_FALSE(port_may_exist("\\\\.\\"));
}

TEST(SerialPortWin32, SleepsOnTheLineClock) {
    SerialPort port;
    const int64_t before = line_clock_ms(port);
    sleep_ms(port, 0);
    sleep_ms(port, -5);
    sleep_ms(port, 5);
    const int64_t after = line_clock_ms(port);
    // The tick count moves in steps of up to 16 ms, so only its direction is sure.
    EXPECT_GE(after, before);
    EXPECT_EQ(port.last_error, "");
}

// With QV3_TEST_COM_PORT naming a port where a tracker (real or simulated)
// listens, asks it for its version: ESC 'V' answers with a line of text.
// Wine lists a port (QueryDosDevice) only when it is mapped in the registry,
// HKLM\Software\Wine\Ports, value COMn = the Unix device path; a bare
// dosdevices link opens but is not listed.
TEST(SerialPortWin32, TrackerOnTestPortAnswersVersionRequest) {
    const char* name = std::getenv("QV3_TEST_COM_PORT");
    if (name == nullptr || *name == '\0') GTEST_SKIP() << "QV3_TEST_COM_PORT not set";

    SerialPort port;
    EXPECT_TRUE(port_may_exist(name)) << name;
    set_port_name(port, name);
    ASSERT_TRUE(open(port)) << port.last_error;
    EXPECT_EQ(port.baud_rate, 4800u);

    const uint8_t request[] = {0x1B, 0x56};
    EXPECT_EQ(write(port, request, sizeof request, 0), sizeof request) << port.last_error;

    // A talkative line cannot keep this going: at most 4096 bytes are read.
    std::string reply;
    for (int i = 0; i < 4096; ++i) {
        const ReadResult r = read_byte(port);
        if (r.kind != ReadResult::Byte) {
            EXPECT_EQ(r.kind, ReadResult::Nothing) << port.last_error;
            break;
        }
        reply.push_back(static_cast<char>(r.byte));
    }
    ASSERT_GE(reply.size(), 2u) << "reply: '" << reply << "'";
    EXPECT_EQ(reply.substr(reply.size() - 2), "\r\n") << "reply: '" << reply << "'";

    // Exclusive use (share mode 0) is not checked: Wine lets a second
    // handle open a serial device that Windows would refuse.
    close(port);
    EXPECT_EQ(port.handle, kNoHandle);
    SerialPort other;
    EXPECT_TRUE(probe(other, name)) << other.last_error;
    EXPECT_EQ(other.handle, kNoHandle);
}

}  // namespace
}  // namespace qv3
