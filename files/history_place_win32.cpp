// Where the history lives on Windows (the user's local application data) and the local time its names carry.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "files/history.h"
#include "files/system_text_win32.h"

namespace qv3 {

LocalTime local_time_now() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::string history_folder() {
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (local == nullptr || local[0] == L'\0') return {};
    return utf8_text(local) + "\\Quorvale3Config\\history";
}

}  // namespace qv3
