#include "common/text/Format.h"

#include <cstdio>

namespace common {
namespace {

// The two-digit fraction of part / 1024, cut: the "%f" text of the quotient
// without its leading "0" and beyond the second decimal.
std::string Fraction(uint64_t part) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(part) / 1024.0);
  return std::string(buffer + 1, 3);
}

}  // namespace

std::string FormatSize(uint64_t bytes, bool rate) {
  uint64_t g = bytes >> 30;
  uint64_t m = (bytes >> 20) & 1023;
  uint64_t k = (bytes >> 10) & 1023;
  uint64_t b = bytes & 1023;
  std::string text;
  if (g > 0) {
    text = std::to_string(g) + Fraction(m) + " GB";
  } else if (m > 0) {
    text = std::to_string(m) + Fraction(k) + " MB";
  } else if (k > 0) {
    text = std::to_string(k) + Fraction(b) + " KB";
  } else {
    text = std::to_string(b) + " B";
  }
  if (rate) text += "/S";
  return text;
}

std::string FormatDuration(int64_t seconds) {
  // NOTE: a negative duration (a clock that went back) shows as zero.
  if (seconds < 0) seconds = 0;
  int64_t h = seconds / 3600;
  int64_t m = (seconds - h * 3600) / 60;
  int64_t s = seconds % 60;
  if (h >= 99) {
    h = 99;
    m = 59;
    s = 59;
  }
  char buffer[32];
  if (h > 0) {
    std::snprintf(buffer, sizeof buffer, "%d:%2d:%2d", static_cast<int>(h), static_cast<int>(m),
                  static_cast<int>(s));
  } else {
    std::snprintf(buffer, sizeof buffer, "%2d:%2d", static_cast<int>(m), static_cast<int>(s));
  }
  std::string text(buffer);
  for (char& c : text)
    if (c == ' ') c = '0';
  return text;
}

}  // namespace common
