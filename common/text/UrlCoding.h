// Percent-encoding of query values and decoding of answers.
#pragma once

#include <string>
#include <string_view>

namespace common {

// Copies ASCII letters, digits and "!$()*,-._"; every other byte becomes '%'
// and two upper-case hexadecimal digits.
std::string UrlEncode(std::string_view text);

// '%' and two hexadecimal digits become that byte, '+' a blank, other bytes are
// copied; a '%' among the last two characters ends the text there.
// `from_utf8` asks for UTF-8 input to be turned into the in-memory text, which
// is UTF-8 already, so it changes nothing.
std::string UrlDecode(std::string_view text, bool from_utf8);

}  // namespace common
