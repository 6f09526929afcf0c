// The upload batch driver: the logic of the upload progress window without
// the window. It trims the queue to the album's capacity (asking first),
// prepares the pictures one at a time in queue order, hands each job to the
// worker, follows the worker's reports (done, failed, progress), removes
// uploaded pictures from the queue, stops when the month's space runs out
// while pictures go up at full size, and sums the batch up at the end.
//
// Everything runs on the interface thread. The owner requests the album's
// information, then calls Begin; the worker's messages 0x8006, 0x8007 and
// 0x8008 go to OnJobDone, OnJobFailed and OnProgress.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "control/batch/BatchQueue.h"
#include "control/batch/IUploadBatchView.h"
#include "control/batch/IUploadJobSink.h"
#include "control/upload/UploadPreparation.h"

class CImageItem;
class CSessionState;
class CUploadJob;
class IImageItemHost;

namespace upload_batch {

// What the batch is told when it opens.
struct BatchSettings {
  std::string albumId;
  std::string albumName;
  // The tag text as typed (empty: no tags).
  std::string tags;
  // "保留原图": pictures go up at full size, and the month's space is watched.
  bool keepOriginal = false;
  // The month's remaining space in bytes from the quota.
  int64_t freeSpace = 0;
  // The most pictures one album may hold.
  int photoLimit = 0;
};

// How Begin ended.
enum class BatchStart {
  kStarted,    // the first job is on its way
  kAlbumFull,  // the album has no room left
  kDeclined,   // the user did not want a trimmed batch
  kEmpty,      // nothing to upload
};

class CUploadBatchDriver {
 public:
  // The preparation of one picture (upload::PrepareUpload; tests replace it).
  using Prepare = std::function<int(CImageItem&, const upload::UploadBatch&, const CSessionState&,
                                    upload::PreparedUpload*)>;
  // Milliseconds from a monotonic clock.
  using Ticks = std::function<uint64_t()>;

  // All references must outlive the driver. `host` (may be null) holds the
  // upload queue and the edited copies.
  CUploadBatchDriver(const CSessionState& session, IImageItemHost* host, IUploadJobSink& sink,
                     IUploadBatchView& view, BatchSettings settings);
  // Deletes a temporary conversion still around and releases every picture and the job in flight.
  ~CUploadBatchDriver();
  CUploadBatchDriver(const CUploadBatchDriver&) = delete;
  CUploadBatchDriver& operator=(const CUploadBatchDriver&) = delete;

  void SetPrepare(Prepare prepare) { prepare_ = std::move(prepare); }
  void SetTicks(Ticks ticks) { ticks_ = std::move(ticks); }

  // The photo limit less the album's pictures, at least 0.
  int ApplyAlbumPictureCount(int albumPictures);
  // Takes the queued pictures up to the remaining capacity (asking the view
  // when that trims the queue) and submits the first one.
  BatchStart Start(const std::vector<QueuedPicture>& queue);
  // ApplyAlbumPictureCount, then Start unless the album is full.
  BatchStart Begin(int albumPictures, const std::vector<QueuedPicture>& queue);

  // The worker's reports; each takes over the job reference its message carried.
  void OnJobDone(CUploadJob* job);
  void OnJobFailed(CUploadJob* job);
  // Body bytes posted so far in the current request.
  void OnProgress(uint64_t postedBytes);

  // Cancels the transfer in flight; later reports are only released.
  void Cancel();

  bool IsCancelled() const { return cancelled_; }
  bool IsFinished() const { return finished_; }
  int RemainingCapacity() const { return remainingCapacity_; }
  int PictureCount() const { return static_cast<int>(batch_.size()); }
  uint64_t TotalBytes() const { return totalBytes_; }
  uint64_t UploadedBytes() const { return uploadedBytes_; }
  // Valid once IsFinished.
  const BatchSummary& Summary() const { return summary_; }

 private:
  // One picture of the batch and the queue entry it came from.
  struct Entry {
    CImageItem* item = nullptr;
    std::string queuedPath;
  };

  std::string ResolvePath(const std::string& queuedPath);
  void Submit(size_t index);
  void FailWithoutTransfer(CUploadJob* job, const std::string& text);
  // The batch entry of a job's picture, or -1.
  int EntryOf(const CUploadJob* job) const;
  // Drops the driver's own reference on the job in flight when it is `job`.
  void ForgetJob(const CUploadJob* job);
  void AddFailure(const Entry& entry, const std::string& reason);
  void ExhaustSpace();
  void SubmitNextOrComplete();
  void Complete();

  const CSessionState& session_;
  IImageItemHost* host_;
  IUploadJobSink& sink_;
  IUploadBatchView& view_;
  BatchSettings settings_;
  upload::UploadBatch uploadBatch_;
  Prepare prepare_;
  Ticks ticks_;

  int remainingCapacity_ = 0;
  std::vector<Entry> batch_;
  uint64_t totalBytes_ = 0;
  uint64_t uploadedBytes_ = 0;
  uint64_t startTick_ = 0;
  // 1-based number of the picture in flight; one past the last when over.
  int currentNumber_ = 0;
  int currentIndex_ = -1;
  CUploadJob* currentJob_ = nullptr;
  bool cancelled_ = false;
  bool finished_ = false;
  BatchSummary summary_;
};

}  // namespace upload_batch
