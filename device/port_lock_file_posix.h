// The lock file that terminal programs on Linux take for a serial device (LCK..ttyUSB0 in /run/lock).
//
// A program that takes this lock but not flock() would otherwise share the
// line with us, and the two would interleave their bytes in the tracker.
#pragma once

#include <string>
#include <string_view>

#include <sys/types.h>

namespace qv3 {

// Where the lock files of serial devices live.
constexpr const char* kLockFolder = "/run/lock";

// The lock file's name for a device: "LCK.." and its path below /dev with
// every "/" made "_" (/dev/pts/3: "LCK..pts_3"). Empty for a path outside /dev.
std::string lock_file_name(std::string_view device_path);

struct LockFileTake {
    enum Kind {
        Taken,     // path holds our process id until release_lock_file
        NotTaken,  // no lock to take (device outside /dev, folder we may not write): open without one
        Held,      // another process holds it: holder, or 0 when the file does not say which
    } kind = NotTaken;
    std::string path;
    pid_t holder = 0;
};

// Takes the lock for port_name, following symbolic links to the device. A
// lock whose process no longer exists is stale: it is removed and taken.
LockFileTake take_lock_file(std::string_view folder, std::string_view port_name);

// Removes a lock file taken by take_lock_file; empty path: nothing to do.
void release_lock_file(std::string& path);

}  // namespace qv3
