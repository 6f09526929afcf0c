#include "common/text/UrlCoding.h"

#include <cstring>

#include "common/text/Hex.h"

namespace common {
namespace {

bool IsUnreserved(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return c != '\0' && std::strchr("!$()*,-._", c) != nullptr;
}

}  // namespace

std::string UrlEncode(std::string_view text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (IsUnreserved(c)) {
      out.push_back(ch);
    } else {
      out.push_back('%');
      out.push_back(kDigits[c >> 4]);
      out.push_back(kDigits[c & 15]);
    }
  }
  return out;
}

std::string UrlDecode(std::string_view text, bool /*from_utf8*/) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '+') {
      out.push_back(' ');
    } else if (c != '%') {
      out.push_back(c);
    } else if (i + 2 >= text.size()) {
      break;
    } else {
      int high = HexDigitValue(text[i + 1]);
      int low = HexDigitValue(text[i + 2]);
      // NOTE: "%" followed by something other than two hexadecimal digits is
      // copied as it stands rather than turned into an arbitrary byte.
      if (high < 0 || low < 0) {
        out.push_back(c);
        continue;
      }
      out.push_back(static_cast<char>(high * 16 + low));
      i += 2;
    }
  }
  return out;
}

}  // namespace common
