// Single DES (FIPS 46) in electronic-codebook mode, used to scramble the
// stored password.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace common {

// The 16 round keys of one 8-byte key.
class CDesKey {
 public:
  // Uses the first 8 bytes of key (parity bits are ignored).
  explicit CDesKey(const uint8_t key[8]);
  // Enciphers or deciphers one 8-byte block in place.
  void Encrypt(uint8_t block[8]) const { Crypt(block, false); }
  void Decrypt(uint8_t block[8]) const { Crypt(block, true); }

 private:
  void Crypt(uint8_t block[8], bool decrypt) const;
  uint64_t round_keys_[16];
};

// Encrypts every whole 8-byte block and a last block padded with bytes whose
// value is the number of padding bytes (a full block of eight 8s when the
// length is a multiple of 8): the result has length - length % 8 + 8 bytes.
// The key is its first 8 bytes; empty when the key is shorter than that.
std::string DesEncrypt(std::string_view data, std::string_view key);

// Decrypts the length / 8 whole blocks of data; padding is not removed.
// Empty when the key is shorter than 8 bytes.
std::string DesDecrypt(std::string_view data, std::string_view key);

}  // namespace common
