// Bounded whole-file reads: never more than one byte past the caller's limit is held.
#include "files/bounded_read.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include "files/system_text.h"

namespace qv3 {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

const char* bounded_read_outcome_text(BoundedReadOutcome outcome) {
    switch (outcome) {
        case BoundedReadOutcome::Read: return "Read";
        case BoundedReadOutcome::OpenFailed: return "Failed to open file";
        case BoundedReadOutcome::ReadFailed: return "Failed to read data";
    }
    return "Failed to read data";
}

BoundedRead read_bounded(std::FILE* file, size_t max_bytes) {
    BoundedRead read;
    errno = 0;
    char buffer[4096];
    while (read.bytes.size() <= max_bytes) {
        const size_t wanted = std::min(sizeof buffer, max_bytes + 1 - read.bytes.size());
        const size_t got = std::fread(buffer, 1, wanted, file);
        read.bytes.append(buffer, got);
        if (got < wanted) break;
    }
    if (std::ferror(file)) {
        read.outcome = BoundedReadOutcome::ReadFailed;
        read.system_error = errno;
        read.bytes.clear();
    }
    return read;
}

BoundedRead read_file_bounded(const std::string& path, size_t max_bytes) {
    errno = 0;
    const std::unique_ptr<std::FILE, FileCloser> file(open_file(path, "rb"));
    if (!file) {
        BoundedRead failed;
        failed.outcome = BoundedReadOutcome::OpenFailed;
        failed.system_error = errno;
        return failed;
    }
    return read_bounded(file.get(), max_bytes);
}

}  // namespace qv3
