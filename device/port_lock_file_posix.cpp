// Taking, honouring and releasing the lock files of serial devices.
#include "device/port_lock_file_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace qv3 {
namespace {

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};

// The process id a lock file names (ASCII digits with blanks around them), or
// 0 when it holds anything else: a lock we cannot read is no lock we may break.
pid_t read_holder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return 0;
    char text[32] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0) return 0;
    const std::string_view content(text, static_cast<size_t>(n));
    const size_t first = content.find_first_not_of(" \t\n");
    if (first == std::string_view::npos) return 0;
    const size_t end = std::min(content.find_first_not_of("0123456789", first), content.size());
    if (end == first || end - first > 9) return 0;
    if (content.find_first_not_of(" \t\n", end) != std::string_view::npos) return 0;
    pid_t pid = 0;
    for (const char digit : content.substr(first, end - first)) pid = pid * 10 + (digit - '0');
    return pid;
}

// Stale: it names a process that no longer exists.
bool stale(pid_t holder) { return holder > 0 && ::kill(holder, 0) != 0 && errno == ESRCH; }

}  // namespace

std::string lock_file_name(std::string_view device_path) {
    constexpr std::string_view kDev = "/dev/";
    if (device_path.substr(0, kDev.size()) != kDev || device_path.size() == kDev.size()) return {};
    std::string name = "LCK..";
    for (const char c : device_path.substr(kDev.size())) name.push_back(c == '/' ? '_' : c);
    return name;
}

LockFileTake take_lock_file(std::string_view folder, std::string_view port_name) {
    const std::string port(port_name);
    const std::unique_ptr<char, FreeDeleter> device(::realpath(port.c_str(), nullptr));
    if (!device) return {};
    const std::string name = lock_file_name(device.get());
    if (name.empty()) return {};
    const std::string path = std::string(folder) + "/" + name;

    // Twice at most: a stale lock is removed once, then taken.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0644);
        if (fd >= 0) {
            char text[16];
            const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
            const bool written = ::write(fd, text, static_cast<size_t>(length)) == length;
            ::close(fd);
            if (written) return {LockFileTake::Taken, path, 0};
            ::unlink(path.c_str());
            return {};
        }
        if (errno != EEXIST) return {};  // a folder we may not write: no lock, as without one
        const pid_t holder = read_holder(path);
        if (!stale(holder)) return {LockFileTake::Held, path, holder};
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) return {};
    }
    return {};
}

void release_lock_file(std::string& path) {
    if (path.empty()) return;
    // Only a lock that still names us: another program may have removed a
    // lock it judged stale and taken the port since.
    if (read_holder(path) == ::getpid()) ::unlink(path.c_str());
    path.clear();
}

}  // namespace qv3
