// The dispatcher thread's invisible window: it owns the thumbnail and upload
// queues and hands one job at a time to the worker window when asked.
#pragma once

#include <deque>
#include <utility>

#include "platform/window/Wnd.h"

class CWorkThread4ImageItem;
class CWorkWndInvisible;

// The dispatcher window, named "TaskWndInvisible". Its queues are touched only
// by its own handlers, so only on the dispatcher thread.
class CTaskWndInvisible : public platform::CWnd {
 public:
  // `workThread` is the running worker, whose main window receives the jobs.
  explicit CTaskWndInvisible(CWorkThread4ImageItem* workThread);
  ~CTaskWndInvisible() override;

  // Creates the invisible top-level window; creation introduces it to the worker window.
  bool Create();

  // Called by the worker window during the introduction.
  void AttachWorkWnd(CWorkWndInvisible* workWnd);
  // The worker window: the one that introduced itself while it is still a
  // window, else the worker thread's main window while that is one, else null.
  HWND FindWorkWnd() const;

  // Waiting jobs (for inspection).
  size_t ThumbnailQueueSize() const { return m_thumbnailQueue.size(); }
  size_t UploadQueueSize() const { return m_uploadQueue.size(); }

 protected:
  DECLARE_MESSAGE_MAP()
  int OnCreate(platform::CREATESTRUCT* create) override;
  void OnDestroy() override;
  LRESULT OnThumbnailPush(WPARAM wParam, LPARAM lParam);
  LRESULT OnThumbnailPull(WPARAM wParam, LPARAM lParam);
  LRESULT OnThumbnailClear(WPARAM wParam, LPARAM lParam);
  LRESULT OnUploadPush(WPARAM wParam, LPARAM lParam);
  LRESULT OnUploadPull(WPARAM wParam, LPARAM lParam);
  LRESULT OnUploadCancel(WPARAM wParam, LPARAM lParam);
  LRESULT OnStop(WPARAM wParam, LPARAM lParam);
  LRESULT OnUpdateCheck(WPARAM wParam, LPARAM lParam);

 private:
  using Job = std::pair<WPARAM, LPARAM>;
  // Hands the first job of a queue to the worker as `message`; a job that
  // cannot be delivered is released with `release`.
  void HandOut(std::deque<Job>& queue, UINT message, void (*release)(LPARAM));
  void ClearThumbnails();
  void ClearUploads();

  CWorkThread4ImageItem* m_pWorkThread;
  // The worker window object (for the shared upload state) and its handle.
  CWorkWndInvisible* m_pWorkWnd = nullptr;
  HWND m_hWorkWnd = nullptr;
  std::deque<Job> m_thumbnailQueue;
  std::deque<Job> m_uploadQueue;
};
