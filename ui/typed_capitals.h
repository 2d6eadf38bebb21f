// The upper-case input rule of the Callsign and Path fields, the same in every window.
#pragma once

#include <string>
#include <string_view>

namespace qv3 {

// text (UTF-8) with its small letters as capitals where the capital is a
// character the tracker can store: a to z, and the Latin-1 letters à to þ
// but ÷. ß, ÿ and µ, whose capitals lie past U+00FF, stay as typed, as does
// every other character; bytes that are not UTF-8 are kept.
std::string typed_capitals(std::string_view text);

}  // namespace qv3
