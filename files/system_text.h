// File names, arguments and the system's words as the programs hold them (UTF-8) and as each system takes them.
//
// Every path inside the programs is UTF-8. On POSIX it goes to the system as
// it is, the file system's own bytes; on Windows it becomes UTF-16 for the
// wide API, so that a name outside the system's 8-bit code page opens too.
// One file per platform, chosen by the build: system_text_posix.cpp and
// system_text_win32.cpp (whose wide-text helpers system_text_win32.h declares).
#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace qv3 {

// std::fopen for a UTF-8 path; errno tells why when it returns null.
std::FILE* open_file(const std::string& path, const char* mode);

// The program's arguments after its name, as UTF-8. Windows hands main its
// arguments in the 8-bit code page, so there they come from the wide command
// line instead.
std::vector<std::string> program_arguments(int argc, char** argv);

// The system's words for an errno value ("No such file or directory"); empty for 0. The C
// library's own words, as std::generic_category gives them, without the printf it brings.
inline std::string errno_reason(int error) { return error == 0 ? std::string() : std::strerror(error); }

// "TEXT (REASON)", or TEXT alone when the system gave no reason.
inline std::string with_reason(std::string_view text, std::string_view reason) {
    std::string out(text);
    if (!reason.empty()) {
        out += " (";
        out += reason;
        out += ')';
    }
    return out;
}

}  // namespace qv3
