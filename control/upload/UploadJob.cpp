// Reference counting of upload jobs.
#include "control/upload/UploadJob.h"

#include "control/items/ImageItem.h"
#include "platform/window/Interlocked.h"

CUploadJob::CUploadJob(CImageItem* item, std::string uploadUrl, std::string registrationUrl)
    : item_(item), uploadUrl_(std::move(uploadUrl)), registrationUrl_(std::move(registrationUrl)) {
  if (item_) item_->AddRef();
}

CUploadJob::~CUploadJob() {
  if (item_) item_->Release();
}

LONG CUploadJob::AddRef() { return platform::InterlockedIncrement(refCount_); }

LONG CUploadJob::Release() {
  LONG count = platform::InterlockedDecrement(refCount_);
  if (count == 0) delete this;
  return count;
}
