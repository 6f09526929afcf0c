// The upload state shared by the worker and the dispatcher.
#include "control/dispatch/WorkUploadState.h"

#include <mutex>

void CWorkUploadState::BeginTransfer() {
  std::lock_guard guard(lock_);
  inProgress_ = true;
}

void CWorkUploadState::EndTransfer() {
  std::lock_guard guard(lock_);
  inProgress_ = false;
  cancelEvent_.Reset();
}

bool CWorkUploadState::RequestCancel() {
  std::lock_guard guard(lock_);
  if (!inProgress_) return false;
  cancelEvent_.Set();
  return true;
}

bool CWorkUploadState::ConsumeCancel() {
  std::lock_guard guard(lock_);
  return cancelEvent_.Wait(0);
}

bool CWorkUploadState::InProgress() {
  std::lock_guard guard(lock_);
  return inProgress_;
}

bool CWorkUploadState::WaitForCancel(DWORD timeoutMs) {
  // NOTE: waits without the lock, so that the dispatcher can signal meanwhile.
  return cancelEvent_.Wait(timeoutMs);
}
