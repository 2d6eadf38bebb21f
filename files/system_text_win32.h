// Windows only: UTF-8 to and from the UTF-16 of the wide API, and the system's words for its last error.
#pragma once

#include <string>
#include <string_view>

namespace qv3 {

// UTF-8 as UTF-16 (a sequence that is not UTF-8 becomes U+FFFD).
std::wstring wide_text(std::string_view utf8);

// UTF-16 as UTF-8 (an unpaired surrogate becomes U+FFFD).
std::string utf8_text(std::wstring_view wide);

// GetLastError in the system's words, as UTF-8, without the closing full stop
// and line break; empty when there is no error.
std::string last_error_reason();

}  // namespace qv3
