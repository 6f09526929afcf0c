#include "tools/tessel-upload/UploadWnd.h"

#include "common/request/HttpRequestTask.h"
#include "control/dispatch/DispatchMessages.h"
#include "control/upload/UploadJob.h"

namespace tessel_upload {

BEGIN_MESSAGE_MAP(CUploadWnd, platform::CWnd)
ON_MESSAGE(common::CHttpRequestTask::kCompletionMessage, OnRequestDone)
ON_MESSAGE(WM_WORK_UPLOAD_DONE, OnJobDone)
ON_MESSAGE(WM_WORK_UPLOAD_FAILED, OnJobFailed)
ON_MESSAGE(WM_WORK_UPLOAD_PROGRESS, OnJobProgress)
ON_MESSAGE(WM_UPLOAD_INTERRUPT, OnInterrupt)
END_MESSAGE_MAP()

// Destroyed here so that no handler runs on a half-destroyed object.
CUploadWnd::~CUploadWnd() { DestroyWindow(); }

bool CUploadWnd::Create() {
  return CreateEx(0, RegisterWndClass(0), "TesselUploadWnd", 0, platform::RECT{}, nullptr, 0);
}

LRESULT CUploadWnd::OnRequestDone(WPARAM, LPARAM) {
  events_.OnRequestDone();
  return 0;
}

LRESULT CUploadWnd::OnJobDone(WPARAM, LPARAM lParam) {
  events_.OnJobDone(reinterpret_cast<CUploadJob*>(lParam));
  return 0;
}

LRESULT CUploadWnd::OnJobFailed(WPARAM, LPARAM lParam) {
  events_.OnJobFailed(reinterpret_cast<CUploadJob*>(lParam));
  return 0;
}

LRESULT CUploadWnd::OnJobProgress(WPARAM, LPARAM lParam) {
  events_.OnJobProgress(static_cast<uint64_t>(lParam));
  return 0;
}

LRESULT CUploadWnd::OnInterrupt(WPARAM, LPARAM) {
  events_.OnInterrupt();
  return 0;
}

}  // namespace tessel_upload
