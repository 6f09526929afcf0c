// Everything tessel-upload tells its user, in one of three forms: a live
// progress line on a terminal, a line per event, or one JSON object per line
// per event (for scripts). Results go to standard output, problems to
// standard error (in JSON mode both are events on standard output).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "control/batch/IUploadBatchView.h"
#include "control/protocol/AlbumAnswers.h"

namespace tessel_upload {

class CEventOutput {
 public:
  enum class Form { kLive, kLines, kJson };

  CEventOutput(Form form, std::FILE* out, std::FILE* err) : form_(form), out_(out), err_(err) {}

  Form GetForm() const { return form_; }

  void LoggedIn(const std::string& name, const std::string& uid, const std::string& nickname);
  void Quota(const album_protocol::QuotaAnswer& quota, int photoLimit);
  void AlbumList(const std::vector<SpecialInfo>& albums);
  void AlbumChosen(const SpecialInfo& album, bool created);
  // A path given on the command line that does not become a picture of the batch.
  void Skipped(const std::string& path, const std::string& reason);
  void Started(int number, int count, const std::string& path, const std::string& name);
  void Progress(const std::string& name, const upload_batch::BatchProgress& progress);
  void Uploaded(const std::string& path, const std::string& name);
  void Failed(const upload_batch::BatchFailure& failure);
  void Summary(const upload_batch::BatchSummary& summary, const std::string& albumUrl);
  void Cancelled();
  // A problem that ends the run, with the exit status it gives.
  void Error(const std::string& text, int exitStatus);
  // A remark that does not end the run.
  void Notice(const std::string& text);

 private:
  void Json(const std::string& line);
  // Ends a live line before anything else is printed.
  void EndLiveLine();

  Form form_;
  std::FILE* out_;
  std::FILE* err_;
  bool liveLineOpen_ = false;
  int number_ = 0;
  int count_ = 0;
};

}  // namespace tessel_upload
