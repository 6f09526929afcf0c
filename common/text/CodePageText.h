// Conversion between the in-memory text (UTF-8) and the product code page,
// for bytes that leave or arrive "in ANSI".
#pragma once

#include <string>
#include <string_view>

namespace common {

// Code-page (GBK) bytes to UTF-8; bytes that are not valid GBK become '?'.
std::string AnsiToUtf8(std::string_view ansi);

// UTF-8 to code-page (GBK) bytes; characters without a GBK form become '?'.
std::string Utf8ToAnsi(std::string_view utf8);

}  // namespace common
