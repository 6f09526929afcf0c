#include "control/album/TagRules.h"

#include "control/album/TextRules.h"
#include "control/protocol/AlbumMessages.h"

namespace album_rules {
namespace {

constexpr std::string_view kFullWidthComma = "\xEF\xBC\x8C";  // U+FF0C
constexpr std::string_view kFullWidthSpace = "\xE3\x80\x80";  // U+3000
constexpr std::string_view kSeparators = " ,";

void ReplaceAll(std::string* text, std::string_view from, char to) {
  size_t pos = 0;
  while ((pos = text->find(from, pos)) != std::string::npos) {
    text->replace(pos, from.size(), 1, to);
    ++pos;
  }
}

}  // namespace

std::vector<std::string> SplitTags(std::string_view typed) {
  std::string text(typed);
  ReplaceAll(&text, kFullWidthComma, ',');
  ReplaceAll(&text, kFullWidthSpace, ' ');
  std::vector<std::string> tags;
  std::string_view rest(text);
  while (!rest.empty()) {
    size_t separator = rest.find_first_of(kSeparators);
    if (separator == std::string_view::npos || separator == 0) {
      tags.emplace_back(rest);
      break;
    }
    tags.emplace_back(rest.substr(0, separator));
    rest.remove_prefix(separator + 1);
  }
  return tags;
}

std::string TagLimitProblem(const std::vector<std::string>& tags) {
  if (tags.size() > kMaxTags) return kTooManyTagsText;
  for (const std::string& tag : tags) {
    if (CodePageLength(tag) > kMaxTagBytes) return kTagTooLongText;
  }
  return std::string();
}

TagCheck CheckTagText(std::string_view typed, const TagKeywordCheck& keywordCheck) {
  std::string_view trimmed = TrimBlanks(typed);
  if (trimmed.empty()) return {TagVerdict::kNoTags, {}};
  std::vector<std::string> tags = SplitTags(typed);
  if (tags.size() > kMaxTags) return {TagVerdict::kTooMany, kTooManyTagsText};
  if (!TagLimitProblem(tags).empty()) return {TagVerdict::kTooLong, kTagTooLongText};
  switch (keywordCheck(trimmed)) {
    case album_protocol::KeywordVerdict::kAccepted:
      return {TagVerdict::kAccepted, {}};
    case album_protocol::KeywordVerdict::kRefused:
      return {TagVerdict::kRefused, album_protocol::kTagRefusedText};
    case album_protocol::KeywordVerdict::kNoResponse:
      break;
  }
  return {TagVerdict::kNoResponse, {}};
}

}  // namespace album_rules
