// What the worker's upload shares with the dispatcher thread: the in-progress
// flag and the cancel event, always touched under one lock.
#pragma once

#include "platform/window/CriticalSection.h"
#include "platform/window/Event.h"

// The cancellable state of the upload in progress.
class CWorkUploadState {
 public:
  CWorkUploadState() = default;
  CWorkUploadState(const CWorkUploadState&) = delete;
  CWorkUploadState& operator=(const CWorkUploadState&) = delete;

  // The worker starts transferring a job.
  void BeginTransfer();
  // The worker is done with the job (finished or cancelled): clears the flag
  // and consumes a cancel signal that came too late to matter.
  void EndTransfer();
  // A cancel request from the dispatcher: signals the event only while a
  // transfer is in progress. Returns whether it signalled.
  bool RequestCancel();
  // Tests for a cancel between transfer steps; a signal is consumed.
  bool ConsumeCancel();
  // Waits up to `timeoutMs` for a cancel signal and consumes it; true when one came.
  bool WaitForCancel(DWORD timeoutMs);
  // Whether a transfer is in progress.
  bool InProgress();

 private:
  platform::CCriticalSection lock_;
  platform::CEvent cancelEvent_{platform::EventReset::kAuto};
  bool inProgress_ = false;
};
