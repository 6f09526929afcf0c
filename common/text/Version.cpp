#include "common/text/Version.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/system/FileVersion.h"

namespace common {
namespace {

// Reads one part like atoi: leading blanks, an optional sign, digits; anything
// else ends the number. Values beyond the range of int are clamped.
int ReadNumber(std::string_view part) {
  size_t i = 0;
  while (i < part.size() && (part[i] == ' ' || (part[i] >= '\t' && part[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < part.size() && (part[i] == '+' || part[i] == '-')) negative = part[i++] == '-';
  int64_t value = 0;
  for (; i < part.size() && part[i] >= '0' && part[i] <= '9'; ++i) {
    value = value * 10 + (part[i] - '0');
    if (value > std::numeric_limits<int>::max()) value = int64_t{std::numeric_limits<int>::max()} + 1;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

std::vector<int> ReadParts(std::string_view text) {
  std::vector<int> parts;
  for (;;) {
    size_t dot = text.find('.');
    parts.push_back(ReadNumber(text.substr(0, dot)));
    if (dot == std::string_view::npos) return parts;
    text.remove_prefix(dot + 1);
  }
}

}  // namespace

int CompareVersions(std::string_view a, std::string_view b) {
  std::vector<int> x = ReadParts(a);
  std::vector<int> y = ReadParts(b);
  size_t common_count = std::min(x.size(), y.size());
  for (size_t i = 0; i < common_count; ++i) {
    if (x[i] < y[i]) return -1;
    if (x[i] > y[i]) return 1;
  }
  for (size_t i = common_count; i < x.size(); ++i)
    if (x[i] > 0) return 1;
  for (size_t i = common_count; i < y.size(); ++i)
    if (y[i] > 0) return -1;
  return 0;
}

std::string FileVersionText(const std::string& path) {
  auto record = platform::ReadFileVersionRecord(path);
  if (!record) return "0.0.0.0";
  const auto& v = *record;
  return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
         std::to_string(v[3]);
}

}  // namespace common
