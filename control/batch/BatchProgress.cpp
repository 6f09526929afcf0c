#include "control/batch/BatchProgress.h"

#include "common/text/Format.h"

namespace upload_batch {

BatchProgress ComputeProgress(uint64_t uploadedBytes, uint64_t postedBytes, uint64_t totalBytes,
                              uint64_t elapsedMs) {
  BatchProgress progress;
  progress.doneBytes = uploadedBytes + (postedBytes & 0xFFFFFFFFu);
  progress.totalBytes = totalBytes;
  // No time has passed yet: a rate would be a division by zero.
  if (elapsedMs == 0) return progress;
  double rate = static_cast<double>(progress.doneBytes) / static_cast<double>(elapsedMs) * 1000.0;
  progress.rate = rate >= 1.8e19 ? UINT64_MAX : static_cast<uint64_t>(rate);
  if (progress.rate == 0) return progress;
  uint64_t left = progress.doneBytes < totalBytes ? totalBytes - progress.doneBytes : 0;
  progress.remainingSeconds = left / progress.rate;
  progress.rateText = common::FormatSize(progress.rate, true);
  progress.remainingText = common::FormatDuration(
      static_cast<int64_t>(progress.remainingSeconds > INT64_MAX ? INT64_MAX : progress.remainingSeconds));
  return progress;
}

}  // namespace upload_batch
