// ui_driver.exe: drives the Windows program from another process; reads one request a line, answers one line each.
//
// Requests are fields separated by '|': "main|TIMEOUT_MS" finds the main window,
// "dialog|CAPTION|TIMEOUT_MS" another top-level dialog, then "text|ID",
// "set|ID|TEXT", "click|ID", "enabled|ID", "wait-text|ID|TEXT|TIMEOUT_MS",
// "tab|ID|INDEX" and more (driver_commands.cpp) act on it. Answers are "ok",
// "ok|VALUE" or "err|REASON". Texts escape backslash, CR, LF and '|' as \\, \r, \n, \p.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/ui_e2e/driver_commands.h"

namespace {

// The longest request line accepted, newline included.
constexpr std::size_t kLineChars = 8192;
constexpr std::size_t kMostFields = 8;

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> fields(1);
    for (const char c : line) {
        if (c == '|') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

void answer(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace

int main() {
    std::vector<char> buffer(kLineChars, '\0');
    bool done = false;
    while (!done && std::fgets(buffer.data(), static_cast<int>(buffer.size()), stdin) != nullptr) {
        std::string line(buffer.data(), std::strlen(buffer.data()));
        if (line.empty() || line.back() != '\n') {
            answer("err|request line too long or not ended");
            // Skip the rest of an over-long line.
            while (!line.empty() && line.back() != '\n' &&
                   std::fgets(buffer.data(), static_cast<int>(buffer.size()), stdin) != nullptr) {
                line.assign(buffer.data(), std::strlen(buffer.data()));
            }
            continue;
        }
        line.pop_back();
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::vector<std::string> fields = split(line);
        if (fields.size() > kMostFields) {
            answer("err|too many fields");
            continue;
        }
        answer(qv3::driver::run_command(fields, done));
    }
    return 0;
}
