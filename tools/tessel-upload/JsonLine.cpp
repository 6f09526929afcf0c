#include "tools/tessel-upload/JsonLine.h"

#include <cstdio>

namespace tessel_upload {
namespace {

// Length of the valid UTF-8 sequence at text[pos], or 0 when it is not one.
size_t ValidSequence(std::string_view text, size_t pos) {
  unsigned char lead = static_cast<unsigned char>(text[pos]);
  size_t length = lead < 0x80           ? 1
                  : (lead >> 5) == 0x6  ? 2
                  : (lead >> 4) == 0xE  ? 3
                  : (lead >> 3) == 0x1E ? 4
                                        : 0;
  if (length == 0 || pos + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

std::string CJsonLine::Quote(std::string_view text) {
  std::string out = "\"";
  for (size_t pos = 0; pos < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[pos]);
    size_t length = ValidSequence(text, pos);
    if (length == 0) {
      out += "\\ufffd";
      ++pos;
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++pos;
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
      ++pos;
    } else {
      out.append(text.substr(pos, length));
      pos += length;
    }
  }
  return out + "\"";
}

void CJsonLine::Key(std::string_view key) {
  if (body_.size() > 1) body_ += ',';
  body_ += Quote(key);
  body_ += ':';
}

CJsonLine& CJsonLine::Add(std::string_view key, std::string_view text) {
  Key(key);
  body_ += Quote(text);
  return *this;
}

CJsonLine& CJsonLine::Add(std::string_view key, int64_t number) {
  Key(key);
  body_ += std::to_string(number);
  return *this;
}

CJsonLine& CJsonLine::Add(std::string_view key, uint64_t number) {
  Key(key);
  body_ += std::to_string(number);
  return *this;
}

CJsonLine& CJsonLine::Add(std::string_view key, bool flag) {
  Key(key);
  body_ += flag ? "true" : "false";
  return *this;
}

CJsonLine& CJsonLine::AddRaw(std::string_view key, std::string_view json) {
  Key(key);
  body_.append(json);
  return *this;
}

}  // namespace tessel_upload
