// The two keyword checks of the album service (tag text, album name and
// description), sent synchronously through the direct HTTP client: the
// calling thread blocks for the duration of the request.
#pragma once

#include <string>
#include <string_view>

class CSessionState;

namespace album_protocol {

// What a keyword check decided.
enum class KeywordVerdict {
  kAccepted,    // "+OK", or the client failed (a failing check never blocks the user)
  kRefused,     // any other answer
  kNoResponse,  // no response object at all: the action ends without a message
};

// User agents the service expects on the tag check and the album-name check.
inline constexpr const char* kTagCheckAgent = "VORO Trovix 2.0";
inline constexpr const char* kAlbumNameCheckAgent = "VORO Trovix 2.1";

// Sends one check to a complete URL with the given user agent and reads at
// most 11 bytes of the answer.
KeywordVerdict RunKeywordCheck(const std::string& url, const char* user_agent);

// The tag check of the album window: the whole tag text as one keyword.
KeywordVerdict CheckTags(std::string_view tag_text);

// The album-name check of the new-album window.
KeywordVerdict CheckAlbumName(const CSessionState& session, std::string_view name,
                              std::string_view description);

}  // namespace album_protocol
