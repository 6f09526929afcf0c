// Small text rules shared by the album windows: trimming blanks, and lengths
// counted the way the service counts them, in bytes of the product code page
// (a Chinese character counts two).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace album_rules {

// The text without surrounding ASCII blanks (space, tab, CR, LF, VT, FF).
std::string_view TrimBlanks(std::string_view text);

// Length of a UTF-8 text in code-page bytes.
size_t CodePageLength(std::string_view utf8);

// The longest leading part of a UTF-8 text that fits into `limit` code-page
// bytes, taken whole characters at a time, and the bytes it uses.
struct FittedText {
  std::string text;
  size_t units = 0;
  bool cut = false;
};
FittedText FitToCodePageLimit(std::string_view utf8, size_t limit);

}  // namespace album_rules
