// A text file's bytes as UTF-8, whichever of the encodings editors save it in.
#pragma once

#include <string>
#include <string_view>

namespace qv3 {

// UTF-8 with or without its byte-order mark, and UTF-16 little or big endian
// with its byte-order mark (Notepad's "Unicode", PowerShell 5's redirection),
// become UTF-8 without the mark. Bytes that are not well-formed UTF-8 and
// carry no mark are Latin-1, one character a byte, as files made before the
// settings text was UTF-8 are. Where a file that announces its encoding breaks
// it (a cut sequence, a lone surrogate, an odd last byte), U+FFFD stands in.
// The result is always well-formed UTF-8, at most three times as long as bytes.
std::string text_file_as_utf8(std::string_view bytes);

}  // namespace qv3
