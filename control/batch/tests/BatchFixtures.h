// Stand-ins around the batch driver: a sink that keeps the jobs it is given,
// a view that notes every call, and picture files of chosen sizes.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "control/batch/IUploadBatchView.h"
#include "control/batch/IUploadJobSink.h"
#include "control/items/ImageItem.h"
#include "control/upload/UploadJob.h"

namespace batchtest {

// Keeps every job handed to it, with the reference that came along.
class RecordingSink : public upload_batch::IUploadJobSink {
 public:
  ~RecordingSink() override {
    for (CUploadJob* job : submitted) job->Release();
    for (CUploadJob* job : reported) job->Release();
  }
  bool Submit(CUploadJob* job) override {
    if (refuseSubmit) return false;
    submitted.push_back(job);
    return true;
  }
  bool ReportFailed(CUploadJob* job) override {
    reported.push_back(job);
    return true;
  }
  void CancelTransfers() override { ++cancels; }

  // Takes the oldest job (submitted or reported) out of the sink; its reference goes to the caller.
  CUploadJob* TakeSubmitted() { return Take(submitted); }
  CUploadJob* TakeReported() { return Take(reported); }

  std::vector<CUploadJob*> submitted;
  std::vector<CUploadJob*> reported;
  int cancels = 0;
  bool refuseSubmit = false;

 private:
  static CUploadJob* Take(std::vector<CUploadJob*>& jobs) {
    if (jobs.empty()) return nullptr;
    CUploadJob* job = jobs.front();
    jobs.erase(jobs.begin());
    return job;
  }
};

// Notes what the driver shows.
class RecordingView : public upload_batch::IUploadBatchView {
 public:
  bool AskUploadFirst(int remaining, const std::string& question) override {
    asked.push_back(remaining);
    lastQuestion = question;
    return answer;
  }
  void ShowStatus(const std::string& text, upload_batch::StatusTone) override { statuses.push_back(text); }
  void OnPictureStarted(const CImageItem& item, int number, int count) override {
    started.push_back(item.DisplayName() + " " + std::to_string(number) + "/" + std::to_string(count));
  }
  void OnProgress(const CImageItem&, const upload_batch::BatchProgress& progress) override {
    progress_.push_back(progress);
  }
  void OnPictureUploaded(const CImageItem& item) override { uploaded.push_back(item.DisplayName()); }
  void OnPictureFailed(const upload_batch::BatchFailure& failure) override { failed.push_back(failure); }
  void OnBatchFinished(const upload_batch::BatchSummary& summary) override {
    ++finishes;
    last = summary;
  }

  bool answer = true;
  std::vector<int> asked;
  std::string lastQuestion;
  std::vector<std::string> statuses;
  std::vector<std::string> started;
  std::vector<upload_batch::BatchProgress> progress_;
  std::vector<std::string> uploaded;
  std::vector<upload_batch::BatchFailure> failed;
  int finishes = 0;
  upload_batch::BatchSummary last;
};

// Writes a file of `bytes` bytes.
inline std::string MakeFile(const std::filesystem::path& path, size_t bytes) {
  std::ofstream(path, std::ios::binary) << std::string(bytes, 'p');
  return path.string();
}

}  // namespace batchtest
