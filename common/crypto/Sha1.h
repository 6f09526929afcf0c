// SHA-1 message digest (FIPS 180-1), used to name thumbnail cache files.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace common {

// Digests a stream of bytes fed in pieces.
class CSha1 {
 public:
  CSha1();
  // Feeds more bytes.
  void Update(const void* data, size_t length);
  void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
  // Pads, finishes and returns the 20-byte digest; the object then starts over.
  std::array<uint8_t, 20> Finish();

 private:
  void Transform(const uint8_t* block);

  uint32_t state_[5];
  uint64_t length_ = 0;  // bytes fed so far
  uint8_t buffer_[64];
};

// The digest of the bytes.
std::array<uint8_t, 20> Sha1Digest(std::string_view bytes);
// The digest of the bytes as 40 lower-case hexadecimal digits.
std::string Sha1Hex(std::string_view bytes);

}  // namespace common
