// The seam where the upload transfer plugs into the worker window.
#pragma once

#include "platform/window/WindowTypes.h"

class CUploadJob;
class CWorkWndInvisible;

// Transfers one picture on the worker thread.
class IUploadHandler {
 public:
  virtual ~IUploadHandler() = default;
  // Handles an upload job for the progress window `replyWnd`. The handler owns
  // the job's reference and must report it (and release it when the report
  // cannot be posted). Returns true when the job finished and the worker
  // should ask for the next one, false when it was cancelled.
  virtual bool HandleUploadJob(CWorkWndInvisible& worker, HWND replyWnd, CUploadJob* job) = 0;
};
