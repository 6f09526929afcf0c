// Where the batch driver sends its upload jobs: the dispatcher of the
// background threads in the product, a recorder in tests.
#pragma once

class CUploadJob;

namespace upload_batch {

// The receiver of a batch's jobs.
class IUploadJobSink {
 public:
  virtual ~IUploadJobSink() = default;
  // Queues the job for the worker; the job's reference passes with it. False
  // when it could not be queued (the caller keeps the reference).
  virtual bool Submit(CUploadJob* job) = 0;
  // Reports the job as failed to the driver itself, later, as the worker
  // would (its error text set). False when that could not be arranged.
  virtual bool ReportFailed(CUploadJob* job) = 0;
  // Cancels the transfer in flight and drops the jobs still waiting.
  virtual void CancelTransfers() = 0;
};

}  // namespace upload_batch
