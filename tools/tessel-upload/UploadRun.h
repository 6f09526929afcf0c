// One run of tessel-upload: the same road as the control's windows take
// (login, quota, album list or creation with its keyword check, tag split and
// tag check, album capacity, preparation and upload of each picture in queue
// order, quota refresh), driven from the command line. Background requests
// come back to a hidden window through the main thread's message loop, the
// pictures go through the dispatcher and worker threads.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/request/HttpRequestTask.h"
#include "control/batch/BatchQueue.h"
#include "control/batch/UploadBatchDriver.h"
#include "control/protocol/AlbumServiceClient.h"
#include "control/session/SessionState.h"
#include "tools/tessel-upload/EventOutput.h"
#include "tools/tessel-upload/InterruptWatcher.h"
#include "tools/tessel-upload/ServiceAddress.h"
#include "tools/tessel-upload/UploadOptions.h"
#include "tools/tessel-upload/UploadWnd.h"

namespace tessel_upload {

// Exit statuses.
inline constexpr int kExitUploaded = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitRefused = 2;

class CUploadRun : private IUploadWndEvents, private upload_batch::IUploadBatchView {
 public:
  CUploadRun(UploadOptions options, CEventOutput& output, CInterruptWatcher* watcher);
  ~CUploadRun() override;

  // Runs everything; returns the exit status.
  int Run();

 private:
  // IUploadWndEvents
  void OnRequestDone() override { requestDone_ = true; }
  void OnJobDone(CUploadJob* job) override;
  void OnJobFailed(CUploadJob* job) override;
  void OnJobProgress(uint64_t postedBytes) override;
  void OnInterrupt() override;

  // IUploadBatchView
  bool AskUploadFirst(int remaining, const std::string& question) override;
  void ShowStatus(const std::string&, upload_batch::StatusTone) override {}
  void OnPictureStarted(const CImageItem& item, int number, int count) override;
  void OnProgress(const CImageItem& item, const upload_batch::BatchProgress& progress) override;
  void OnPictureUploaded(const CImageItem& item) override;
  void OnPictureFailed(const upload_batch::BatchFailure& failure) override;
  void OnBatchFinished(const upload_batch::BatchSummary& summary) override;

  // The steps; each returns false when the run ends, with exitStatus_ set.
  bool CollectPictures();
  bool ResolveCredentials();
  bool Login();
  bool LoadQuota();
  bool LoadAlbums(std::vector<SpecialInfo>* albums);
  bool CheckQueue();
  bool ChooseAlbum(const std::vector<SpecialInfo>& albums);
  bool CreateAlbum();
  bool CheckTags();
  int UploadBatch();

  // Waits in the message loop for the running request; false when interrupted.
  bool AwaitRequest();
  bool Fail(const std::string& text, int status = kExitRefused);
  // Fail, answering the exit status.
  int FailStatus(const std::string& text, int status = kExitRefused) {
    Fail(text, status);
    return status;
  }
  std::string PageUrl() const;

  UploadOptions options_;
  CEventOutput& output_;
  CInterruptWatcher* watcher_;
  CServiceAddress service_;
  CSessionState session_;
  album_protocol::CAlbumServiceClient client_;
  common::CHttpRequestTask task_;
  CUploadWnd window_;
  upload_batch::CBatchQueue queue_;
  std::string password_;
  album_protocol::QuotaAnswer quota_;
  SpecialInfo album_;
  upload_batch::CUploadBatchDriver* driver_ = nullptr;

  bool requestDone_ = false;
  bool interrupted_ = false;
  int exitStatus_ = kExitUploaded;
};

}  // namespace tessel_upload
