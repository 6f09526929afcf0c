#include "common/text/Hex.h"

#include <stdexcept>

namespace common {

std::string BytesToHex(const void* bytes, size_t length) {
  static constexpr char kDigits[] = "0123456789abcdef";
  const auto* p = static_cast<const unsigned char*>(bytes);
  std::string out(length * 2, '\0');
  for (size_t i = 0; i < length; ++i) {
    out[2 * i] = kDigits[p[i] >> 4];
    out[2 * i + 1] = kDigits[p[i] & 15];
  }
  return out;
}

std::string BytesToHex(std::string_view bytes) { return BytesToHex(bytes.data(), bytes.size()); }

std::string BytesToHex(const std::array<uint8_t, 20>& digest) {
  return BytesToHex(digest.data(), digest.size());
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string HexToBytes(std::string_view hex) {
  if (hex.size() % 2 != 0) throw std::invalid_argument("hexadecimal text of odd length");
  std::string out(hex.size() / 2, '\0');
  for (size_t i = 0; i < out.size(); ++i) {
    int high = HexDigitValue(hex[2 * i]);
    int low = HexDigitValue(hex[2 * i + 1]);
    if (high < 0 || low < 0) throw std::invalid_argument("not a hexadecimal digit");
    out[i] = static_cast<char>(high * 16 + low);
  }
  return out;
}

}  // namespace common
