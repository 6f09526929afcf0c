// The tags typed for a batch: how the album window splits the text into tags,
// the limits each batch must keep, and the whole check before an upload
// (split, limits, then the service's keyword check).
//
// NOTE: the split only serves the checks. The registration carries the text
// exactly as typed, and the keyword check gets it trimmed as one keyword.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "control/protocol/KeywordCheck.h"

namespace album_rules {

// At most this many tags per batch.
inline constexpr size_t kMaxTags = 15;
// At most this many code-page bytes per tag (8 Chinese characters).
inline constexpr size_t kMaxTagBytes = 16;

// Shown for more than kMaxTags tags.
inline constexpr const char* kTooManyTagsText = "标签总数不能超过15个。";
// Shown for a tag longer than kMaxTagBytes.
inline constexpr const char* kTagTooLongText = "每个标签不能超过16个字符(8个汉字)。";

// Splits the typed text: full-width commas and spaces count as their ASCII
// forms; each part before a separator is a tag, and a separator at the start
// of what is left makes the whole rest one last tag (so "a,,b" gives "a" and
// ",b", and " a b" is one tag).
std::vector<std::string> SplitTags(std::string_view typed);

// The message for tags that break a limit, empty when they keep them.
std::string TagLimitProblem(const std::vector<std::string>& tags);

// How the check of a batch's tag text ended.
enum class TagVerdict {
  kNoTags,      // nothing but blanks: no split, no keyword check
  kAccepted,    // within the limits and accepted by the service
  kTooMany,     // more than kMaxTags
  kTooLong,     // one tag longer than kMaxTagBytes
  kRefused,     // the service refused a word
  kNoResponse,  // the keyword check got no response: stop without a message
};

// The verdict and the message to show for it (empty for kNoTags, kAccepted, kNoResponse).
struct TagCheck {
  TagVerdict verdict = TagVerdict::kNoTags;
  std::string message;
};

// The service's keyword check of the trimmed tag text.
using TagKeywordCheck = std::function<album_protocol::KeywordVerdict(std::string_view trimmed)>;

// Runs the album window's checks on the typed tag text.
TagCheck CheckTagText(std::string_view typed, const TagKeywordCheck& keywordCheck);

}  // namespace album_rules
