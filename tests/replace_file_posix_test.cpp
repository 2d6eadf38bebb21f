// replace_file on POSIX: each kind of target, with the bytes and the mode it is left with.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "files/replace_file.h"
#include "test_support.h"

namespace qv3::test {
namespace {

constexpr char kNew[] = "new bytes\n";

struct Status {
    mode_t type;
    mode_t permissions;
};

Status status_of(const std::string& path, bool follow) {
    struct stat status {};
    EXPECT_EQ(follow ? ::stat(path.c_str(), &status) : ::lstat(path.c_str(), &status), 0) << path;
    return {status.st_mode & S_IFMT, status.st_mode & 07777};
}

mode_t current_umask() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

struct ReplaceFilePosix : ::testing::Test {
    ScratchFolder folder;
    std::string f(const std::string& name) const { return folder.file(name); }
    void make_file(const std::string& name, mode_t mode) {
        write_bytes(f(name), "old");
        ::chmod(f(name).c_str(), mode);
    }
    void make_link(const std::string& name, const std::string& target) {
        ASSERT_EQ(::symlink(target.c_str(), f(name).c_str()), 0);
    }
};

// Regular files and links to them: the named file gets the new bytes and keeps its mode; links stay links.
TEST_F(ReplaceFilePosix, FilesAndLinksAreReplacedWholeWithTheirModeKept) {
    make_file("private", 0600);
    make_file("program", 0755);
    make_file("real", 0640);
    make_link("link", "real");
    make_link("link-to-link", folder.path.string() + "/link");
    make_link("dangling", "made-through-link");
    const struct {
        const char* path;
        const char* file;  // where the bytes must land
        mode_t permissions;
    } cases[] = {
        {"absent", "absent", 0666 & ~current_umask()},
        {"private", "private", 0600},
        {"program", "program", 0755},
        {"link", "real", 0640},
        {"link-to-link", "real", 0640},
        {"dangling", "made-through-link", 0666 & ~current_umask()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(replace_file(f(c.path), kNew).outcome, ReplaceOutcome::Written) << c.path;
        EXPECT_EQ(read_bytes(f(c.file)), kNew) << c.path;
        const Status status = status_of(f(c.file), false);
        EXPECT_EQ(status.type, S_IFREG) << c.path;
        EXPECT_EQ(status.permissions, c.permissions) << c.path;
    }
    for (const char* link : {"link", "link-to-link", "dangling"}) EXPECT_EQ(status_of(f(link), false).type, S_IFLNK);
    size_t entries = 0;  // no temporary file left behind
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path)) ++entries;
    EXPECT_EQ(entries, 8u);
}

TEST_F(ReplaceFilePosix, FoldersAndMissingFoldersAreNotOpened) {
    std::filesystem::create_directories(folder.path / "folder" / "inside");
    make_link("folder-link", "folder");
    make_link("loop", "loop");
    // The system's words come along.
    const std::pair<const char*, const char*> cases[] = {{"folder", "Is a directory"},
        {"folder-link", "Is a directory"}, {"no/such/file", "No such file or directory"},
        {"loop", "Too many levels of symbolic links"}, {"", "No such file or directory"}};
    for (const auto& [path, reason] : cases) {
        const ReplaceResult result = replace_file(*path ? f(path) : "", kNew);
        EXPECT_EQ(result.outcome, ReplaceOutcome::OpenFailed) << path;
        EXPECT_EQ(result.reason, reason) << path;
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder.path / "folder" / "inside"));
    EXPECT_EQ(status_of(f("folder-link"), false).type, S_IFLNK);
}

// Devices and pipes are written into: no temporary file, no rename over them.
TEST_F(ReplaceFilePosix, DevicesAndPipesAreWrittenStraightInto) {
    ASSERT_EQ(::mkfifo(f("pipe").c_str(), 0600), 0);
    const int reader = ::open(f("pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(replace_file(f("pipe"), kNew).outcome, ReplaceOutcome::Written);
    char got[64] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), static_cast<ssize_t>(sizeof kNew - 1));
    EXPECT_STREQ(got, kNew);
    ::close(reader);
    EXPECT_EQ(status_of(f("pipe"), false).type, S_IFIFO);

    EXPECT_EQ(replace_file("/dev/null", kNew).outcome, ReplaceOutcome::Written);
    EXPECT_EQ(status_of("/dev/null", false).type, S_IFCHR);
    if (::access("/dev/full", W_OK) == 0) {  // a device that refuses the bytes: a failed write
        const ReplaceResult full = replace_file("/dev/full", kNew);
        EXPECT_EQ(full.outcome, ReplaceOutcome::WriteFailed);
        EXPECT_EQ(full.reason, "No space left on device");
        EXPECT_EQ(status_of("/dev/full", false).type, S_IFCHR);
    }
}

// Run as root, the save runs in a child that has become "nobody": root may write any file.
TEST_F(ReplaceFilePosix, AFileTheUserMayNotWriteIsNotTouched) {
    make_file("read-only", 0444);
    make_file("writable", 0666);
    ::chmod(folder.path.c_str(), 0777);
    const auto save_both = [this] {
        // The writable file shows that this user reaches the folder at all.
        if (replace_file(f("writable"), kNew).outcome != ReplaceOutcome::Written) return 77;
        return static_cast<int>(replace_file(f("read-only"), kNew).outcome);
    };
    int outcome = 0;
    if (::geteuid() != 0) {
        outcome = save_both();
    } else {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const bool unprivileged = ::setgid(65534) == 0 && ::setuid(65534) == 0;
            ::_exit(unprivileged ? save_both() : 77);
        }
        int wait_status = 0;
        ASSERT_EQ(::waitpid(child, &wait_status, 0), child);
        ASSERT_TRUE(WIFEXITED(wait_status));
        outcome = WEXITSTATUS(wait_status);
    }
    if (outcome == 77) GTEST_SKIP() << "cannot save as an unprivileged user in " << folder.path;
    EXPECT_EQ(outcome, static_cast<int>(ReplaceOutcome::OpenFailed));
    EXPECT_EQ(read_bytes(f("read-only")), "old");
    EXPECT_EQ(status_of(f("read-only"), false).permissions, 0444u);
    EXPECT_EQ(read_bytes(f("writable")), kNew);
}

}  // namespace
}  // namespace qv3::test
