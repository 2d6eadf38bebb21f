// qv3sim's pseudo-terminal and link on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "sim/pty_link.h"

namespace qv3::sim {
namespace {

std::string system_error(const std::string& what) { return what + ": " + std::strerror(errno); }

void close_fd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// Raw: no echo (the tracker would hear its own answers), no line editing, no
// translation of CR or LF, 8 bits; reads return whatever has come.
std::string make_raw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) return system_error("tcgetattr");
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    cfsetispeed(&settings, B4800);
    cfsetospeed(&settings, B4800);
    if (tcsetattr(fd, TCSANOW, &settings) != 0) return system_error("tcsetattr");
    return "";
}

// The link is ours when it still names our slave.
bool link_points_to(const std::string& link_path, const std::string& target) {
    std::array<char, 4096> buffer{};
    const ssize_t length = readlink(link_path.c_str(), buffer.data(), buffer.size() - 1);
    return length >= 0 && std::string(buffer.data(), static_cast<size_t>(length)) == target;
}

// Creates the link beside its place and renames it over, so that an old link
// is replaced in one step.
std::string make_link(const std::string& target, const std::string& link_path) {
    struct stat existing {};
    if (lstat(link_path.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        return link_path + " exists and is not a symbolic link; not replacing it";
    }
    const std::string temporary = link_path + ".qv3sim-" + std::to_string(getpid());
    ::unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0) return system_error("cannot create link " + temporary);
    if (std::rename(temporary.c_str(), link_path.c_str()) != 0) {
        const std::string error = system_error("cannot create link " + link_path);
        ::unlink(temporary.c_str());
        return error;
    }
    return "";
}

uint32_t speed_in_baud(speed_t speed) {
    static const std::array<std::pair<speed_t, uint32_t>, 11> kSpeeds{{
        {B300, 300}, {B600, 600}, {B1200, 1200}, {B2400, 2400}, {B4800, 4800}, {B9600, 9600},
        {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400},
    }};
    for (const auto& [code, baud] : kSpeeds) {
        if (code == speed) return baud;
    }
    return 0;
}

}  // namespace

std::string open_pty_link(PtyLink& link, const std::string& link_path) {
    link = PtyLink{};
    link.master_fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (link.master_fd < 0) return system_error("posix_openpt");
    if (grantpt(link.master_fd) != 0 || unlockpt(link.master_fd) != 0) {
        const std::string error = system_error("grantpt/unlockpt");
        close_pty_link(link);
        return error;
    }
    const char* name = ptsname(link.master_fd);
    if (name == nullptr) {
        const std::string error = system_error("ptsname");
        close_pty_link(link);
        return error;
    }
    link.slave_name = name;
    link.slave_fd = ::open(name, O_RDWR | O_NOCTTY);
    if (link.slave_fd < 0) {
        const std::string error = system_error("cannot open " + link.slave_name);
        close_pty_link(link);
        return error;
    }
    std::string error = make_raw(link.slave_fd);
    if (error.empty()) {
        const int flags = fcntl(link.master_fd, F_GETFL);
        if (flags < 0 || fcntl(link.master_fd, F_SETFL, flags | O_NONBLOCK) != 0) error = system_error("fcntl");
    }
    if (error.empty()) error = make_link(link.slave_name, link_path);
    if (!error.empty()) {
        close_pty_link(link);
        return error;
    }
    link.link_path = link_path;
    link.linked = true;
    return "";
}

uint32_t pty_line_baud(const PtyLink& link) {
    // The terminal's settings belong to the slave, which every opener shares,
    // so our own slave descriptor shows what the host set.
    termios settings{};
    if (link.slave_fd < 0 || tcgetattr(link.slave_fd, &settings) != 0) return 0;
    return speed_in_baud(cfgetospeed(&settings));
}

void close_pty_link(PtyLink& link) {
    if (link.linked && link_points_to(link.link_path, link.slave_name)) ::unlink(link.link_path.c_str());
    link.linked = false;
    close_fd(link.slave_fd);
    close_fd(link.master_fd);
}

}  // namespace qv3::sim
