// The lock files of serial devices: names, live, stale and unreadable locks, and releasing our own.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "../test_support.h"
#include "device/port_lock_file_posix.h"

namespace qv3 {
namespace {

// A process id that belonged to a process now reaped, so no process has it.
pid_t dead_process_id() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

TEST(PortLockFile, NamesFollowTheDevicePathBelowDev) {
    const std::pair<const char*, const char*> names[] = {
        {"/dev/ttyUSB0", "LCK..ttyUSB0"}, {"/dev/pts/3", "LCK..pts_3"}, {"/dev/", ""}, {"/tmp/ttyS0", ""},
    };
    for (const auto& [path, name] : names) EXPECT_EQ(lock_file_name(path), name) << path;
}

TEST(PortLockFile, LiveLocksRefuseStaleOnesAreTakenAndOursGoesOnRelease) {
    const test::ScratchFolder folder;
    const std::string lock = folder.file("LCK..null");
    struct Case {
        std::string content;  // empty: no lock file before
        LockFileTake::Kind kind;
        pid_t holder;
    };
    const Case cases[] = {
        {"", LockFileTake::Taken, 0},
        {"  " + std::to_string(::getppid()) + "\n", LockFileTake::Held, ::getppid()},
        {std::to_string(dead_process_id()) + "\n", LockFileTake::Taken, 0},
        {"\x01\x02\x03\x04", LockFileTake::Held, 0},  // a lock we cannot read is left alone
    };
    for (const Case& c : cases) {
        std::filesystem::remove(lock);
        if (!c.content.empty()) test::write_bytes(lock, c.content);
        LockFileTake taken = take_lock_file(folder.path.string(), "/dev/null");
        EXPECT_EQ(taken.kind, c.kind) << c.content;
        EXPECT_EQ(taken.holder, c.holder) << c.content;
        if (taken.kind != LockFileTake::Taken) {
            EXPECT_EQ(test::read_bytes(lock), c.content);
            continue;
        }
        char ours[16];
        std::snprintf(ours, sizeof ours, "%10d\n", static_cast<int>(::getpid()));
        EXPECT_EQ(test::read_bytes(lock), ours);
        release_lock_file(taken.path);
        EXPECT_FALSE(std::filesystem::exists(lock));
        EXPECT_TRUE(taken.path.empty());
    }
    // No folder to write in, or no device: no lock, and no refusal either.
    EXPECT_EQ(take_lock_file(folder.file("missing"), "/dev/null").kind, LockFileTake::NotTaken);
    EXPECT_EQ(take_lock_file(folder.path.string(), "/nonexistent-qv3/tty").kind, LockFileTake::NotTaken);
}

}  // namespace
}  // namespace qv3
