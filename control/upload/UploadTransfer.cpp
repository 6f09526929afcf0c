// The worker's transfer of one picture: upload, registration, cancel checks,
// progress reports and the report of the result.
#include "control/upload/UploadTransfer.h"

#include <cstdio>
#include <memory>

#include "common/file/FolderSize.h"
#include "control/dispatch/DispatchMessages.h"
#include "control/dispatch/WorkWndInvisible.h"
#include "control/items/ImageItem.h"
#include "control/protocol/AlbumAnswers.h"
#include "control/protocol/AlbumMessages.h"
#include "control/upload/UploadJob.h"
#include "http/DetectSystemProxy.h"
#include "platform/net/InternetConstants.h"
#include "platform/window/Messaging.h"
#include "platform/window/TickClock.h"

namespace {

// The platform's error number for a file that does not exist.
constexpr uint32_t kFileNotFound = 2;
// Written into the job when the user cancelled it.
constexpr const char* kCancelledText = "upload canceled.";

bool IsTextType(const char* contentType) {
  if (contentType == nullptr) return false;
  static const char kPrefix[] = "text/";
  for (size_t i = 0; i + 1 < sizeof kPrefix; ++i) {
    char c = contentType[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kPrefix[i]) return false;
  }
  return true;
}

uint64_t FileBytes(const std::string& path) {
  uint64_t bytes = 0, files = 0;
  return common::FolderSize(path, &bytes, &files) ? bytes : 0;
}

// Posts a result with the job; when the post fails nobody else will release it.
void Report(HWND replyWnd, UINT message, CUploadJob* job) {
  if (!platform::PostMessage(replyWnd, message, 0, reinterpret_cast<LPARAM>(job))) job->Release();
}

}  // namespace

struct CUploadTransfer::Transfer {
  CWorkUploadState& state;
  HWND replyWnd;
  CUploadJob* job;
  std::string path;
  std::string displayName;
  // Content bytes below which a cancel still counts: the file's size.
  uint64_t fileBytes;
};

CUploadTransfer::CUploadTransfer(TickSource ticks) : ticks_(std::move(ticks)) {
  if (!ticks_) ticks_ = [] { return platform::GetTickCount(); };
  std::string server, bypass;
  systemProxy_ = Corvo::DetectSystemProxy(&server, &bypass) == 1 ? 1 : 0;
  // NOTE: the client follows the system's preconfigured settings either way;
  // the flag only records what the system said.
  client_.SetInternetSettings(kUserAgent, platform::net::INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  client_.SetHeader(kHeaderName, kHeaderValue);
}

CUploadTransfer::~CUploadTransfer() {
  client_.CancelPostContext();
  Corvo::CHttpToolA::CloseInternetHandle(session_);
}

Corvo::CHttpClientA::HINTERNET CUploadTransfer::Session() {
  if (session_ == nullptr)
    session_ = Corvo::CHttpToolA::OpenInternet(kUserAgent, platform::net::INTERNET_OPEN_TYPE_PRECONFIG,
                                               nullptr, nullptr, 0);
  return session_;
}

bool CUploadTransfer::HandleUploadJob(CWorkWndInvisible& worker, HWND replyWnd, CUploadJob* job) {
  CImageItem* item = job->Item();
  Transfer transfer{worker.UploadState(),
                    replyWnd,
                    job,
                    item ? item->Path() : std::string(),
                    item ? item->DisplayName() : std::string(),
                    0};
  transfer.fileBytes = FileBytes(transfer.path);
  transfer.state.BeginTransfer();
  std::string error;
  Outcome outcome = Outcome::kAnswered;
  try {
    outcome = Run(transfer, &error);
  } catch (const Corvo::httpclientexceptionA& failure) {
    error = failure.PlatformError() == kFileNotFound ? album_protocol::kPictureMissingText
                                                     : album_protocol::kNetworkUploadText;
  } catch (...) {
    error = album_protocol::kUnknownUploadText;
  }
  client_.CancelPostContext();
  if (outcome == Outcome::kCancelled) {
    transfer.state.EndTransfer();
    return false;
  }
  if (error.empty()) {
    Report(replyWnd, WM_WORK_UPLOAD_DONE, job);
  } else {
    job->SetErrorText(error);
    Report(replyWnd, WM_WORK_UPLOAD_FAILED, job);
  }
  transfer.state.EndTransfer();
  return true;
}

CUploadTransfer::Outcome CUploadTransfer::Run(Transfer& transfer, std::string* error) {
  if (transfer.path.empty()) {
    *error = album_protocol::kUnknownUploadText;
    return Outcome::kAnswered;
  }
  std::string contentType, answer;
  client_.ClearParam();
  client_.AddParam("pic1", transfer.path.c_str(), Corvo::ParamFile);
  if (Post(transfer, transfer.job->UploadUrl(), &contentType, &answer) == Outcome::kCancelled)
    return Outcome::kCancelled;
  album_protocol::UploadAnswer upload = album_protocol::ReadUploadAnswer(contentType, answer);
  if (!upload.ok) {
    *error = album_protocol::kUploadFailedText;
    return Outcome::kAnswered;
  }

  client_.ClearParam();
  client_.AddParam("picdata", upload.receipt.c_str());
  if (Post(transfer, transfer.job->RegistrationUrl(), &contentType, &answer) == Outcome::kCancelled)
    return Outcome::kCancelled;
  if (!album_protocol::ReadRegistrationAnswer(contentType, answer))
    *error = album_protocol::kRegistrationFailedText;
  return Outcome::kAnswered;
}

CUploadTransfer::Outcome CUploadTransfer::Post(Transfer& transfer, const std::string& url,
                                               std::string* contentType, std::string* answer) {
  contentType->clear();
  answer->clear();
  client_.SetUseUtf8(false);
  client_.SetFailOnMissingFile(true);
  client_.StartUploadContext(url.c_str(), false, Session());
  Corvo::CHttpPostStatA stat;
  std::unique_ptr<Corvo::CHttpResponseA> response;
  while (!response) {
    client_.QueryPostStat(stat);
    if (CancelRequested(transfer, stat)) {
      client_.CancelPostContext();
      return Outcome::kCancelled;
    }
    ReportProgress(transfer, stat);
    response = client_.ProceedPostContext(kStepBytes);
  }
  response->GetStatus();
  response->GetStatusText();
  const char* type = response->GetHeader("Content-Type");
  bool text = IsTextType(type);
  if (type != nullptr) *contentType = type;
  unsigned char piece[kAnswerPieceBytes];
  while (uint32_t read = response->ReadContent(piece, sizeof piece)) {
    if (text && answer->size() < kMaxAnswerBytes) answer->append(reinterpret_cast<const char*>(piece), read);
  }
  return Outcome::kAnswered;
}

bool CUploadTransfer::CancelRequested(Transfer& transfer, const Corvo::CHttpPostStatA& stat) {
  if (!transfer.state.ConsumeCancel()) return false;
  // Once the whole file is out, the answer is worth waiting for.
  if (stat.PostedByte() >= transfer.fileBytes) return false;
  transfer.job->SetErrorText(kCancelledText);
  Report(transfer.replyWnd, WM_WORK_UPLOAD_FAILED, transfer.job);
  std::fprintf(stderr, "%s(%s) upload canceled.\n", transfer.displayName.c_str(), transfer.path.c_str());
  return true;
}

void CUploadTransfer::ReportProgress(Transfer& transfer, const Corvo::CHttpPostStatA& stat) {
  uint32_t now = ticks_();
  if (reportedOnce_ && now - lastProgressTick_ < kProgressIntervalMs) return;
  reportedOnce_ = true;
  lastProgressTick_ = now;
  platform::SendMessage(transfer.replyWnd, WM_WORK_UPLOAD_PROGRESS, stat.PostedByte(),
                        stat.ActualPostedByte());
}
