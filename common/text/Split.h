// Splitting texts into items.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace common {

// Appends the parts between occurrences of `separator` that lie after the
// start of the remaining text; the remaining text, when not empty, is the last
// item. A separator at the very start of the remaining text ends the split, so
// ",a" split by "," gives the single item ",a". False for an empty text.
bool SplitByText(std::string_view text, std::string_view separator, std::vector<std::string>* items);

// Appends the non-empty parts between occurrences of `separator`.
void SplitByChar(std::string_view text, char separator, std::vector<std::string>* items);

}  // namespace common
