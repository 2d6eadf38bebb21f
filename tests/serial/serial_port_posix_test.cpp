// The termios serial port against a pseudo-terminal whose far end the test holds.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "device/serial_port.h"

namespace qv3 {
namespace {

// A pseudo-terminal: the test keeps the master and the port opens the slave
// by its path, as it would open a serial device.
struct PseudoTerminal {
    int master = -1;
    std::string slave_path;

    PseudoTerminal() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return;
        char name[128] = {};
        if (::ptsname_r(master, name, sizeof name) == 0) slave_path = name;
    }
    ~PseudoTerminal() { close_master(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ok() const { return master >= 0 && !slave_path.empty(); }

    void close_master() {
        if (master >= 0) ::close(master);
        master = -1;
    }

    void send(const std::vector<uint8_t>& bytes) const {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master, bytes.data() + done, bytes.size() - done);
            if (n <= 0) return;
            done += static_cast<size_t>(n);
        }
    }

    // Up to count bytes that reach the master. The generous bound only keeps
    // a broken port from hanging the test; nothing is asserted about time.
    std::vector<uint8_t> receive(size_t count) const {
        std::vector<uint8_t> got;
        while (got.size() < count) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) break;
            uint8_t buffer[512];
            const size_t want = std::min(sizeof buffer, count - got.size());
            const ssize_t n = ::read(master, buffer, want);
            if (n <= 0) break;
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }
};

std::vector<uint8_t> every_byte_value() {
    std::vector<uint8_t> bytes;
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<uint8_t>(b));
    return bytes;
}

std::string missing_path() { return "/nonexistent-qv3-test/ttyNONE"; }

// Root may open a terminal marked exclusive, and tests often run as root; so
// ask the terminal whether closing really cleared the mark that would lock
// everyone else out.
void expect_not_exclusive(const std::string& path) {
#ifdef TIOCGEXCL
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    int exclusive = -1;
    EXPECT_EQ(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0) << path << " stayed exclusive after close";
    ::close(fd);
#else
    (void)path;
#endif
}

class SerialPortPosix : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty.ok()) << "no pseudo-terminal available"; }

    // A port opened on the pseudo-terminal at baud.
    void open_port(SerialPort& port, uint32_t baud = 4800) {
        set_port_name(port, pty.slave_path);
        port.baud_rate = baud;
        ASSERT_TRUE(open(port)) << port.last_error;
        ASSERT_NE(port.handle, kNoHandle);
    }

    PseudoTerminal pty;
};

TEST(SerialPortDefaults, FreshPortIsClosedOnCom1At4800) {
    SerialPort port;
    EXPECT_EQ(port.handle, kNoHandle);
    EXPECT_EQ(port.port_name, "COM1");
    EXPECT_EQ(port.baud_rate, 4800u);
    EXPECT_EQ(port.last_error, "");
}

TEST(SerialPortDefaults, ClosedPortRefusesEveryOperationWithItsText) {
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

TEST_F(SerialPortPosix, OpenSetsRaw8N1WithoutFlowControl) {
    for (const uint32_t baud : {4800u, 9600u}) {
        SerialPort port;
        open_port(port, baud);
        termios t{};
        ASSERT_EQ(::tcgetattr(static_cast<int>(port.handle), &t), 0);
        const speed_t expected = baud == 4800 ? B4800 : B9600;
        EXPECT_EQ(::cfgetospeed(&t), expected) << baud;
        EXPECT_EQ(::cfgetispeed(&t), expected) << baud;
        EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
        EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | PARMRK), 0u);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        EXPECT_EQ(t.c_cc[VMIN], 0);
        EXPECT_EQ(t.c_cc[VTIME], 0);
        EXPECT_EQ(port.last_error, "");
        close(port);
        EXPECT_EQ(port.handle, kNoHandle);
        EXPECT_EQ(port.last_error, "");
    }
}

TEST_F(SerialPortPosix, BytesTravelUnchangedInBothDirections) {
    SerialPort port;
    open_port(port);
    // Every value, XON/XOFF, CR, LF and the interrupt characters included.
    const std::vector<uint8_t> bytes = every_byte_value();

    EXPECT_EQ(write(port, bytes.data(), bytes.size(), 0), bytes.size());
    EXPECT_EQ(pty.receive(bytes.size()), bytes);

    const uint8_t paced[] = {'V', '\r', 0x1B};
    EXPECT_EQ(write(port, paced, sizeof paced, 1), sizeof paced);
    EXPECT_EQ(pty.receive(sizeof paced), std::vector<uint8_t>(paced, paced + sizeof paced));

    pty.send(bytes);
    std::vector<uint8_t> got;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const ReadResult r = read_byte(port);
        ASSERT_EQ(r.kind, ReadResult::Byte) << "byte " << i;
        got.push_back(r.byte);
    }
    EXPECT_EQ(got, bytes);
    EXPECT_EQ(read_byte(port).kind, ReadResult::Nothing);
    EXPECT_EQ(port.last_error, "");
    close(port);
}

TEST_F(SerialPortPosix, SilentLineReadsNothingAndEmptyWriteDoesNothing) {
    SerialPort port;
    open_port(port);
    EXPECT_EQ(read_byte(port).kind, ReadResult::Nothing);

    const uint8_t marker = 0xA5;
    EXPECT_EQ(write(port, &marker, 0, 0), 0u);
    EXPECT_EQ(write(port, nullptr, 0, 50), 0u);
    EXPECT_EQ(port.last_error, "");
    // Had the empty writes sent anything, it would come before the marker.
    EXPECT_EQ(write(port, &marker, 1, 0), 1u);
    EXPECT_EQ(pty.receive(1), std::vector<uint8_t>{marker});
    close(port);
}

TEST_F(SerialPortPosix, PortIsExclusiveWhileOpen) {
    SerialPort first;
    open_port(first);

    SerialPort second;
    set_port_name(second, pty.slave_path);
    EXPECT_FALSE(open(second));
    EXPECT_EQ(second.last_error, "Could not open Com Port " + pty.slave_path);
    EXPECT_EQ(second.handle, kNoHandle);
    EXPECT_FALSE(probe(second, pty.slave_path));

    // The refused opener left the holder's line alone.
    const uint8_t byte = 0x42;
    EXPECT_EQ(write(first, &byte, 1, 0), 1u);
    EXPECT_EQ(pty.receive(1), std::vector<uint8_t>{byte});

    close(first);
    expect_not_exclusive(pty.slave_path);
    EXPECT_TRUE(open(second)) << second.last_error;
    close(second);
}

TEST_F(SerialPortPosix, OpeningAnOpenPortReopensIt) {
    SerialPort port;
    open_port(port);
    pty.send({0x11, 0x22});
    // The pseudo-terminal hands bytes on in the background; let them arrive
    // before reopening, so that a flush on open would lose them.
    pollfd p{static_cast<int>(port.handle), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 5000), 1);
    ASSERT_TRUE(open(port)) << port.last_error;
    EXPECT_NE(port.handle, kNoHandle);
    EXPECT_EQ(port.last_error, "");

    // Only one descriptor holds the port: a second opener is still refused.
    SerialPort other;
    set_port_name(other, pty.slave_path);
    EXPECT_FALSE(open(other));

    // Reopening discarded nothing that was waiting.
    ReadResult r = read_byte(port);
    ASSERT_EQ(r.kind, ReadResult::Byte);
    EXPECT_EQ(r.byte, 0x11);
    r = read_byte(port);
    ASSERT_EQ(r.kind, ReadResult::Byte);
    EXPECT_EQ(r.byte, 0x22);

    close(port);
    EXPECT_EQ(port.handle, kNoHandle);
    EXPECT_EQ(write(port, &r.byte, 1, 0), 0u);
    EXPECT_EQ(port.last_error, "Write: ComPort Invalid");
    EXPECT_EQ(read_byte(port).kind, ReadResult::Failure);
    EXPECT_EQ(port.last_error, "Read: ComPort Invalid");
    close(port);
    EXPECT_EQ(port.last_error, "Close: ComPort Invalid");
}

TEST_F(SerialPortPosix, OpenFailuresReportTheirStep) {
    SerialPort port;
    set_port_name(port, missing_path());
    EXPECT_FALSE(open(port));
    EXPECT_EQ(port.last_error, "Could not open Com Port " + missing_path());
    EXPECT_EQ(port.handle, kNoHandle);

    // A name with a NUL inside names no file, not the part before the NUL.
    const std::string cut = pty.slave_path + std::string(1, '\0') + "x";
    set_port_name(port, cut);
    EXPECT_FALSE(open(port));
    EXPECT_EQ(port.last_error, "Could not open Com Port " + cut);
    EXPECT_EQ(port.handle, kNoHandle);

    // A device that is no terminal opens but has no line settings; the
    // handle stays held until the next close.
    set_port_name(port, "/dev/null");
    EXPECT_FALSE(open(port));
    EXPECT_EQ(port.last_error, "Open: GetCommState failed");
    EXPECT_NE(port.handle, kNoHandle);
    close(port);
    EXPECT_EQ(port.handle, kNoHandle);

    // A speed the line cannot run at.
    set_port_name(port, pty.slave_path);
    port.baud_rate = 12345;
    EXPECT_FALSE(open(port));
    EXPECT_EQ(port.last_error, "Open: SetCommState failed");
    EXPECT_NE(port.handle, kNoHandle);
    // The next open releases the held handle, or it would still lock the port.
    port.baud_rate = 4800;
    EXPECT_TRUE(open(port)) << port.last_error;
    close(port);
}

TEST_F(SerialPortPosix, HungUpLineFailsReadsAndWrites) {
    SerialPort port;
    open_port(port);
    pty.close_master();

    EXPECT_EQ(read_byte(port).kind, ReadResult::Failure);
    EXPECT_EQ(port.last_error, "Read: Failed 1");

    const uint8_t bytes[] = {1, 2, 3};
    EXPECT_EQ(write(port, bytes, sizeof bytes, 0), 0u);
    EXPECT_EQ(port.last_error, "Write: Failed 2");
    close(port);
    EXPECT_EQ(port.handle, kNoHandle);
}

TEST_F(SerialPortPosix, ProbeOpensAndClosesAndKeepsTheName) {
    SerialPort port;
    EXPECT_TRUE(probe(port, pty.slave_path)) << port.last_error;
    EXPECT_EQ(port.handle, kNoHandle);
    EXPECT_EQ(port.port_name, pty.slave_path);

    // Probing left nothing holding the port.
    expect_not_exclusive(pty.slave_path);
    SerialPort other;
    open_port(other);
    close(other);

    EXPECT_FALSE(probe(port, missing_path()));
    EXPECT_EQ(port.handle, kNoHandle);
    EXPECT_EQ(port.port_name, missing_path());
    EXPECT_EQ(port.last_error, "Could not open Com Port " + missing_path());
}

TEST_F(SerialPortPosix, PortMayExistOnlyForCharacterDevices) {
    EXPECT_TRUE(port_may_exist(pty.slave_path));
    EXPECT_FALSE(port_may_exist(missing_path()));
    EXPECT_FALSE(port_may_exist(""));
    EXPECT_FALSE(port_may_exist(pty.slave_path + std::string(1, '\0')));

    // Links to a terminal count; files, folders and dangling links do not.
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("qv3-serial-test-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::create_symlink(pty.slave_path, folder / "link");
    fs::create_symlink(missing_path(), folder / "dangling");
    std::FILE* f = std::fopen((folder / "plain").c_str(), "w");
    if (f != nullptr) std::fclose(f);

    EXPECT_TRUE(port_may_exist((folder / "link").string()));
    EXPECT_FALSE(port_may_exist((folder / "dangling").string()));
    EXPECT_FALSE(port_may_exist((folder / "plain").string()));
    EXPECT_FALSE(port_may_exist(folder.string()));
    fs::remove_all(folder);
}

TEST(SerialPortSleep, SleepsOnTheLineClock) {
    SerialPort port;
    const int64_t before = line_clock_ms(port);
    sleep_ms(port, 0);
    sleep_ms(port, -5);
    sleep_ms(port, 5);
    const int64_t after = line_clock_ms(port);
    // A sleep lasts at least as long as asked; the clock counts whole ms.
    EXPECT_GE(after - before, 5);
    EXPECT_EQ(port.last_error, "");
}

}  // namespace
}  // namespace qv3
