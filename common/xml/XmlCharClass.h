// Byte classes of the XML scanners: one table lookup tells whether a byte ends
// a name, a token or a run of text, so the scanning loops stay short and fast.
#pragma once

#include <array>
#include <cstdint>

namespace xmlchar {

// A blank: space, tab, LF, CR.
inline constexpr uint8_t kBlank = 1;
// Ends a tag name: a blank, '/', '>' or the terminating NUL.
inline constexpr uint8_t kTagNameEnd = 2;
// Ends an unquoted token: a blank, '<', '>', '=', '\', '/', '?', '!' or NUL.
inline constexpr uint8_t kTokenEnd = 4;
// May begin a tag name: ':', '_', a letter, any byte from 'a' to 0x7F, any byte of 0x80 and above.
inline constexpr uint8_t kNameStart = 8;
// Stops the walk through a start tag: '>', a quote or NUL.
inline constexpr uint8_t kTagStop = 16;

// Builds the class table once, at compile time.
constexpr std::array<uint8_t, 256> MakeTable() {
  std::array<uint8_t, 256> t{};
  for (unsigned char c : {' ', '\t', '\n', '\r'}) t[c] |= kBlank | kTagNameEnd | kTokenEnd;
  for (unsigned char c : {'/', '>', '\0'}) t[c] |= kTagNameEnd;
  for (unsigned char c : {'<', '>', '=', '\\', '/', '?', '!', '\0'}) t[c] |= kTokenEnd;
  for (unsigned char c : {'>', '"', '\'', '\0'}) t[c] |= kTagStop;
  for (int c = 'A'; c <= 'Z'; ++c) t[c] |= kNameStart;
  for (int c = 'a'; c <= 0xFF; ++c) t[c] |= kNameStart;
  t[':'] |= kNameStart;
  t['_'] |= kNameStart;
  return t;
}

inline constexpr std::array<uint8_t, 256> kTable = MakeTable();

// True when byte c has any of the given class bits.
inline bool Is(char c, uint8_t bits) { return (kTable[static_cast<unsigned char>(c)] & bits) != 0; }

// ASCII lower case; bytes of 0x80 and above (parts of UTF-8 characters) stay as they are.
inline char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

}  // namespace xmlchar
