// replace_file on Windows: refuses read-only files, keeps the file's attributes, writes devices straight.
#include <windows.h>

#include <string>

#include "files/replace_file.h"

namespace qv3 {

namespace {

// The attributes a replacement carries over from the file it replaces.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool write_all(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD wanted = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), wanted, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// A device (NUL, a COM port, a console) or a pipe: written into, never replaced.
ReplaceOutcome write_straight(HANDLE device, std::string_view bytes) {
    const bool written = write_all(device, bytes);
    const bool closed = CloseHandle(device) != 0;
    return written && closed ? ReplaceOutcome::Written : ReplaceOutcome::WriteFailed;
}

// Writes a complete new file beside path and moves it over. attributes are
// the old file's, or 0 when there is none.
ReplaceOutcome replace_whole(const std::string& path, DWORD attributes, std::string_view bytes,
                             Durability durability) {
    const std::string temporary = path + ".qv3-new-" + std::to_string(GetCurrentProcessId());
    const DWORD kept = attributes & kKeptAttributes;
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ReplaceOutcome::OpenFailed;
    bool complete = write_all(file, bytes);
    if (durability == Durability::Synced) complete = FlushFileBuffers(file) != 0 && complete;
    complete = CloseHandle(file) != 0 && complete;
    if (complete) {
        const DWORD flags = durability == Durability::Synced ? MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH
                                                             : MOVEFILE_REPLACE_EXISTING;
        complete = MoveFileExA(temporary.c_str(), path.c_str(), flags) != 0;
    }
    if (!complete) {
        DeleteFileA(temporary.c_str());
        return ReplaceOutcome::WriteFailed;
    }
    return ReplaceOutcome::Written;
}

}  // namespace

ReplaceOutcome replace_file(const std::string& path, std::string_view bytes, Durability durability) {
    if (path.empty()) return ReplaceOutcome::OpenFailed;
    // Opening for writing without creating or emptying tells a file the user may
    // write from a read-only one, a folder (which does not open) and a device.
    HANDLE existing = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (existing == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) return ReplaceOutcome::OpenFailed;
        return replace_whole(path, 0, bytes, durability);
    }
    if (GetFileType(existing) != FILE_TYPE_DISK) return write_straight(existing, bytes);
    CloseHandle(existing);
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ReplaceOutcome::OpenFailed;
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) return ReplaceOutcome::OpenFailed;
    return replace_whole(path, attributes, bytes, durability);
}

}  // namespace qv3
