// Hexadecimal texts of byte strings (digests, cipher texts).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace common {

// Two lower-case hexadecimal digits per byte.
std::string BytesToHex(std::string_view bytes);
std::string BytesToHex(const void* bytes, size_t length);
// The fixed-length form for a 20-byte digest.
std::string BytesToHex(const std::array<uint8_t, 20>& digest);

// Reads the text two digits at a time into bytes. Throws std::invalid_argument
// for an odd length or a character that is not a hexadecimal digit: callers
// pass only texts they produced, so either is a programming error or a
// tampered store.
std::string HexToBytes(std::string_view hex);

// The value of one hexadecimal digit (either case), -1 for any other character.
int HexDigitValue(char c);

}  // namespace common
