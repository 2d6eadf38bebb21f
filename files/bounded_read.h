// Reading a whole file from outside with a cap on its size, for every program that reads one.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace qv3 {

enum class BoundedReadOutcome { Read, OpenFailed, ReadFailed };

struct BoundedRead {
    BoundedReadOutcome outcome = BoundedReadOutcome::Read;
    // At most max_bytes + 1 bytes, so that the caller can tell an oversized file.
    std::string bytes;
    int system_error = 0;  // errno of a failed open or read, for the caller's message
};

// "Read", "Failed to open file" or "Failed to read data".
const char* bounded_read_outcome_text(BoundedReadOutcome outcome);

// Reads file (left open) until its end or max_bytes + 1 bytes.
BoundedRead read_bounded(std::FILE* file, size_t max_bytes);

// Opens path (UTF-8, files/system_text.h), reads it as read_bounded does and closes it.
BoundedRead read_file_bounded(const std::string& path, size_t max_bytes);

}  // namespace qv3
