// The Win32 serial port under Wine: failure texts, and a tracker when one is attached.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "device/serial_port.h"

namespace qv3 {
namespace {

TEST(SerialPortWin32, MissingPortFailsToOpenUnderItsOwnName) {
    SerialPort port;
    // The text shows the name as given, not the device path opened; a name
    // with a NUL inside is not the name before the NUL.
    for (const std::string& name : {std::string("COM99"), std::string("COM1") + '\0'}) {
        set_port_name(port, name);
        EXPECT_NE(open(port), PortOutcome::Ok);
        EXPECT_EQ(port.last_error, "Could not open Com Port " + name);
        EXPECT_EQ(port.handle, kNoHandle);
    }
    EXPECT_FALSE(port_may_exist("COM99"));
    EXPECT_FALSE(port_may_exist("\\\\.\\"));  // without the name check the whole device list would answer
}

// With QV3_TEST_COM_PORT naming a port where a tracker (real or simulated) listens, asks it
// for its version: ESC 'V' answers with a line of text. Wine lists a port only when it is
// mapped in the registry, HKLM\Software\Wine\Ports, value COMn = the Unix device path.
TEST(SerialPortWin32, TrackerOnTestPortAnswersVersionRequest) {
    const char* name = std::getenv("QV3_TEST_COM_PORT");
    if (name == nullptr || *name == '\0') GTEST_SKIP() << "QV3_TEST_COM_PORT not set";

    SerialPort port;
    EXPECT_TRUE(port_may_exist(name)) << name;
    set_port_name(port, name);
    ASSERT_EQ(open(port), PortOutcome::Ok) << port.last_error;
    const uint8_t request[] = {0x1B, 0x56};
    EXPECT_EQ(write(port, request, sizeof request, 0).written, sizeof request) << port.last_error;

    // A talkative line cannot keep this going: at most 4096 bytes are read.
    std::string reply;
    for (ReadResult r = read_byte(port); r.outcome == PortOutcome::Ok && reply.size() < 4096; r = read_byte(port)) {
        reply.push_back(static_cast<char>(r.byte));
    }
    EXPECT_EQ(port.last_error, "");
    EXPECT_TRUE(reply.ends_with("\r\n")) << "reply: '" << reply << "'";
    close(port);
}

}  // namespace
}  // namespace qv3
