// Listing POSIX serial ports against a made-up /dev and /sys tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../test_support.h"
#include "device/port_list_posix.h"

namespace qv3 {
namespace {

namespace fs = std::filesystem;

class PortListPosix : public ::testing::Test {
protected:
    void file(const std::string& relative, const std::string& content = "") {
        fs::create_directories((root / relative).parent_path());
        test::write_bytes((root / relative).string(), content);
    }
    void link(const std::string& relative, const std::string& target) {
        fs::create_directories((root / relative).parent_path());
        fs::create_symlink(target, root / relative);
    }
    // A USB device in sysfs with its attributes, and a tty below it.
    void usb_device(const std::string& device, const std::vector<std::pair<std::string, std::string>>& attributes) {
        for (const auto& [name, value] : attributes) file("sys/devices/usb1/" + device + "/" + name, value + "\n");
    }

    test::ScratchFolder folder;
    fs::path root = folder.path;
    std::string dev = (root / "dev").string();
};

TEST_F(PortListPosix, ListsUsbAdaptersAndRealUartsOnceEachWithWhatSysfsKnows) {
    for (const char* name : {"ttyUSB0", "ttyUSB2", "ttyUSB10", "ttyACM0", "ttyS0", "ttyS1", "ttyS2", "ttyXRUSB0",
                             "cu.usbserial-1", "tty0", "console", "ttyUSBx", "ttyS"}) {
        file(std::string("dev/") + name);
    }
    const std::string ftdi_id = "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    link("dev/serial/by-id/" + ftdi_id, "../../ttyUSB0");
    link("dev/serial/by-id/usb-Exar_XR21V1410-if00", "../../ttyXRUSB0");  // a driver not named ttyUSB
    link("dev/serial/by-id/usb-elsewhere", "../../../outside/ttyUSB7");     // not a device of dev
    link("dev/serial/by-id/usb-unplugged", "../../ttyUSB9");               // dangling

    // ttyUSB0: usb-serial port below interface 1-1:1.0 of USB device 1-1.
    usb_device("1-1", {{"idVendor", "0403"}, {"idProduct", "6001"}, {"manufacturer", "FTDI"},
                       {"product", "FT232R USB UART"}, {"serial", "A50285BI"}});
    fs::create_directories(root / "sys/devices/usb1/1-1/1-1:1.0/ttyUSB0");
    link("sys/class/tty/ttyUSB0/device", "../../../devices/usb1/1-1/1-1:1.0/ttyUSB0");
    // ttyACM0: right below its interface; the product string carries an escape sequence.
    usb_device("1-2", {{"idVendor", "2341"}, {"idProduct", "0043"}, {"product", "Uno\x1b[2J"}});
    fs::create_directories(root / "sys/devices/usb1/1-2/1-2:1.0");
    link("sys/class/tty/ttyACM0/device", "../../../devices/usb1/1-2/1-2:1.0");
    // ttyUSB10's device link leads out of sysfs to a folder that looks like a USB device.
    file("outside/idVendor", "dead\n");
    file("outside/idProduct", "beef\n");
    link("sys/class/tty/ttyUSB10/device", "../../../../outside");
    // ttyS0 has a UART (type 4: 16550A); the kernel's other ttyS have none or no sysfs entry.
    fs::create_directories(root / "sys/devices/platform/serial8250");
    link("sys/class/tty/ttyS0/device", "../../../devices/platform/serial8250");
    file("sys/class/tty/ttyS0/type", "4\n");
    link("sys/class/tty/ttyS1/device", "../../../devices/platform/serial8250");
    file("sys/class/tty/ttyS1/type", "0\n");

    const std::vector<std::vector<std::string>> expected{
        {"cu.usbserial-1", ""},
        {"ttyACM0", "Uno?[2J, USB 2341:0043"},
        {"ttyS0", "built-in serial port"},
        {"ttyUSB0", "FTDI, FT232R USB UART, serial A50285BI, USB 0403:6001, " + dev + "/serial/by-id/" + ftdi_id},
        {"ttyUSB2", ""},
        {"ttyUSB10", ""},
        {"ttyXRUSB0", dev + "/serial/by-id/usb-Exar_XR21V1410-if00"},
    };
    const std::vector<PortInfo> listed = list_ports_in(dev, (root / "sys").string()).ports;
    ASSERT_EQ(listed.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(listed[i].name, dev + "/" + expected[i][0]) << i;
        EXPECT_EQ(listed[i].description, expected[i][1]) << listed[i].name;
    }
}

// No device folder is a failure to list, with the system's reason; a missing
// sysfs only leaves the descriptions empty.
TEST_F(PortListPosix, MissingFolders) {
    const PortList none = list_ports_in((root / "none").string(), (root / "none").string());
    EXPECT_TRUE(none.ports.empty());
    EXPECT_EQ(none.outcome, PortOutcome::Failed);
    EXPECT_EQ(none.reason, "No such file or directory");
    file("dev/ttyUSB3");
    const std::vector<PortInfo> listed = list_ports_in(dev, (root / "none").string()).ports;
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, dev + "/ttyUSB3");
    EXPECT_EQ(listed[0].description, "");
}

}  // namespace
}  // namespace qv3
