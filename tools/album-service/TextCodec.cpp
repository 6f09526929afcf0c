#include "tools/album-service/TextCodec.h"

#include <errno.h>
#include <iconv.h>

namespace albumservice {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Runs iconv over the whole input. An unconvertible sequence becomes '?': for
// GBK input the pair when its first byte is a lead byte, else one byte; for
// UTF-8 input the whole character.
std::string Convert(const char* to, const char* from, std::string_view input, bool from_utf8) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(input);
  std::string out;
  char* in_ptr = const_cast<char*>(input.data());
  size_t in_left = input.size();
  char buffer[1024];
  while (in_left > 0) {
    char* out_ptr = buffer;
    size_t out_left = sizeof buffer;
    size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buffer, static_cast<size_t>(out_ptr - buffer));
    if (rc != static_cast<size_t>(-1) || errno == E2BIG) continue;
    unsigned char lead = static_cast<unsigned char>(*in_ptr);
    size_t skip = 1;
    if (from_utf8) {
      size_t want = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
      while (skip < want && skip < in_left && (static_cast<unsigned char>(in_ptr[skip]) & 0xC0) == 0x80)
        ++skip;
    } else if (lead >= 0x81 && lead <= 0xFE && in_left >= 2) {
      skip = 2;
    }
    out.push_back('?');
    in_ptr += skip;
    in_left -= skip;
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string PercentDecode(std::string_view text, bool plus_is_space) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '+' && plus_is_space) {
      out.push_back(' ');
    } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string UrlEncode(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : bytes) {
    unsigned char b = static_cast<unsigned char>(c);
    bool keep = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9');
    if (!keep) {
      for (char safe : std::string_view("!$()*,-._")) keep = keep || c == safe;
    }
    if (keep) {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHex[b >> 4]);
      out.push_back(kHex[b & 15]);
    }
  }
  return out;
}

std::string GbkToUtf8(std::string_view gbk) { return Convert("UTF-8", "GBK", gbk, false); }

std::string Utf8ToGbk(std::string_view utf8) { return Convert("GBK", "UTF-8", utf8, true); }

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    size_t continuation = 0;
    if (b < 0x80)
      continuation = 0;
    else if (b >= 0xC2 && b <= 0xDF)
      continuation = 1;
    else if (b >= 0xE0 && b <= 0xEF)
      continuation = 2;
    else if (b >= 0xF0 && b <= 0xF4)
      continuation = 3;
    else
      return false;
    if (i + continuation >= text.size() && continuation > 0) return false;
    for (size_t k = 1; k <= continuation; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += continuation + 1;
  }
  return true;
}

std::string EscapeMarkup(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

std::string Trim(std::string_view text) {
  size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string_view::npos) return std::string();
  size_t end = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(begin, end - begin + 1));
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace albumservice
