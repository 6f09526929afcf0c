#include "control/protocol/AlbumAnswers.h"

#include "common/text/UrlCoding.h"
#include "control/protocol/AlbumMessages.h"
#include "control/protocol/ServiceNumbers.h"
#include "control/protocol/ServiceXml.h"
#include "control/session/SessionState.h"

namespace album_protocol {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(text[i]) != lower(prefix[i])) return false;
  }
  return true;
}

// The fields of a login answer: the parts between ';', empty ones skipped.
std::vector<std::string_view> LoginFields(std::string_view body) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (start <= body.size()) {
    size_t end = body.find(';', start);
    if (end == std::string_view::npos) end = body.size();
    if (end > start) fields.push_back(body.substr(start, end - start));
    start = end + 1;
  }
  return fields;
}

// Album names arrive as URL-encoded UTF-8.
std::string DecodeServiceText(std::string_view text) { return common::UrlDecode(text, /*from_utf8=*/true); }

// An answer body counts only when the server called it text.
std::string_view TextBody(std::string_view content_type, std::string_view body) {
  return StartsWithIgnoringCase(content_type, "text/") ? body : std::string_view();
}

}  // namespace

LoginAnswer ReadLoginAnswer(std::string_view body) {
  LoginAnswer answer;
  if (!StartsWith(body, "succ")) {
    answer.outcome =
        (!body.empty() && body[0] == '1') ? LoginOutcome::kNotActivated : LoginOutcome::kRejected;
    return answer;
  }
  std::vector<std::string_view> fields = LoginFields(body);
  if (fields.size() != 4) {
    answer.outcome = LoginOutcome::kServerError;
    return answer;
  }
  size_t last_equals = fields[0].rfind('=');
  answer.uid =
      std::string(last_equals == std::string_view::npos ? fields[0] : fields[0].substr(last_equals + 1));
  answer.cookie = std::string(fields[1]);
  answer.token = std::string(fields[2]);
  answer.nickname = std::string(fields[3]);
  answer.outcome = LoginOutcome::kSuccess;
  return answer;
}

std::string LoginFailureText(LoginOutcome outcome) {
  switch (outcome) {
    case LoginOutcome::kSuccess:
      return std::string();
    case LoginOutcome::kNotActivated:
      return kAlbumNotActivatedText;
    case LoginOutcome::kRejected:
      return kLoginRejectedText;
    case LoginOutcome::kServerError:
      return kLoginServerErrorText;
  }
  return kLoginRejectedText;
}

void ApplyLoginAnswer(const LoginAnswer& answer, const std::string& login_name, CSessionState* session) {
  if (answer.outcome != LoginOutcome::kSuccess) return;
  session->SetAlbumEnabled(1);
  session->SetUid(answer.uid);
  session->SetNickName(answer.nickname.empty() ? login_name : answer.nickname);
  session->SetCookie(answer.cookie);
  session->SetToken(answer.token);
  session->SetLoginName(login_name);
}

std::vector<SpecialInfo> ParseAlbumList(std::string_view body) {
  std::vector<SpecialInfo> albums;
  if (body.empty()) return albums;
  CServiceXml xml(body);
  if (!xml.EnterRoot() || !xml.EnterChild("list")) return albums;
  while (xml.NextChild("special")) {
    SpecialInfo album;
    for (const CServiceXml::Field& field : xml.CurrentChildFields()) {
      if (field.name == "specialname") album.name = DecodeServiceText(field.text);
      if (field.name == "specialid") album.id = field.text;
    }
    albums.push_back(std::move(album));
  }
  return albums;
}

AlbumListAnswer ReadAlbumListAnswer(bool status_ok, std::string_view body) {
  AlbumListAnswer answer;
  if (!status_ok) {
    answer.outcome = AlbumListOutcome::kNetworkError;
    answer.message = kAlbumListNetworkText;
    return answer;
  }
  if (StartsWith(body, "-ERROR")) {
    answer.outcome = AlbumListOutcome::kServiceError;
    answer.message = FormatServiceMessage(kAlbumListErrorFormat, ServiceErrorMessage(body));
    return answer;
  }
  answer.albums = ParseAlbumList(body);
  if (answer.albums.empty()) {
    answer.outcome = AlbumListOutcome::kEmpty;
    answer.message = kAlbumListEmptyQuestion;
  } else {
    answer.outcome = AlbumListOutcome::kAlbums;
  }
  return answer;
}

QuotaAnswer ReadQuotaAnswer(bool status_ok, std::string_view body) {
  QuotaAnswer answer;
  if (!status_ok || StartsWith(body, "error")) return answer;
  CServiceXml xml(body);
  if (!xml.EnterRoot()) return answer;
  answer.has_data = true;
  for (const CServiceXml::Field& field : xml.Fields()) {
    std::int32_t value = DecimalInt32(field.text);
    if (field.name == "pictures") answer.pictures = value;
    if (field.name == "specials") answer.specials = value;
    if (field.name == "leavespace") answer.remaining_bytes = TimesInt32(value, 1024);
    if (field.name == "usespace") answer.used_bytes = TimesInt32(value, 1024);
    if (field.name == "maxspace") answer.per_upload_size_limit = MegabytesInto64(value);
    if (field.name == "maxsingle") answer.single_file_limit = MegabytesIn32WidenedWithSign(value);
    if (field.name == "maxphoto" || field.name == "specialmaxphoto") answer.photo_limit = value;
  }
  return answer;
}

void ApplyQuotaLimits(const QuotaAnswer& answer, CSessionState* session) {
  if (!answer.has_data) return;
  if (answer.per_upload_size_limit) session->SetPerUploadSizeLimit(*answer.per_upload_size_limit);
  if (answer.single_file_limit) session->SetSingleFileLimit(*answer.single_file_limit);
  if (answer.photo_limit) session->SetPhotoLimit(*answer.photo_limit);
}

std::int32_t ReadAlbumPictureCount(bool status_ok, std::string_view body) {
  if (!status_ok) return 0;
  CServiceXml xml(body);
  if (!xml.EnterRoot()) return 0;
  std::int32_t count = 0;
  for (const CServiceXml::Field& field : xml.Fields()) {
    if (field.name == "picturenum") count = DecimalInt32(field.text);
  }
  return count;
}

bool IsKeywordAccepted(std::string_view answer) { return StartsWithIgnoringCase(answer, "+OK"); }

UploadAnswer ReadUploadAnswer(std::string_view content_type, std::string_view body) {
  UploadAnswer answer;
  CServiceXml xml(TextBody(content_type, body));
  if (!xml.EnterRoot()) return answer;
  std::string count;
  for (const CServiceXml::Field& field : xml.Fields()) {
    if (field.name == "count") count = field.text;
    if (field.name == "data") answer.receipt = field.text;
  }
  answer.ok = count == "1" && !answer.receipt.empty();
  if (!answer.ok) answer.receipt.clear();
  return answer;
}

bool ReadRegistrationAnswer(std::string_view content_type, std::string_view body) {
  return StartsWith(TextBody(content_type, body), "+OK");
}

CreateAlbumAnswer ReadCreateAlbumAnswer(bool status_ok, std::string_view body) {
  CreateAlbumAnswer answer;
  if (!status_ok) {
    answer.message = FormatServiceMessage(kCreateAlbumErrorFormat, kRequestFailedReason);
    return answer;
  }
  if (StartsWithIgnoringCase(body, "+OK")) {
    answer.created = true;
    return answer;
  }
  std::string reason = StartsWith(body, "-ERROR") ? ServiceErrorMessage(body) : std::string();
  answer.message = FormatServiceMessage(kCreateAlbumErrorFormat, reason);
  return answer;
}

std::string ServiceErrorMessage(std::string_view body) {
  size_t colon = body.rfind(':');
  return std::string(colon == std::string_view::npos ? body : body.substr(colon + 1));
}

}  // namespace album_protocol
