// Feeds arbitrary bytes to every reader of the album service's answers: none
// may crash, hang or read outside the answer, whatever the service sends.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "control/protocol/AlbumAnswers.h"
#include "control/session/SessionState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view body(reinterpret_cast<const char*>(data), size);
  using namespace album_protocol;
  CSessionState session;
  ApplyLoginAnswer(ReadLoginAnswer(body), "fuzz", &session);
  ReadAlbumListAnswer(true, body);
  ApplyQuotaLimits(ReadQuotaAnswer(true, body), &session);
  ReadAlbumPictureCount(true, body);
  ReadUploadAnswer("text/xml", body);
  ReadRegistrationAnswer("text/plain", body);
  ReadCreateAlbumAnswer(true, body);
  IsKeywordAccepted(body);
  return 0;
}
