#include "http/HttpEncoderA.h"

#include <cstring>

#include "http/HttpClientException.h"
#include "http/HttpToolA.h"
#include "platform/system/CodePage.h"

namespace Corvo {
namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// True when bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(const unsigned char* s, size_t n) {
  static const uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
  size_t i = 0;
  while (i < n) {
    unsigned char c = s[i];
    size_t extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 4;
    if (extra == 4 || extra >= n - i) {
      if (extra != 0) return false;
    }
    uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

}  // namespace

uint32_t CHttpEncoderA::_UrlEncodeLen(const char* bytes, size_t size) {
  if (bytes == nullptr) ThrowArgumentError("_UrlEncodeLen: szStr can not be NULL.");
  uint32_t length = 0;
  for (size_t i = 0; i < size; ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    length = CHttpToolA::AddChecked(length, IsUnreserved(c) || c == ' ' ? 1 : 3);
  }
  return length;
}

uint32_t CHttpEncoderA::UrlEncodeLenA(const char* text, bool useUtf8, uint32_t codePage) {
  if (text == nullptr || *text == '\0') return 0;
  std::string wire = WireEncode(text, useUtf8, codePage);
  return _UrlEncodeLen(wire.data(), wire.size());
}

std::string CHttpEncoderA::UrlEncodeA(const char* text, bool useUtf8, uint32_t codePage) {
  if (text == nullptr || *text == '\0') return std::string();
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : WireEncode(text, useUtf8, codePage)) {
    if (IsUnreserved(c)) {
      out += static_cast<char>(c);
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string CHttpEncoderA::Utf8Encode(const char* text, uint32_t codePage) {
  CHttpToolA::CheckAnsiCodePage(codePage, "CHttpEncoderA::Utf8Encode");
  if (text == nullptr) return std::string();
  size_t n = std::strlen(text);
  if (!IsValidUtf8(reinterpret_cast<const unsigned char*>(text), n)) ThrowHttpError(HttpError::kInvalidUtf8);
  return std::string(text, n);
}

uint32_t CHttpEncoderA::Utf8EncodeLen(const char* text, uint32_t codePage) {
  if (text == nullptr || *text == '\0') return 0;
  std::string bytes = Utf8Encode(text, codePage);
  if (bytes.size() > 0xFFFFFFFFu) ThrowHttpError(HttpError::kOverflow);
  return static_cast<uint32_t>(bytes.size());
}

std::string CHttpEncoderA::AnsiEncode(const char* text, uint32_t codePage) {
  CHttpToolA::CheckAnsiCodePage(codePage, "CHttpEncoderA::AnsiEncode");
  return text != nullptr ? platform::Utf8ToGbk(text) : std::string();
}

uint32_t CHttpEncoderA::AnsiEncodeLen(const char* text, uint32_t codePage) {
  if (text == nullptr || *text == '\0') return 0;
  std::string bytes = AnsiEncode(text, codePage);
  if (bytes.size() > 0xFFFFFFFFu) ThrowHttpError(HttpError::kOverflow);
  return static_cast<uint32_t>(bytes.size());
}

std::string CHttpEncoderA::WireEncode(const char* text, bool useUtf8, uint32_t codePage) {
  return useUtf8 ? Utf8Encode(text, codePage) : AnsiEncode(text, codePage);
}

}  // namespace Corvo
