// Where the history lives on Linux (the XDG data folder) and the local time its names carry.
#include <cstdlib>
#include <ctime>
#include <string>

#include "files/history.h"

namespace qv3 {

LocalTime local_time_now() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    if (localtime_r(&now, &parts) == nullptr) return {};
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec};
}

std::string history_folder() {
    // The XDG rule: a relative XDG_DATA_HOME is ignored.
    const char* data_home = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (data_home != nullptr && data_home[0] == '/') {
        base = data_home;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] != '/') return {};
        base = std::string(home) + "/.local/share";
    }
    return base + "/quorvale3config/history";
}

}  // namespace qv3
