#include "common/text/Split.h"

namespace common {

bool SplitByText(std::string_view text, std::string_view separator, std::vector<std::string>* items) {
  if (text.empty()) return false;
  for (;;) {
    size_t at = text.find(separator);
    if (at == std::string_view::npos || at == 0) break;
    items->emplace_back(text.substr(0, at));
    text.remove_prefix(at + separator.size());
  }
  if (!text.empty()) items->emplace_back(text);
  return true;
}

void SplitByChar(std::string_view text, char separator, std::vector<std::string>* items) {
  while (!text.empty()) {
    if (text.front() == separator) {
      text.remove_prefix(1);
      continue;
    }
    size_t at = text.find(separator);
    if (at == std::string_view::npos) {
      items->emplace_back(text);
      return;
    }
    items->emplace_back(text.substr(0, at));
    text.remove_prefix(at + 1);
  }
}

}  // namespace common
