// MD5 message digest (RFC 1321), for installer checks and the service protocol.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace common {

// Digests a stream of bytes fed in pieces.
class CMd5 {
 public:
  CMd5();
  // Feeds more bytes.
  void Update(const void* data, size_t length);
  void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
  // Pads, finishes and returns the 16-byte digest; the object then starts over.
  std::array<uint8_t, 16> Finish();

 private:
  void Transform(const uint8_t* block);

  uint32_t state_[4];
  uint64_t length_ = 0;  // bytes fed so far
  uint8_t buffer_[64];
};

// The digest of the bytes.
std::array<uint8_t, 16> Md5Digest(std::string_view bytes);
// The digest of the bytes as 32 lower-case hexadecimal digits.
std::string Md5Hex(std::string_view bytes);
// The digest of a text's code-page (GBK) bytes, as the album service expects
// for passwords.
std::string Md5HexOfText(std::string_view utf8_text);

}  // namespace common
