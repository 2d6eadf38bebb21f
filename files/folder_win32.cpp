// The history's folder operations on Windows, through std::filesystem's wide paths so that
// any name opens whatever the system's 8-bit code page.
#include <filesystem>
#include <system_error>

#include "files/folder.h"

namespace qv3 {

namespace {

namespace fs = std::filesystem;

fs::path utf8_path(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

std::string utf8_text(const fs::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

}  // namespace

std::string path_in_folder(const std::string& folder, const std::string& name) {
    return utf8_text(utf8_path(folder) / utf8_path(name));
}

std::string make_folders(const std::string& folder) {
    std::error_code error;
    fs::create_directories(utf8_path(folder), error);
    return error ? error.message() : std::string();
}

std::vector<std::string> regular_file_names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(utf8_path(folder), error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        if (it->is_regular_file(error)) names.push_back(utf8_text(it->path().filename()));
    }
    return names;
}

void remove_file(const std::string& path) {
    std::error_code ignored;
    fs::remove(utf8_path(path), ignored);
}

}  // namespace qv3
