// Human-readable sizes, transfer rates and durations for progress displays.
#pragma once

#include <cstdint>
#include <string>

namespace common {

// "500 B", "1.50 KB", "1.00 MB", "1.50 GB": the largest unit with a non-zero
// whole part, and two decimals of the next smaller unit, cut rather than
// rounded. With `rate` set, "/S" follows ("1023 B/S").
std::string FormatSize(uint64_t bytes, bool rate);

// "01:05", "1:02:05"; 99 hours or more show as "99:59:59".
std::string FormatDuration(int64_t seconds);

}  // namespace common
