// replace_file on Windows: refuses read-only files, keeps the file's attributes, writes devices straight; wide names.
#include <windows.h>

#include <string>

#include "files/replace_file.h"
#include "files/system_text_win32.h"

namespace qv3 {

namespace {

// The attributes a replacement carries over from the file it replaces.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A failure in the system's words for GetLastError as it stands.
ReplaceResult failed(ReplaceOutcome outcome) { return {outcome, last_error_reason()}; }

bool write_all(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD wanted = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), wanted, &written, nullptr)) return false;
        if (written == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// A device (NUL, a COM port, a console) or a pipe: written into, never replaced.
ReplaceResult write_straight(HANDLE device, std::string_view bytes) {
    if (!write_all(device, bytes)) {
        ReplaceResult result = failed(ReplaceOutcome::WriteFailed);
        CloseHandle(device);
        return result;
    }
    return CloseHandle(device) != 0 ? ReplaceResult{} : failed(ReplaceOutcome::WriteFailed);
}

// Writes a complete new file beside path and moves it over. attributes are
// the old file's, or 0 when there is none.
ReplaceResult replace_whole(const std::wstring& path, DWORD attributes, std::string_view bytes,
                            Durability durability) {
    const std::wstring temporary = path + L".qv3-new-" + std::to_wstring(GetCurrentProcessId());
    const DWORD kept = attributes & kKeptAttributes;
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return failed(ReplaceOutcome::OpenFailed);
    // The first failure's words are the reason given.
    std::string reason;
    const auto note = [&reason](bool ok) {
        if (!ok && reason.empty()) reason = last_error_reason();
        return ok;
    };
    bool complete = note(write_all(file, bytes));
    if (durability == Durability::Synced) complete = note(FlushFileBuffers(file) != 0) && complete;
    complete = note(CloseHandle(file) != 0) && complete;
    if (complete) {
        const DWORD flags = durability == Durability::Synced ? MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH
                                                             : MOVEFILE_REPLACE_EXISTING;
        complete = note(MoveFileExW(temporary.c_str(), path.c_str(), flags) != 0);
    }
    if (!complete) {
        DeleteFileW(temporary.c_str());
        return {ReplaceOutcome::WriteFailed, reason};
    }
    return {};
}

}  // namespace

ReplaceResult replace_file(const std::string& utf8_path, std::string_view bytes, Durability durability) {
    if (utf8_path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return failed(ReplaceOutcome::OpenFailed);
    }
    const std::wstring path = wide_text(utf8_path);
    // Opening for writing without creating or emptying tells a file the user may
    // write from a read-only one, a folder (which does not open) and a device.
    HANDLE existing = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (existing == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) return failed(ReplaceOutcome::OpenFailed);
        return replace_whole(path, 0, bytes, durability);
    }
    if (GetFileType(existing) != FILE_TYPE_DISK) return write_straight(existing, bytes);
    CloseHandle(existing);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return failed(ReplaceOutcome::OpenFailed);
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        SetLastError((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? ERROR_DIRECTORY : ERROR_ACCESS_DENIED);
        return failed(ReplaceOutcome::OpenFailed);
    }
    return replace_whole(path, attributes, bytes, durability);
}

}  // namespace qv3
