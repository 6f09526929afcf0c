// Numbers in the album service's answers: the plain decimal reading the
// service's clients have always used, and the unit conversions of the quota
// answer with the widths the service's figures have always been kept in.
#pragma once

#include <cstdint>
#include <string_view>

namespace album_protocol {

// Reads a decimal number like the C library's atoi: leading blanks, an
// optional sign, digits up to the first other byte; unreadable text gives 0.
// A value beyond the 32-bit range saturates at its end.
std::int32_t DecimalInt32(std::string_view text);

// value x factor in 32 bits, wrapping around as the service's 32-bit figures
// always have (no undefined signed overflow).
std::int32_t TimesInt32(std::int32_t value, std::int32_t factor);

// Megabytes into bytes in 64 bits. A negative count, which no sane answer
// holds, gives 0 rather than a limit that wraps to nearly 2^64.
std::uint64_t MegabytesInto64(std::int32_t megabytes);

// Megabytes into bytes computed in 32 bits and then widened with its sign, so
// 2048 gives 0xFFFFFFFF80000000. Kept for the single-file limit, which no part
// of the control acts on.
std::uint64_t MegabytesIn32WidenedWithSign(std::int32_t megabytes);

}  // namespace album_protocol
