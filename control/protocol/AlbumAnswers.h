// Readers of the album service's answers. Each takes the answer as it came off
// the wire (UTF-8 text or XML) and returns a small result record; none of them
// touches a window or the session, so the windows and the command-line
// uploader share them. Every answer is treated as hostile: a damaged answer
// reads as a failure, never as a crash.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "control/protocol/SpecialInfo.h"

class CSessionState;

namespace album_protocol {

// --- Login -------------------------------------------------------------------

// How a login answer ended.
enum class LoginOutcome {
  kSuccess,       // "succ" with four fields
  kNotActivated,  // the user's album is not activated yet
  kRejected,      // wrong name or password, or no answer at all
  kServerError,   // "succ" with another number of fields
};

// The login answer, with the session values of a success.
struct LoginAnswer {
  LoginOutcome outcome = LoginOutcome::kRejected;
  std::string uid;
  std::string cookie;
  std::string token;
  std::string nickname;
};

// Reads the plain-text login answer ("succ...=uid;cookie;token;nickname").
LoginAnswer ReadLoginAnswer(std::string_view body);

// The status-line text for a failed login, empty for a success.
std::string LoginFailureText(LoginOutcome outcome);

// Writes a successful login into the session: album enabled, uid, nickname
// (the login name when the answer's is empty), cookie, token and login name.
void ApplyLoginAnswer(const LoginAnswer& answer, const std::string& login_name, CSessionState* session);

// --- Album list --------------------------------------------------------------

// How an album-list answer ended.
enum class AlbumListOutcome {
  kAlbums,        // at least one album
  kEmpty,         // a readable answer without albums (or an unreadable one)
  kServiceError,  // "-ERROR...:message"
  kNetworkError,  // no status 200
};

// The album list with the text to show when there is none.
struct AlbumListAnswer {
  AlbumListOutcome outcome = AlbumListOutcome::kNetworkError;
  std::vector<SpecialInfo> albums;
  std::string message;
};

// The albums of an album-list document, in document order; empty for an empty
// or unreadable text. Names are URL-decoded (they arrive as encoded UTF-8).
std::vector<SpecialInfo> ParseAlbumList(std::string_view body);

// Reads a finished album-list request; `status_ok` is the task's result flag (status 200).
AlbumListAnswer ReadAlbumListAnswer(bool status_ok, std::string_view body);

// --- Quota -------------------------------------------------------------------

// The figures of a quota answer; an element that was absent stays unset.
struct QuotaAnswer {
  bool has_data = false;
  std::optional<std::int32_t> pictures;
  std::optional<std::int32_t> specials;
  std::optional<std::int32_t> remaining_bytes;  // "leavespace" KB x 1024 in 32 bits
  std::optional<std::int32_t> used_bytes;       // "usespace" KB x 1024 in 32 bits
  std::optional<std::uint64_t> per_upload_size_limit;
  std::optional<std::uint64_t> single_file_limit;
  std::optional<std::int32_t> photo_limit;  // the later of "maxphoto" and "specialmaxphoto"
};

// Reads a finished quota request. Only a status-200 answer not starting with
// "error" has data.
QuotaAnswer ReadQuotaAnswer(bool status_ok, std::string_view body);

// Writes the three limits of a quota answer that carried them into the session.
void ApplyQuotaLimits(const QuotaAnswer& answer, CSessionState* session);

// --- Album information -------------------------------------------------------

// Pictures already in the album; 0 unless a status-200 answer says otherwise.
std::int32_t ReadAlbumPictureCount(bool status_ok, std::string_view body);

// --- Keyword checks ----------------------------------------------------------

// True when the first three bytes of a keyword check's answer are "+OK" in any letter case.
bool IsKeywordAccepted(std::string_view answer);

// --- Upload and registration -------------------------------------------------

// The upload answer: success with the service's receipt for the registration.
struct UploadAnswer {
  bool ok = false;
  std::string receipt;
};

// Reads the upload answer; a body whose Content-Type does not begin with
// "text/" counts as empty.
UploadAnswer ReadUploadAnswer(std::string_view content_type, std::string_view body);

// True when the registration answer (read like the upload's) begins with "+OK".
bool ReadRegistrationAnswer(std::string_view content_type, std::string_view body);

// --- Album creation ----------------------------------------------------------

// Whether an album was created, and the text to show when not.
struct CreateAlbumAnswer {
  bool created = false;
  std::string message;
};

// Reads a finished album-creation request.
CreateAlbumAnswer ReadCreateAlbumAnswer(bool status_ok, std::string_view body);

// The text after the last ':' of an "-ERROR" answer (the whole text without one).
std::string ServiceErrorMessage(std::string_view body);

}  // namespace album_protocol
