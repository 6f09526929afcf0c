// What the batch driver needs of the display it runs in: the progress window
// of the control, or the command-line uploader's terminal output.
#pragma once

#include <string>
#include <vector>

#include "control/batch/BatchProgress.h"

class CImageItem;

namespace upload_batch {

// The colours of the status line.
enum class StatusTone { kNormal, kBusy, kError };

// A picture that failed, with the reason shown for it.
struct BatchFailure {
  std::string path;         // the picture's own path (never a temporary conversion)
  std::string displayName;  // the name shown for it
  std::string reason;
};

// The end of a batch.
struct BatchSummary {
  int pictures = 0;
  int succeeded = 0;
  std::vector<BatchFailure> failures;
  // SummaryText of the counts.
  std::string text;
  // The space ran out before the last picture.
  bool spaceExhausted = false;
};

// The display of a batch. Every call comes on the driver's (interface) thread.
class IUploadBatchView {
 public:
  virtual ~IUploadBatchView() = default;
  // The album can take only `remaining` of the queued pictures; true uploads
  // that many from the front of the queue, false cancels the batch.
  virtual bool AskUploadFirst(int remaining, const std::string& question) = 0;
  // A line on the status line.
  virtual void ShowStatus(const std::string& text, StatusTone tone) = 0;
  // Picture `number` of `count` (1-based) was handed to the worker.
  virtual void OnPictureStarted(const CImageItem& item, int number, int count) = 0;
  // Progress of the picture in flight.
  virtual void OnProgress(const CImageItem& item, const BatchProgress& progress) = 0;
  // A picture went up and was registered in the album.
  virtual void OnPictureUploaded(const CImageItem& item) = 0;
  // A picture failed; the batch goes on.
  virtual void OnPictureFailed(const BatchFailure& failure) = 0;
  // The batch is over; the quota should be asked for again.
  virtual void OnBatchFinished(const BatchSummary& summary) = 0;
};

}  // namespace upload_batch
