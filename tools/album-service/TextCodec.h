// Text conversions the service needs at its edges: percent coding as the
// client writes it, the client's code page (GBK) and escaping for HTML/XML.
#pragma once

#include <string>
#include <string_view>

namespace albumservice {

// Percent-decodes a query value: "%XX" becomes the byte, "+" a space when
// plus_is_space is set; a "%" without two hex digits stays as it is.
std::string PercentDecode(std::string_view text, bool plus_is_space = true);

// Percent-encodes every byte except ASCII letters, digits and "!$()*,-._",
// upper-case hex: the encoding the client decodes album names with.
std::string UrlEncode(std::string_view bytes);

// GBK bytes to UTF-8; a byte sequence that is not GBK becomes '?'.
std::string GbkToUtf8(std::string_view gbk);

// UTF-8 to GBK; a character without a GBK form becomes '?'.
std::string Utf8ToGbk(std::string_view utf8);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

// Escapes &, <, >, " and ' for HTML and XML text and attribute values.
std::string EscapeMarkup(std::string_view text);

// Removes blanks (space, tab, CR, LF) at both ends.
std::string Trim(std::string_view text);

// ASCII lower-case copy; other bytes unchanged.
std::string AsciiLower(std::string_view text);

}  // namespace albumservice
