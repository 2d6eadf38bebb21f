// The termios serial port against a pseudo-terminal whose far end the test holds.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "../test_support.h"
#include "device/serial_port.h"

namespace qv3 {
namespace {

const std::string kMissingPath = "/nonexistent-qv3-test/ttyNONE";

// The test keeps the pseudo-terminal's master; the port opens the slave by its
// path, as it would open a serial device.
class SerialPortPosix : public ::testing::Test {
protected:
    void SetUp() override {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        char name[128] = {};
        ASSERT_TRUE(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0 &&
                    ::ptsname_r(master, name, sizeof name) == 0)
            << "no pseudo-terminal available";
        path = name;
    }
    void TearDown() override { ::close(master); }

    SerialPort opened(uint32_t baud = 4800) const {
        SerialPort port;
        set_port_name(port, path);
        port.baud_rate = baud;
        EXPECT_EQ(open(port), PortOutcome::Ok) << port.last_error;
        return port;
    }

    // Up to count bytes that reach the master; the bound only keeps a broken port from hanging the test.
    std::vector<uint8_t> receive(size_t count) const {
        std::vector<uint8_t> got;
        pollfd p{master, POLLIN, 0};
        uint8_t byte = 0;
        while (got.size() < count && ::poll(&p, 1, 5000) > 0 && ::read(master, &byte, 1) == 1) got.push_back(byte);
        return got;
    }

    // Root may open a terminal marked exclusive, and tests often run as root;
    // so ask the terminal whether closing really cleared the mark.
    void expect_not_exclusive() const {
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        int exclusive = -1;
        EXPECT_EQ(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 0) << path << " stayed exclusive";
        ::close(fd);
    }

    int master = -1;
    std::string path;
};

TEST_F(SerialPortPosix, OpenSetsRaw8N1WithoutFlowControl) {
    for (const uint32_t baud : {4800u, 9600u}) {
        SerialPort port = opened(baud);
        termios t{};
        ASSERT_EQ(::tcgetattr(static_cast<int>(port.handle), &t), 0);
        const speed_t expected = baud == 4800 ? B4800 : B9600;
        EXPECT_TRUE(::cfgetospeed(&t) == expected && ::cfgetispeed(&t) == expected) << baud;
        EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD),
                  static_cast<tcflag_t>(CS8 | CLOCAL | CREAD));
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | PARMRK), 0u);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        EXPECT_EQ(t.c_cc[VMIN] | t.c_cc[VTIME], 0);
        close(port);
    }
}

TEST_F(SerialPortPosix, BytesTravelUnchangedBothWaysAndASilentLineReadsNothing) {
    SerialPort port = opened();
    EXPECT_EQ(read_byte(port).outcome, PortOutcome::NothingInTime);

    // Every value, XON/XOFF, CR, LF and the interrupt characters included.
    std::vector<uint8_t> bytes(256);
    for (size_t b = 0; b < bytes.size(); ++b) bytes[b] = static_cast<uint8_t>(b);
    EXPECT_EQ(write(port, bytes.data(), bytes.size(), 0).written, bytes.size());
    EXPECT_EQ(receive(bytes.size()), bytes);

    ASSERT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    std::vector<uint8_t> got;
    for (ReadResult r = read_byte(port); r.outcome == PortOutcome::Ok; r = read_byte(port)) got.push_back(r.byte);
    EXPECT_EQ(got, bytes);
    EXPECT_EQ(port.last_error, "") << "the reads ended with Nothing, not a failure";
    close(port);
}

TEST_F(SerialPortPosix, OnlyOnePortHoldsTheLineAndOpeningAgainReopensIt) {
    SerialPort first = opened();
    ASSERT_EQ(::write(master, "\x11\x22", 2), 2);
    // Let the bytes arrive before reopening, so that a flush on open would lose them.
    pollfd p{static_cast<int>(first.handle), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 5000), 1);
    ASSERT_EQ(open(first), PortOutcome::Ok) << first.last_error;

    SerialPort second;
    set_port_name(second, path);
    EXPECT_EQ(open(second), PortOutcome::Busy);
    // The lock file names the holder where the lock folder may be written.
    const bool locked = !first.lock_file.empty();
    EXPECT_EQ(second.last_error, "Could not open Com Port " + path +
                                     (locked ? " (in use by process " + std::to_string(::getpid()) + ")"
                                             : " (Device or resource busy)"));
    EXPECT_EQ(second.handle, kNoHandle);

    // The refused opener left the holder's line alone, and reopening discarded nothing.
    EXPECT_EQ(read_byte(first).byte, 0x11);
    EXPECT_EQ(read_byte(first).byte, 0x22);

    close(first);
    expect_not_exclusive();
    EXPECT_EQ(open(second), PortOutcome::Ok) << second.last_error;
    close(second);
}

// A tracker pulled out with its adapter: reads and writes find it gone, with
// the system's reason, and keep their texts.
TEST_F(SerialPortPosix, AHungUpLineIsGone) {
    SerialPort port = opened();
    ::close(master);
    master = ::posix_openpt(O_RDWR | O_NOCTTY);  // TearDown closes a live descriptor
    EXPECT_EQ(read_byte(port).outcome, PortOutcome::Gone);
    EXPECT_EQ(port.last_error, "Read: Failed 1");
    EXPECT_EQ(port.reason, "the line hung up");
    const uint8_t bytes[] = {0x1B, 0x55};
    const WriteResult written = write(port, bytes, sizeof bytes, 0);
    EXPECT_EQ(written.written, 0u);
    EXPECT_EQ(written.outcome, PortOutcome::Gone);
    EXPECT_EQ(port.last_error, "Write: Failed 2");
    close(port);
}

TEST_F(SerialPortPosix, OpenFailuresSayWhyInWordsAUserCanActOn) {
    const test::ScratchFolder folder;
    test::write_bytes(folder.file("plain"), "");
    SerialPort port;
    // A name with a NUL inside names no file, not the part before the NUL.
    const std::tuple<std::string, std::string, PortOutcome> refused[] = {
        {kMissingPath, " (No such file or directory)", PortOutcome::NotFound},
        {path + std::string(1, '\0') + "x", " (No such file or directory)", PortOutcome::NotFound},
        {folder.path.string(), " (Is a directory)", PortOutcome::Failed},
    };
    for (const auto& [name, reason, outcome] : refused) {
        set_port_name(port, name);
        EXPECT_EQ(open(port), outcome) << name;
        EXPECT_EQ(port.last_error, "Could not open Com Port " + name + reason);
        EXPECT_EQ(port.handle, kNoHandle);
    }

    // Files that open but have no line settings; the handle stays held until
    // the next close.
    for (const std::string& name : {std::string("/dev/null"), folder.file("plain")}) {
        set_port_name(port, name);
        EXPECT_EQ(open(port), PortOutcome::NotASerialPort);
        EXPECT_EQ(port.last_error, "Could not open Com Port " + name + ": " + name + " is not a serial port");
        EXPECT_NE(port.handle, kNoHandle);
        close(port);
    }

    // A speed the line cannot run at; the next open releases the held handle.
    set_port_name(port, path);
    port.baud_rate = 12345;
    EXPECT_EQ(open(port), PortOutcome::SettingsRefused);
    EXPECT_EQ(port.last_error, "Could not open Com Port " + path + ": cannot set the line to 12345 baud, 8N1");
    EXPECT_NE(port.handle, kNoHandle);
    port.baud_rate = 4800;
    EXPECT_EQ(open(port), PortOutcome::Ok) << port.last_error;
    close(port);
}

// A user outside the group that owns the device is told how to get in. Run as
// nobody in a child when the tests run as root.
TEST_F(SerialPortPosix, APermissionDeniedOpenNamesTheDialoutGroup) {
    const test::ScratchFolder folder;
    const std::string locked = folder.file("ttyLOCKED");
    test::write_bytes(locked, "");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);  // no access for anyone but root
    ASSERT_EQ(::chmod(folder.path.c_str(), 0755), 0);
    const std::string expected =
        "Could not open Com Port " + locked +
        " (Permission denied: add your user to the 'dialout' group, then log in again)";
    if (::geteuid() != 0) {
        SerialPort port;
        set_port_name(port, locked);
        EXPECT_EQ(open(port), PortOutcome::NoPermission);
        EXPECT_EQ(port.last_error, expected);
        return;
    }
    int result[2];
    ASSERT_EQ(::pipe(result), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SerialPort port;
        set_port_name(port, locked);
        const bool as_nobody = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        const char verdict = !as_nobody                                                             ? 's'
                             : open(port) == PortOutcome::NoPermission && port.last_error == expected ? 'y'
                                                                                                     : 'n';
        [[maybe_unused]] const ssize_t n = ::write(result[1], &verdict, 1);
        ::_exit(0);
    }
    ::close(result[1]);
    char verdict = 0;
    [[maybe_unused]] const ssize_t n = ::read(result[0], &verdict, 1);
    ::close(result[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (verdict == 's') GTEST_SKIP() << "cannot become an unprivileged user";
    EXPECT_EQ(verdict, 'y') << "expected: " << expected;
}

TEST_F(SerialPortPosix, ProbeOpensClosesAndKeepsTheName) {
    SerialPort port;
    EXPECT_TRUE(probe(port, path)) << port.last_error;
    EXPECT_EQ(port.handle, kNoHandle);
    EXPECT_EQ(port.port_name, path);
    expect_not_exclusive();

    EXPECT_FALSE(probe(port, kMissingPath));
    EXPECT_EQ(port.handle, kNoHandle);
    EXPECT_EQ(port.port_name, kMissingPath);
    EXPECT_EQ(port.last_error, "Could not open Com Port " + kMissingPath + " (No such file or directory)");
}

TEST_F(SerialPortPosix, PortMayExistOnlyForCharacterDevices) {
    // Links to a terminal count; files, folders, dangling links and cut names do not.
    const test::ScratchFolder folder;
    std::filesystem::create_symlink(path, folder.file("link"));
    std::filesystem::create_symlink(kMissingPath, folder.file("dangling"));
    test::write_bytes(folder.file("plain"), "");

    EXPECT_TRUE(port_may_exist(path));
    EXPECT_TRUE(port_may_exist(folder.file("link")));
    for (const std::string& name : {kMissingPath, std::string(), path + std::string(1, '\0'), folder.file("dangling"),
                                    folder.file("plain"), folder.path.string()}) {
        EXPECT_FALSE(port_may_exist(name)) << name;
    }
}

}  // namespace
}  // namespace qv3
