#include "common/xml/XmlTextDecoder.h"

#include <cstdint>
#include <cstring>

namespace {

struct Entity {
  const char* name;  // from '&' through ';'
  size_t length;
  char value;
};

constexpr Entity kEntities[] = {
    {"&lt;", 4, '<'}, {"&amp;", 5, '&'}, {"&gt;", 4, '>'}, {"&apos;", 6, '\''}, {"&quot;", 6, '"'},
};

// Most bytes allowed between "&#" (or "&#x") and the ';'.
constexpr int kMaxReferenceDigits = 7;

int DigitValue(char c, bool hex) {
  if (c >= '0' && c <= '9') return c - '0';
  if (!hex) return -1;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes the character reference at p ("&#..."); returns the bytes it spans,
// or 0 when it is not a well-formed, convertible reference.
size_t DecodeReference(const char* p, const char* end, std::string* out) {
  bool hex = end - p > 2 && p[2] == 'x';
  const char* digits = p + (hex ? 3 : 2);
  uint32_t value = 0;
  const char* q = digits;
  for (; q < end && q - digits <= kMaxReferenceDigits && *q != ';'; ++q) {
    int d = DigitValue(*q, hex);
    if (d < 0) return 0;
    value = value * (hex ? 16 : 10) + static_cast<uint32_t>(d);
  }
  if (q >= end || *q != ';' || q == digits || q - digits > kMaxReferenceDigits) return 0;
  if (!AppendUtf8CodePoint(value, out)) return 0;
  return static_cast<size_t>(q + 1 - p);
}

// Decodes the entity or reference at p (an '&'); returns the bytes consumed,
// 0 when the '&' is to be copied as it stands.
size_t DecodeAmpersand(const char* p, const char* end, std::string* out) {
  size_t left = static_cast<size_t>(end - p);
  if (left >= 2 && p[1] == '#') return DecodeReference(p, end, out);
  for (const Entity& e : kEntities) {
    if (left >= e.length && std::memcmp(p, e.name, e.length) == 0) {
      out->push_back(e.value);
      return e.length;
    }
  }
  return 0;
}

}  // namespace

bool AppendUtf8CodePoint(uint32_t cp, std::string* out) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
  return true;
}

void AppendDecodedXmlText(const char* begin, const char* end, std::string* out) {
  const char* p = begin;
  while (p < end) {
    const void* amp = std::memchr(p, '&', static_cast<size_t>(end - p));
    if (!amp) {
      out->append(p, end);
      return;
    }
    const char* a = static_cast<const char*>(amp);
    out->append(p, a);
    size_t used = DecodeAmpersand(a, end, out);
    if (used == 0) {
      out->push_back('&');
      used = 1;
    }
    p = a + used;
  }
}
