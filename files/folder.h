// The folder operations the history needs, on UTF-8 paths. One file per platform, chosen by
// the build: folder_posix.cpp (Linux and the page, where std::filesystem and the printf its
// messages bring were a sixth of the module) and folder_win32.cpp.
#pragma once

#include <string>
#include <vector>

namespace qv3 {

// NAME inside FOLDER, with the platform's separator.
std::string path_in_folder(const std::string& folder, const std::string& name);

// Makes FOLDER and the folders above it that are missing; the system's reason when FOLDER is
// not a folder afterwards, empty when it is.
std::string make_folders(const std::string& folder);

// The names of FOLDER's regular files (a link counts as what it leads to); none when FOLDER
// cannot be read.
std::vector<std::string> regular_file_names(const std::string& folder);

// Removes the file at PATH; what cannot be removed stays.
void remove_file(const std::string& path);

}  // namespace qv3
