// Conversion between the in-memory text (UTF-8) and the product code page GBK,
// used wherever bytes leave the program "in ANSI" or ANSI bytes are counted,
// digested or ciphered.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// UTF-8 to GBK. A character without a GBK form, and any byte that is not valid
// UTF-8, becomes '?'.
std::string Utf8ToGbk(std::string_view utf8);

// GBK to UTF-8. A byte sequence that is not valid GBK becomes '?'.
std::string GbkToUtf8(std::string_view gbk);

// Length of a UTF-8 text counted in GBK bytes (a Chinese character counts two).
size_t GbkLength(std::string_view utf8);

}  // namespace platform
