// The background task dispatcher: a thread that starts the worker thread,
// owns the job queues in its invisible window and passes jobs on one by one.
//
// Start: Start() runs the thread; it starts the worker, waits until the worker
// window exists (or the worker ended), creates the dispatcher window (which
// introduces itself to the worker with a sent 0x8200) and posts the one update
// check (0x8202). Stop: send 0x8201 to DispatchWnd(); the worker window and
// then the dispatcher window are destroyed, which ends both loops.
#pragma once

#include <atomic>
#include <memory>

#include "platform/window/WinThread.h"

class CTaskWndInvisible;
class CWorkThread4ImageItem;
class IUpdateCheck;
class IUploadHandler;

// The dispatcher thread.
class CTaskDispatchThread : public platform::CWinThread {
 public:
  // The handlers (may be null) go to the worker; they must outlive both threads.
  CTaskDispatchThread(IUploadHandler* uploadHandler = nullptr, IUpdateCheck* updateCheck = nullptr);
  // Stops both threads when still running and waits for them.
  ~CTaskDispatchThread() override;

  // Starts the thread and waits until the dispatcher window exists or the
  // start failed; true when the dispatcher runs.
  bool Start(int priority = THREAD_PRIORITY_NORMAL);
  // The dispatcher window (the client view's GetWorkThreadWnd), or null when
  // the dispatcher did not start or has stopped.
  HWND DispatchWnd() const;
  // Sends 0x8201 when the dispatcher window exists and waits for the thread to end.
  void Stop();
  // The worker thread object once Start has returned true (it lives until the
  // dispatcher thread ends), else null.
  CWorkThread4ImageItem* WorkThread() const { return m_pWorkThreadView.load(std::memory_order_acquire); }

 protected:
  bool InitInstance() override;
  int ExitInstance(int exitCode) override;
  // Makes the worker thread object (tests give one that fails).
  virtual std::unique_ptr<CWorkThread4ImageItem> CreateWorkThread();

 private:
  IUploadHandler* m_pUploadHandler;
  IUpdateCheck* m_pUpdateCheck;
  std::unique_ptr<CWorkThread4ImageItem> m_pWorkThread;
  std::unique_ptr<CTaskWndInvisible> m_pTaskWnd;
  std::atomic<HWND> m_hTaskWnd{nullptr};
  std::atomic<CWorkThread4ImageItem*> m_pWorkThreadView{nullptr};
};
