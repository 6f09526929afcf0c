// The worker's transfer of one picture (message 0x8005 on the worker window):
// the file goes to the upload endpoint as a multipart form in 16,384-byte
// steps, the receipt to the registration endpoint, with a cancel check and a
// progress report between steps, and the result goes to the progress window.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "control/dispatch/IUploadHandler.h"
#include "http/Corvo.h"

class CUploadJob;
class CWorkUploadState;

// The upload handler of the worker window. Used on the worker thread only
// (apart from construction and destruction).
class CUploadTransfer : public IUploadHandler {
 public:
  // Bytes sent per proceed step.
  static constexpr uint32_t kStepBytes = 16384;
  // Bytes read per piece of an answer.
  static constexpr uint32_t kAnswerPieceBytes = 8191;
  // Progress goes out at most this often.
  static constexpr uint32_t kProgressIntervalMs = 100;
  // Answer text kept at most; the service's answers are a few hundred bytes.
  static constexpr size_t kMaxAnswerBytes = 1 << 20;
  // The user agent and the extra header of every request.
  static constexpr const char* kUserAgent = "Tessel Agent v1.0";
  static constexpr const char* kHeaderName = "Tessel";
  static constexpr const char* kHeaderValue = "VORO Tessel";

  // A source of milliseconds for the progress interval (tests step it).
  using TickSource = std::function<uint32_t()>;

  // Detects whether the system uses a proxy and sets the client up.
  explicit CUploadTransfer(TickSource ticks = nullptr);
  ~CUploadTransfer() override;
  CUploadTransfer(const CUploadTransfer&) = delete;
  CUploadTransfer& operator=(const CUploadTransfer&) = delete;

  // Transfers the job and reports it; false when it was cancelled.
  bool HandleUploadJob(CWorkWndInvisible& worker, HWND replyWnd, CUploadJob* job) override;

  // 1 when the system's Internet settings name a proxy.
  int SystemProxy() const { return systemProxy_; }

 private:
  // What one transfer works with.
  struct Transfer;
  // How one request ended.
  enum class Outcome { kAnswered, kCancelled };

  // Sends the client's parameters to url as a multipart form; the answer's
  // text (when it is text) goes to *answer and its content type to *contentType.
  Outcome Post(Transfer& transfer, const std::string& url, std::string* contentType, std::string* answer);
  // Between steps: true when a cancel came while file bytes were still to go.
  bool CancelRequested(Transfer& transfer, const Corvo::CHttpPostStatA& stat);
  void ReportProgress(Transfer& transfer, const Corvo::CHttpPostStatA& stat);
  // Uploads and registers; the error text when that failed, empty on success.
  Outcome Run(Transfer& transfer, std::string* error);
  // The session shared by every request, so that connections are kept.
  Corvo::CHttpClientA::HINTERNET Session();

  Corvo::CHttpClientA client_;
  Corvo::CHttpClientA::HINTERNET session_ = nullptr;
  int systemProxy_ = 0;
  TickSource ticks_;
  bool reportedOnce_ = false;
  uint32_t lastProgressTick_ = 0;
};
