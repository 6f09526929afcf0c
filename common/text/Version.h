// Dotted version texts: comparison, and the version record of a file.
#pragma once

#include <string>
#include <string_view>

namespace common {

// -1, 0 or 1 as version a is older than, equal to or newer than version b.
// Each '.'-separated part is read as a decimal number the way atoi reads it;
// extra parts count only when greater than 0, so "1.2" equals "1.2.0".
int CompareVersions(std::string_view a, std::string_view b);

// The file's four-part version record as "major.minor.build.revision";
// "0.0.0.0" when the file has none or cannot be read.
std::string FileVersionText(const std::string& path);

}  // namespace common
