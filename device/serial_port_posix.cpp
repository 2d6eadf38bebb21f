// Serial port on POSIX systems (termios), with time-outs done by poll().
#include "device/serial_port.h"
#include "device/serial_port_platform.h"
#include "device/port_lock_file_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace qv3 {
namespace {


// The kernel wants a terminated path; a name with a NUL inside would name a
// different file, so it names none.
bool to_path(std::string_view name, std::string& path) {
    if (name.empty() || name.find('\0') != std::string_view::npos) return false;
    path.assign(name);
    return true;
}

int64_t now_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

int remaining_ms(int64_t deadline) {
    const int64_t left = deadline - now_ms();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until fd is ready for events or the deadline passes. Returns the
// revents (0 on time-out) or -1 when poll itself fails. A signal restarts the
// wait with whatever time is left, so the deadline holds.
int wait_for(int fd, short events, int64_t deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, remaining_ms(deadline));
        if (n > 0) return p.revents;
        if (n == 0) return 0;
        if (errno != EINTR) return -1;
        if (remaining_ms(deadline) == 0) return 0;
    }
}

// The termios speed for a rate in bits per second; false for a rate the
// line cannot be set to.
bool speed_for(uint32_t baud, speed_t& speed) {
    struct Entry {
        uint32_t baud;
        speed_t speed;
    };
    static constexpr Entry kSpeeds[] = {
        {300, B300},     {600, B600},     {1200, B1200},   {2400, B2400},     {4800, B4800},
        {9600, B9600},   {19200, B19200}, {38400, B38400}, {57600, B57600},   {115200, B115200},
    };
    for (const Entry& e : kSpeeds) {
        if (e.baud == baud) {
            speed = e.speed;
            return true;
        }
    }
    return false;
}

// Raw 8N1 at speed with every kind of flow control off; reading returns what
// is there at once (poll does the waiting).
bool configure_line(int fd, speed_t speed) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return false;
    ::cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::cfsetospeed(&t, speed) != 0 || ::cfsetispeed(&t, speed) != 0) return false;
    // TCSANOW: bytes already waiting in either direction stay.
    if (::tcsetattr(fd, TCSANOW, &t) != 0) return false;
    // tcsetattr succeeds when any part was applied; a driver that cannot do
    // the speed or the character size shows it on reading back.
    termios applied{};
    if (::tcgetattr(fd, &applied) != 0) return false;
    return ::cfgetospeed(&applied) == speed && (applied.c_cflag & CSIZE) == CS8;
}

// Releases the descriptor and the exclusive use taken by open. The kernel
// frees the descriptor even when close reports an error, so false only says
// that something went wrong on the way.
bool release(int fd) {
    ::ioctl(fd, TIOCNXCL);
    return ::close(fd) == 0;
}

// Waits, within the rest of the byte's budget, until the byte handed over has
// left the output queue, as a Windows write of one byte does before it
// returns; the pause after each byte then spaces bytes on the line as there.
// Pseudo-terminals and drivers that cannot tell report an empty queue or fail.
void drain(int fd, int64_t deadline) {
    for (;;) {
        int queued = 0;
        if (::ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0) return;
        if (remaining_ms(deadline) == 0) return;
        timespec one_ms{0, 1000000};
        ::nanosleep(&one_ms, nullptr);
    }
}

// Errors with which the system says that the device itself went away: an
// unplugged USB adapter, a pseudo-terminal whose far end closed.
bool device_gone(int error) { return error == EIO || error == ENXIO || error == ENODEV; }

// Records the system's words for a failure and returns its outcome.
PortOutcome failure(SerialPort& port, PortOutcome outcome, int error) {
    port.reason = error != 0 ? std::strerror(error) : "the line hung up";
    return outcome;
}

// Hands one byte to the system within the write budget. A line that stays
// full is NothingInTime.
PortOutcome write_one(SerialPort& port, uint8_t byte) {
    const int fd = static_cast<int>(port.handle);
    const int64_t deadline = now_ms() + kWriteTimeoutMs;
    for (;;) {
        const int ready = wait_for(fd, POLLOUT, deadline);
        if (ready == 0) return PortOutcome::NothingInTime;
        if (ready < 0 || (ready & POLLNVAL)) return failure(port, PortOutcome::Failed, errno);
        if (ready & (POLLERR | POLLHUP)) return failure(port, PortOutcome::Gone, 0);
        const ssize_t n = ::write(fd, &byte, 1);
        if (n == 1) {
            drain(fd, deadline);
            return PortOutcome::Ok;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return failure(port, device_gone(errno) ? PortOutcome::Gone : PortOutcome::Failed, errno);
        }
        if (remaining_ms(deadline) == 0) return PortOutcome::NothingInTime;
    }
}

// Why an open failed, in words a Linux user can act on: the usual cause of a
// refused open is a user outside the group that owns the serial devices.
PortOutcome open_failure(SerialPort& port, int error) {
    port.reason = std::strerror(error);
    const std::string reason = error == EACCES || error == EPERM
                                   ? "Permission denied: add your user to the 'dialout' group, then log in again"
                                   : port.reason;
    port.last_error = "Could not open Com Port " + port.port_name + " (" + reason + ")";
    switch (error) {
        case EACCES:
        case EPERM: return PortOutcome::NoPermission;
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case ENOTDIR: return PortOutcome::NotFound;
        case EBUSY: return PortOutcome::Busy;
        default: return PortOutcome::Failed;
    }
}

// A file that opened but has no line settings: a regular file, /dev/null.
PortOutcome settings_failure(SerialPort& port, int error, std::string_view what) {
    port.reason = std::strerror(error);
    if (error == ENOTTY || error == EINVAL) {
        port.last_error = "Could not open Com Port " + port.port_name + ": " + port.port_name + " is not a serial port";
        return PortOutcome::NotASerialPort;
    }
    port.last_error = "Could not open Com Port " + port.port_name + ": " + std::string(what) + " (" + port.reason + ")";
    return device_gone(error) ? PortOutcome::Gone : PortOutcome::Failed;
}

// The lock file other terminal programs honour. A port another program has
// locked is refused with its process id.
bool take_port_lock(SerialPort& port) {
    const LockFileTake lock = take_lock_file(kLockFolder, port.port_name);
    if (lock.kind != LockFileTake::Held) {
        if (lock.kind == LockFileTake::Taken) port.lock_file = lock.path;
        return true;
    }
    port.reason = "in use by " + (lock.holder > 0 ? "process " + std::to_string(lock.holder)
                                                  : std::string("another program (") + lock.path + ")");
    port.last_error = "Could not open Com Port " + port.port_name + " (" + port.reason + ")";
    return false;
}

}  // namespace

PortOutcome open(SerialPort& port) {
    if (port.handle != kNoHandle) {
        if (!release(static_cast<int>(port.handle))) port.last_error = "Close: Failed";
        port.handle = kNoHandle;
    }
    release_lock_file(port.lock_file);

    // A name with a NUL inside names no file at all.
    std::string path;
    if (!to_path(port.port_name, path)) return open_failure(port, ENOENT);
    if (!take_port_lock(port)) return PortOutcome::Busy;
    // O_NONBLOCK: a line without carrier cannot hold up the open, and no read
    // or write can block past the deadlines poll keeps.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        release_lock_file(port.lock_file);
        return open_failure(port, error);
    }
    // Exclusive use: the lock keeps out every program that asks for it, root
    // included; TIOCEXCL then refuses other opens of the terminal except by
    // root. The lock comes first so that a refused open never touches the
    // terminal flag of the program that holds the port.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno == EWOULDBLOCK ? EBUSY : errno;  // another program holds the port
        ::close(fd);
        release_lock_file(port.lock_file);
        return open_failure(port, error);
    }
    ::ioctl(fd, TIOCEXCL);
    port.handle = fd;

    // After these failures the handle stays held, as on every platform; the
    // next open or close releases it.
    termios current{};
    if (::tcgetattr(fd, &current) != 0) {
        return settings_failure(port, errno, "cannot read the line settings");
    }
    speed_t speed{};
    errno = 0;
    if (!speed_for(port.baud_rate, speed) || !configure_line(fd, speed)) {
        const int error = errno;
        const std::string what = "cannot set the line to " + std::to_string(port.baud_rate) + " baud, 8N1";
        port.reason = error != 0 ? std::strerror(error) : what;
        port.last_error = "Could not open Com Port " + port.port_name + ": " + what +
                          (error != 0 ? " (" + port.reason + ")" : std::string());
        return device_gone(error) ? PortOutcome::Gone : PortOutcome::SettingsRefused;
    }
    // Pseudo-terminals have no modem lines; that is no reason to fail.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIS, &lines);
    return PortOutcome::Ok;
}

PortOutcome write_single_byte(SerialPort& port, uint8_t byte) { return write_one(port, byte); }

ReadResult read_byte(SerialPort& port) {
    if (port.handle == kNoHandle) {
        port.last_error = "Read: ComPort Invalid";
        return {PortOutcome::Failed, 0};
    }
    const int fd = static_cast<int>(port.handle);
    const int64_t deadline = now_ms() + kReadTimeoutMs;
    PortOutcome outcome = PortOutcome::Failed;
    for (;;) {
        const int ready = wait_for(fd, POLLIN, deadline);
        if (ready == 0) return {PortOutcome::NothingInTime, 0};
        if (ready < 0 || (ready & POLLNVAL)) {
            outcome = failure(port, PortOutcome::Failed, errno);
            break;
        }
        uint8_t byte = 0;
        const ssize_t n = ::read(fd, &byte, 1);
        if (n == 1) return {PortOutcome::Ok, byte};
        const int error = n < 0 ? errno : 0;
        // A hung-up line (adapter unplugged, far end of a pseudo-terminal
        // gone) reads as end of file or an error, and would stay ready.
        if (n < 0 && device_gone(error)) {
            outcome = failure(port, PortOutcome::Gone, error);
            break;
        }
        if (ready & (POLLHUP | POLLERR)) {
            outcome = failure(port, PortOutcome::Gone, error);
            break;
        }
        if (n < 0 && error != EAGAIN && error != EWOULDBLOCK && error != EINTR) {
            outcome = failure(port, PortOutcome::Failed, error);
            break;
        }
        if (n == 0) return {PortOutcome::NothingInTime, 0};
        if (remaining_ms(deadline) == 0) return {PortOutcome::NothingInTime, 0};
    }
    port.last_error = "Read: Failed 1";
    return {outcome, 0};
}

void close(SerialPort& port) {
    if (port.handle == kNoHandle) {
        port.last_error = "Close: ComPort Invalid";
        release_lock_file(port.lock_file);
        return;
    }
    // Unlike a Windows handle, the descriptor is gone even when close fails;
    // keeping its number could later close a descriptor opened since.
    if (!release(static_cast<int>(port.handle))) port.last_error = "Close: Failed";
    port.handle = kNoHandle;
    release_lock_file(port.lock_file);
}

bool port_may_exist(std::string_view name) {
    std::string path;
    struct stat st{};
    // stat follows symbolic links: a link to a terminal counts.
    return to_path(name, path) && ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

void sleep_ms(SerialPort& /*port*/, int ms) {
    if (ms <= 0) return;
    timespec left{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

int64_t line_clock_ms(const SerialPort& /*port*/) { return now_ms(); }

}  // namespace qv3
