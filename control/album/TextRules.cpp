#include "control/album/TextRules.h"

#include "platform/system/CodePage.h"

namespace album_rules {
namespace {

// Bytes of the UTF-8 sequence that starts with `lead`; a stray byte counts as one.
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead < 0xF8) return 4;
  if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n\v\f";
  size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return std::string_view();
  size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

size_t CodePageLength(std::string_view utf8) { return platform::GbkLength(utf8); }

FittedText FitToCodePageLimit(std::string_view utf8, size_t limit) {
  FittedText fitted;
  size_t pos = 0;
  while (pos < utf8.size()) {
    size_t length = SequenceLength(static_cast<unsigned char>(utf8[pos]));
    if (length > utf8.size() - pos) length = utf8.size() - pos;
    size_t units = platform::GbkLength(utf8.substr(pos, length));
    if (fitted.units + units > limit) {
      fitted.cut = true;
      break;
    }
    fitted.units += units;
    pos += length;
  }
  fitted.text.assign(utf8.substr(0, pos));
  return fitted;
}

}  // namespace album_rules
