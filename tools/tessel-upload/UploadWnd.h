// The uploader's hidden window on the main thread: it receives what the
// progress window of the control receives (the request task's 0x1401, the
// worker's 0x8006, 0x8007 and 0x8008) plus the interrupt from Ctrl-C, and
// hands each to the run that owns it.
#pragma once

#include <cstdint>

#include "platform/window/Wnd.h"

class CUploadJob;

namespace tessel_upload {

// Posted by the interrupt watcher when the user pressed Ctrl-C.
inline constexpr UINT WM_UPLOAD_INTERRUPT = WM_USER + 0x10;

// What the window hands on.
class IUploadWndEvents {
 public:
  virtual ~IUploadWndEvents() = default;
  // A background request has finished.
  virtual void OnRequestDone() = 0;
  // The worker's reports; the job's reference comes with them.
  virtual void OnJobDone(CUploadJob* job) = 0;
  virtual void OnJobFailed(CUploadJob* job) = 0;
  virtual void OnJobProgress(uint64_t postedBytes) = 0;
  // Ctrl-C.
  virtual void OnInterrupt() = 0;
};

class CUploadWnd : public platform::CWnd {
 public:
  explicit CUploadWnd(IUploadWndEvents& events) : events_(events) {}
  ~CUploadWnd() override;

  // Creates the invisible top-level window on the calling thread.
  bool Create();

 protected:
  DECLARE_MESSAGE_MAP()
  LRESULT OnRequestDone(WPARAM wParam, LPARAM lParam);
  LRESULT OnJobDone(WPARAM wParam, LPARAM lParam);
  LRESULT OnJobFailed(WPARAM wParam, LPARAM lParam);
  LRESULT OnJobProgress(WPARAM wParam, LPARAM lParam);
  LRESULT OnInterrupt(WPARAM wParam, LPARAM lParam);

 private:
  IUploadWndEvents& events_;
};

}  // namespace tessel_upload
