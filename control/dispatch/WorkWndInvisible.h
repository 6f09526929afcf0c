// The worker thread's invisible window: it makes thumbnails, runs uploads and
// the update check one at a time, and reports to the windows that asked.
#pragma once

#include "control/dispatch/WorkUploadState.h"
#include "platform/window/Wnd.h"

class CTaskWndInvisible;
class IUpdateCheck;
class IUploadHandler;

// The worker window, named "WorkWndInvisible".
class CWorkWndInvisible : public platform::CWnd {
 public:
  // The handlers may be null; they must outlive the window.
  CWorkWndInvisible(IUploadHandler* uploadHandler, IUpdateCheck* updateCheck);
  ~CWorkWndInvisible() override;

  // Creates the invisible top-level window.
  bool Create();

  // The dispatcher window that introduced itself, or null.
  HWND TaskWnd() const { return m_hTaskWnd; }
  // The upload state shared with the dispatcher thread's cancel request.
  CWorkUploadState& UploadState() { return m_uploadState; }

 protected:
  DECLARE_MESSAGE_MAP()
  LRESULT OnIntroduce(WPARAM wParam, LPARAM lParam);
  LRESULT OnStop(WPARAM wParam, LPARAM lParam);
  LRESULT OnMakeThumbnail(WPARAM wParam, LPARAM lParam);
  LRESULT OnUploadJob(WPARAM wParam, LPARAM lParam);
  LRESULT OnUpdateCheck(WPARAM wParam, LPARAM lParam);
  // Releases the jobs still queued for this window; nobody else will.
  void OnDestroy() override;

 private:
  // Posts to the dispatcher window; jobs carry nothing, so a failure is harmless.
  void PostToTaskWnd(UINT message);

  IUploadHandler* m_pUploadHandler;
  IUpdateCheck* m_pUpdateCheck;
  HWND m_hTaskWnd = nullptr;
  CWorkUploadState m_uploadState;
};
