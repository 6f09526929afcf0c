#include "control/batch/DispatcherJobSink.h"

#include "control/dispatch/DispatchMessages.h"
#include "platform/window/Messaging.h"

namespace upload_batch {

bool CDispatcherJobSink::Submit(CUploadJob* job) {
  return platform::PostMessage(dispatchWnd_, WM_TASK_UPLOAD_PUSH, reinterpret_cast<WPARAM>(replyWnd_),
                               reinterpret_cast<LPARAM>(job));
}

bool CDispatcherJobSink::ReportFailed(CUploadJob* job) {
  return platform::PostMessage(replyWnd_, WM_WORK_UPLOAD_FAILED, 0, reinterpret_cast<LPARAM>(job));
}

void CDispatcherJobSink::CancelTransfers() { platform::SendMessage(dispatchWnd_, WM_TASK_UPLOAD_CANCEL); }

}  // namespace upload_batch
