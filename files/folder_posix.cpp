// The history's folder operations with POSIX calls: paths are the file system's own bytes.
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/folder.h"
#include "files/system_text.h"

namespace qv3 {

namespace {

bool is_folder(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

std::string path_in_folder(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + '/' + name;
}

std::string make_folders(const std::string& folder) {
    if (folder.empty()) return errno_reason(ENOENT);
    // Each folder from the top down; one that exists already is passed over.
    for (size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        const std::string part = folder.substr(0, end);
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return errno_reason(errno);
        if (end == std::string::npos) break;
    }
    return is_folder(folder) ? std::string() : errno_reason(ENOTDIR);
}

std::vector<std::string> regular_file_names(const std::string& folder) {
    std::vector<std::string> names;
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr) return names;
    while (const dirent* item = readdir(listing)) {
        const std::string name = item->d_name;
        struct stat status {};
        if (stat(path_in_folder(folder, name).c_str(), &status) == 0 && S_ISREG(status.st_mode)) names.push_back(name);
    }
    closedir(listing);
    return names;
}

void remove_file(const std::string& path) { unlink(path.c_str()); }

}  // namespace qv3
