// The job sink of the product: jobs go to the dispatcher window with message
// 0x8103 (the reply window in wParam), own failures are posted as 0x8007 to
// the reply window, and cancelling sends 0x8105.
#pragma once

#include "control/batch/IUploadJobSink.h"
#include "platform/window/WindowTypes.h"

namespace upload_batch {

class CDispatcherJobSink : public IUploadJobSink {
 public:
  // `replyWnd` receives 0x8006, 0x8007 and 0x8008 for every job.
  CDispatcherJobSink(HWND dispatchWnd, HWND replyWnd) : dispatchWnd_(dispatchWnd), replyWnd_(replyWnd) {}

  bool Submit(CUploadJob* job) override;
  bool ReportFailed(CUploadJob* job) override;
  void CancelTransfers() override;

 private:
  HWND dispatchWnd_;
  HWND replyWnd_;
};

}  // namespace upload_batch
