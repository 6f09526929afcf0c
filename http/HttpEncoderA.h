// CHttpEncoderA: the encoders of the HTTP client. Text in memory is UTF-8; on
// the wire it is either UTF-8 (the client's use-UTF-8 flag) or the code page
// GBK, and GET parameters are URL-encoded from those bytes.
#pragma once

#include <cstdint>
#include <string>

namespace Corvo {

class CHttpEncoderA {
 public:
  // Length of the URL-encoded bytes: 1 per letter, digit or space, 3 per other
  // byte. A none text fails with "_UrlEncodeLen: szStr can not be NULL.".
  static uint32_t _UrlEncodeLen(const char* bytes, size_t size);
  // Length of UrlEncodeA's result; 0 for none or empty.
  static uint32_t UrlEncodeLenA(const char* text, bool useUtf8, uint32_t codePage);
  // URL-encodes the wire bytes of text: letters and digits stay, a space
  // becomes "+", every other byte "%XX" (upper-case hexadecimal).
  static std::string UrlEncodeA(const char* text, bool useUtf8, uint32_t codePage);
  // The UTF-8 bytes of text (code 110 when text is not valid UTF-8).
  static std::string Utf8Encode(const char* text, uint32_t codePage);
  static uint32_t Utf8EncodeLen(const char* text, uint32_t codePage);
  // The code-page (GBK) bytes of text; a character without a GBK form becomes '?'.
  static std::string AnsiEncode(const char* text, uint32_t codePage);
  static uint32_t AnsiEncodeLen(const char* text, uint32_t codePage);
  // The wire bytes of text: Utf8Encode with useUtf8, else AnsiEncode.
  static std::string WireEncode(const char* text, bool useUtf8, uint32_t codePage);
};

}  // namespace Corvo
