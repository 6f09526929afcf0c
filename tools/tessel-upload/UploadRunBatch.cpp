// The batch part of CUploadRun: the dispatcher and worker threads, the batch
// driver, and the driver's view printed through the event output.
#include "control/batch/BatchTexts.h"
#include "control/batch/DispatcherJobSink.h"
#include "control/dispatch/TaskDispatchThread.h"
#include "control/items/ImageItem.h"
#include "control/upload/UploadJob.h"
#include "control/upload/UploadTransfer.h"
#include "platform/window/Messaging.h"
#include "tools/tessel-upload/Terminal.h"
#include "tools/tessel-upload/UploadRun.h"

namespace tessel_upload {
namespace {

// The path a picture is known by: its own, not a temporary conversion.
std::string OwnPath(const CImageItem& item) { return item.IsConverted() ? item.SourcePath() : item.Path(); }

// Hands the messages still waiting for the window to it, so that reports
// that came after a cancel release their jobs.
void DeliverWaitingMessages(HWND window) {
  platform::MSG message;
  while (platform::PeekMessage(&message, window, 0, 0, PM_REMOVE)) platform::DispatchMessage(message);
}

}  // namespace

int CUploadRun::UploadBatch() {
  // The handler outlives the threads that call it.
  CUploadTransfer transfer;
  CTaskDispatchThread dispatcher(&transfer);
  if (!dispatcher.Start()) return FailStatus("the background threads did not start", kExitSomeFailed);
  upload_batch::CDispatcherJobSink sink(dispatcher.DispatchWnd(), window_.GetSafeHwnd());

  upload_batch::BatchSettings settings{album_.id,
                                       album_.name,
                                       options_.tags,
                                       options_.keepOriginal,
                                       quota_.remaining_bytes.value_or(0),
                                       session_.PhotoLimit()};
  upload_batch::CUploadBatchDriver driver(session_, &queue_, sink, *this, settings);
  driver.SetPrepare([this](CImageItem& item, const upload::UploadBatch& batch, const CSessionState& session,
                           upload::PreparedUpload* prepared) {
    int status = upload::PrepareUpload(item, batch, session, prepared);
    // The registration slot cannot be moved like the others.
    prepared->uploadUrl = service_.Rehost(prepared->uploadUrl);
    prepared->registrationUrl = service_.Rehost(prepared->registrationUrl);
    return status;
  });

  if (client_.StartAlbumInfo(&task_, window_.GetSafeHwnd(), album_.id) != 0) {
    return FailStatus("cannot start the album information request");
  }
  if (!AwaitRequest()) return exitStatus_;
  int albumPictures = client_.FinishAlbumInfo(&task_);

  driver_ = &driver;
  int status = kExitUploaded;
  switch (driver.Begin(albumPictures, queue_.Pictures())) {
    case upload_batch::BatchStart::kAlbumFull:
      status = FailStatus(upload_batch::kAlbumFullText);
      break;
    case upload_batch::BatchStart::kDeclined:
      status = FailStatus("the upload was cancelled");
      break;
    case upload_batch::BatchStart::kEmpty:
      status = FailStatus(upload_batch::kNoPicturesText);
      break;
    case upload_batch::BatchStart::kStarted:
      platform::RunModalLoop([&] { return !driver.IsFinished() && !interrupted_; });
      if (!driver.IsFinished()) {
        // Ctrl-C: as the progress window's Cancel.
        driver.Cancel();
        output_.Cancelled();
        status = kExitSomeFailed;
      }
      break;
  }
  dispatcher.Stop();
  DeliverWaitingMessages(window_.GetSafeHwnd());
  driver_ = nullptr;
  if (status != kExitUploaded || !driver.IsFinished()) return status;

  // The quota panel asks again after every batch.
  if (LoadQuota()) output_.Quota(quota_, session_.PhotoLimit());
  output_.Summary(driver.Summary(), PageUrl());
  return driver.Summary().failures.empty() ? kExitUploaded : kExitSomeFailed;
}

void CUploadRun::OnJobDone(CUploadJob* job) {
  if (driver_) return driver_->OnJobDone(job);
  job->Release();
}

void CUploadRun::OnJobFailed(CUploadJob* job) {
  if (driver_) return driver_->OnJobFailed(job);
  job->Release();
}

void CUploadRun::OnJobProgress(uint64_t postedBytes) {
  if (driver_) driver_->OnProgress(postedBytes);
}

void CUploadRun::OnInterrupt() { interrupted_ = true; }

bool CUploadRun::AskUploadFirst(int remaining, const std::string& question) {
  if (options_.yes) return true;
  if (!IsTerminal(stdin) || output_.GetForm() == CEventOutput::Form::kJson) {
    output_.Notice(question);
    output_.Notice("Without a terminal the batch is refused; --yes uploads the first " +
                   std::to_string(remaining) + " pictures.");
    return false;
  }
  // Nothing is in flight while the question waits, so Ctrl-C may end the program.
  if (watcher_) watcher_->SetExitImmediately(true);
  bool yes = AskYesNo(question);
  if (watcher_) watcher_->SetExitImmediately(false);
  return yes;
}

void CUploadRun::OnPictureStarted(const CImageItem& item, int number, int count) {
  output_.Started(number, count, OwnPath(item), item.DisplayName());
}

void CUploadRun::OnProgress(const CImageItem& item, const upload_batch::BatchProgress& progress) {
  output_.Progress(item.DisplayName(), progress);
}

void CUploadRun::OnPictureUploaded(const CImageItem& item) {
  output_.Uploaded(OwnPath(item), item.DisplayName());
}

void CUploadRun::OnPictureFailed(const upload_batch::BatchFailure& failure) { output_.Failed(failure); }

void CUploadRun::OnBatchFinished(const upload_batch::BatchSummary&) {}

}  // namespace tessel_upload
