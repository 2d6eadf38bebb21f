// The UI driver's commands: one request line in, one answer line out.
#pragma once

#include <string>
#include <vector>

namespace qv3::driver {

// Runs one command given as its fields (name first); the answer is "ok" or
// "ok|VALUE" on success, "err|REASON" otherwise. "exit" sets done.
std::string run_command(const std::vector<std::string>& fields, bool& done);

// Texts in answers and requests: backslash, CR and LF written as \\, \r and \n.
std::string escape(const std::string& text);
std::string unescape(const std::string& text);

}  // namespace qv3::driver
