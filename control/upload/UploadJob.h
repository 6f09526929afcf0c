// One picture upload handed from the upload driver through the dispatcher to
// the worker: the picture item, the two request URLs and the error text.
// Reference-counted, because the driver, the dispatcher's queue, the worker
// and the progress window each hold it in turn on different threads.
#pragma once

#include <atomic>
#include <string>

#include "platform/window/WindowTypes.h"

class CImageItem;

// An upload job, created with one reference; the last Release deletes it and
// releases the job's reference on its picture item.
class CUploadJob {
 public:
  // Takes a reference on the item (when given) for the life of the job.
  CUploadJob(CImageItem* item, std::string uploadUrl, std::string registrationUrl);
  CUploadJob(const CUploadJob&) = delete;
  CUploadJob& operator=(const CUploadJob&) = delete;

  // Takes one more reference; returns the new count.
  virtual LONG AddRef();
  // Drops one reference and deletes the job when it was the last; returns the new count.
  virtual LONG Release();

  CImageItem* Item() const { return item_; }
  const std::string& UploadUrl() const { return uploadUrl_; }
  const std::string& RegistrationUrl() const { return registrationUrl_; }
  // Why the job failed; empty until it does.
  const std::string& ErrorText() const { return errorText_; }
  void SetErrorText(std::string text) { errorText_ = std::move(text); }

 protected:
  // Only Release deletes a job.
  virtual ~CUploadJob();

 private:
  CImageItem* item_;
  std::string uploadUrl_;
  std::string registrationUrl_;
  std::string errorText_;
  std::atomic<LONG> refCount_{1};
};
