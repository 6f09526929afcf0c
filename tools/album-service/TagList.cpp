#include "tools/album-service/TagList.h"

#include "tools/album-service/TextCodec.h"

namespace albumservice {
namespace {

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  size_t start = 0, at = 0;
  while ((at = text.find(from, start)) != std::string_view::npos) {
    out.append(text.substr(start, at - start));
    out.append(to);
    start = at + from.size();
  }
  out.append(text.substr(start));
  return out;
}

}  // namespace

std::vector<std::string> SplitTags(std::string_view text) {
  std::vector<std::string> tags;
  if (Trim(text).empty()) return tags;
  std::string rest = ReplaceAll(ReplaceAll(text, "\xEF\xBC\x8C", ","), "\xE3\x80\x80", " ");
  while (!rest.empty()) {
    size_t separator = rest.find_first_of(" ,");
    if (separator == std::string::npos || separator == 0) {
      tags.push_back(rest);
      break;
    }
    tags.push_back(rest.substr(0, separator));
    rest.erase(0, separator + 1);
  }
  return tags;
}

}  // namespace albumservice
