// The history's folder operations on Windows, through std::filesystem's wide paths so that
// any name opens whatever the system's 8-bit code page.
#include <filesystem>
#include <system_error>

#include "files/folder.h"
#include "files/system_text_win32.h"

namespace qv3 {

namespace fs = std::filesystem;

std::string path_in_folder(const std::string& folder, const std::string& name) {
    return utf8_text((fs::path(wide_text(folder)) / wide_text(name)).wstring());
}

std::string make_folders(const std::string& folder) {
    std::error_code error;
    fs::create_directories(wide_text(folder), error);
    return error ? error.message() : std::string();
}

std::vector<std::string> regular_file_names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(fs::path(wide_text(folder)), error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        if (it->is_regular_file(error)) names.push_back(utf8_text(it->path().filename().wstring()));
    }
    return names;
}

void remove_file(const std::string& path) {
    std::error_code ignored;
    fs::remove(wide_text(path), ignored);
}

}  // namespace qv3
