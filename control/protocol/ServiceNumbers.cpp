#include "control/protocol/ServiceNumbers.h"

#include <limits>

namespace album_protocol {
namespace {

constexpr std::int32_t kBytesPerMegabyte = 1048576;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

std::int32_t DecimalInt32(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  // Accumulate the magnitude in 64 bits and stop growing once it is past the
  // 32-bit range, so any number of digits is safe.
  constexpr std::int64_t kLimit = static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
  std::int64_t magnitude = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    if (magnitude <= kLimit) magnitude = magnitude * 10 + (text[at] - '0');
  }
  if (negative) {
    return magnitude >= kLimit ? std::numeric_limits<std::int32_t>::min()
                               : static_cast<std::int32_t>(-magnitude);
  }
  return magnitude >= kLimit ? std::numeric_limits<std::int32_t>::max()
                             : static_cast<std::int32_t>(magnitude);
}

std::int32_t TimesInt32(std::int32_t value, std::int32_t factor) {
  std::uint32_t product = static_cast<std::uint32_t>(value) * static_cast<std::uint32_t>(factor);
  return static_cast<std::int32_t>(product);
}

std::uint64_t MegabytesInto64(std::int32_t megabytes) {
  if (megabytes < 0) return 0;
  return static_cast<std::uint64_t>(megabytes) * kBytesPerMegabyte;
}

std::uint64_t MegabytesIn32WidenedWithSign(std::int32_t megabytes) {
  std::int32_t bytes = TimesInt32(megabytes, kBytesPerMegabyte);
  return static_cast<std::uint64_t>(static_cast<std::int64_t>(bytes));
}

}  // namespace album_protocol
