// The progress figures of a batch: bytes done, the transfer rate and the
// remaining time, computed from the bytes of finished pictures and the body
// bytes the current request has posted.
#pragma once

#include <cstdint>
#include <string>

namespace upload_batch {

// One progress report as the progress display shows it.
struct BatchProgress {
  uint64_t doneBytes = 0;
  uint64_t totalBytes = 0;
  // Bytes per second; 0 until the first byte has gone out (nothing is shown then).
  uint64_t rate = 0;
  uint64_t remainingSeconds = 0;
  // "12.50 KB/S" and "00:07" once the rate is known, else empty.
  std::string rateText;
  std::string remainingText;
};

// done = uploaded + the low 32 bits of posted; the rate is done per elapsed
// millisecond times 1000, truncated. NOTE: the request body carries framing
// bytes that the total does not count, so done may pass the total; the
// remaining time is 0 then rather than a wrapped-around figure.
BatchProgress ComputeProgress(uint64_t uploadedBytes, uint64_t postedBytes, uint64_t totalBytes,
                              uint64_t elapsedMs);

}  // namespace upload_batch
