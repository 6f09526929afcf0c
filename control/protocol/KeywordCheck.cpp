#include "control/protocol/KeywordCheck.h"

#include <exception>
#include <memory>

#include "control/protocol/AlbumAnswers.h"
#include "control/protocol/AlbumRequests.h"
#include "http/Corvo.h"

namespace album_protocol {
namespace {

// The service's verdict fits in the first bytes; nothing more is read.
constexpr uint32_t kAnswerBytes = 11;

// Reads up to kAnswerBytes of the body; a read may return fewer bytes than
// asked, so it goes on until the limit or the end of the body.
std::string ReadAnswerStart(Corvo::CHttpResponseA* response) {
  unsigned char buffer[kAnswerBytes];
  uint32_t filled = 0;
  while (filled < kAnswerBytes) {
    uint32_t read = response->ReadContent(buffer + filled, kAnswerBytes - filled);
    if (read == 0) break;
    filled += read;
  }
  return std::string(reinterpret_cast<const char*>(buffer), filled);
}

}  // namespace

KeywordVerdict RunKeywordCheck(const std::string& url, const char* user_agent) {
  try {
    Corvo::CHttpClientA client;
    client.SetUserAgent(user_agent);
    client.SetUseUtf8(false);
    std::unique_ptr<Corvo::CHttpResponseA> response =
        client.SendGetRequest(url.c_str(), /*allowCache=*/false);
    if (!response) return KeywordVerdict::kNoResponse;
    return IsKeywordAccepted(ReadAnswerStart(response.get())) ? KeywordVerdict::kAccepted
                                                              : KeywordVerdict::kRefused;
  } catch (const std::exception&) {
    // NOTE: a check that cannot reach the service lets the user go on.
    return KeywordVerdict::kAccepted;
  }
}

KeywordVerdict CheckTags(std::string_view tag_text) {
  return RunKeywordCheck(TagCheckUrl(tag_text), kTagCheckAgent);
}

KeywordVerdict CheckAlbumName(const CSessionState& session, std::string_view name,
                              std::string_view description) {
  return RunKeywordCheck(AlbumNameCheckUrl(session, name, description), kAlbumNameCheckAgent);
}

}  // namespace album_protocol
