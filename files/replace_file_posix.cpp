// replace_file on POSIX: follows symbolic links, keeps mode and owner, syncs the file and its folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <string>

#include "files/replace_file.h"
#include "files/system_text.h"

namespace qv3 {

namespace {

constexpr int kMaxLinkHops = 40;  // as many as the kernel follows in one path
constexpr int kMaxTemporaryAttempts = 100;

std::string folder_of(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The name a chain of symbolic links ends at (path itself when it is no link),
// or empty when the chain is too long or a link cannot be read.
std::string follow_links(std::string path) {
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<size_t>(length) >= sizeof target) return {};
        const std::string next(target, static_cast<size_t>(length));
        path = next[0] == '/' ? next : folder_of(path) + "/" + next;
    }
    return {};
}

// A failure with the system's words for errno as it stands.
ReplaceResult failed(ReplaceOutcome outcome, int error = errno) { return {outcome, errno_reason(error)}; }

// Leaves errno at the failed write's; a write that stores nothing and reports
// no error is a full device.
bool write_all(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = ENOSPC;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// A device or a pipe: there is nothing to replace, only something to write into.
ReplaceResult write_straight(const std::string& path, std::string_view bytes) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) return failed(ReplaceOutcome::OpenFailed);
    const bool written = write_all(descriptor, bytes);
    const int write_error = errno;
    if (::close(descriptor) != 0 && written) return failed(ReplaceOutcome::WriteFailed);
    return written ? ReplaceResult{} : failed(ReplaceOutcome::WriteFailed, write_error);
}

// A new file beside target, never one that exists already (another save may be running).
int create_temporary(const std::string& target, mode_t mode, std::string& name) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < kMaxTemporaryAttempts; ++attempt) {
        name = target + ".qv3-new-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode);
        if (descriptor >= 0 || errno != EEXIST) return descriptor;
    }
    return -1;
}

// Makes the rename itself durable; some file systems cannot sync a folder, and
// the new file is in place by now, so a failure here changes nothing.
void sync_folder(const std::string& folder) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    [[maybe_unused]] const int ignored = ::fsync(descriptor);
    ::close(descriptor);
}

// Writes a complete new file and renames it over target. existing is the
// target's status, or null when there is no file yet.
ReplaceResult replace_whole(const std::string& target, const struct stat* existing, std::string_view bytes,
                            Durability durability) {
    std::string temporary;
    // A new name gets what opening it would give (0666 less the umask); a
    // replacement starts private and then takes the old file's bits.
    const int descriptor = create_temporary(target, existing != nullptr ? 0600 : 0666, temporary);
    if (descriptor < 0) return failed(ReplaceOutcome::OpenFailed);
    // The first failure's errno is the reason given.
    int error = 0;
    const auto note = [&error](bool ok) {
        if (!ok && error == 0) error = errno != 0 ? errno : EIO;
        return ok;
    };
    bool complete = note(write_all(descriptor, bytes));
    if (existing != nullptr) {
        // Owner and group only where the process may; set-id bits are not carried
        // over to a file that may now belong to someone else. A failed fchmod
        // leaves the file private, never more open than it was.
        [[maybe_unused]] const int owned = ::fchown(descriptor, existing->st_uid, existing->st_gid);
        [[maybe_unused]] const int moded = ::fchmod(descriptor, existing->st_mode & 0777);
    }
    if (durability == Durability::Synced) complete = note(::fsync(descriptor) == 0) && complete;
    complete = note(::close(descriptor) == 0) && complete;
    if (complete) complete = note(::rename(temporary.c_str(), target.c_str()) == 0);
    if (!complete) {
        ::unlink(temporary.c_str());
        return failed(ReplaceOutcome::WriteFailed, error);
    }
    if (durability == Durability::Synced) sync_folder(folder_of(target));
    return {};
}

}  // namespace

ReplaceResult replace_file(const std::string& path, std::string_view bytes, Durability durability) {
    if (path.empty()) return failed(ReplaceOutcome::OpenFailed, ENOENT);
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        if (errno != ENOENT) return failed(ReplaceOutcome::OpenFailed);
        // Nothing there, or a link to nothing: create the name opening it would create.
        const std::string target = follow_links(path);
        return target.empty() ? failed(ReplaceOutcome::OpenFailed, ELOOP)
                              : replace_whole(target, nullptr, bytes, durability);
    }
    if (S_ISDIR(status.st_mode)) return failed(ReplaceOutcome::OpenFailed, EISDIR);
    if (!S_ISREG(status.st_mode)) return write_straight(path, bytes);

    const std::string target = follow_links(path);
    if (target.empty()) return failed(ReplaceOutcome::OpenFailed, ELOOP);
    // Only a file this user could open for writing is replaced; opening without
    // truncating asks the system itself (mode, ACLs, read-only mounts).
    const int probe = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (probe < 0) return failed(ReplaceOutcome::OpenFailed);
    struct stat existing {};
    const bool known = ::fstat(probe, &existing) == 0 && S_ISREG(existing.st_mode);
    ::close(probe);
    return known ? replace_whole(target, &existing, bytes, durability) : failed(ReplaceOutcome::OpenFailed, EIO);
}

}  // namespace qv3
