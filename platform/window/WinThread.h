// The framework's thread object: a thread with a message queue that runs
// InitInstance, then its message loop (Run), then ExitInstance. The object
// outlives its thread; its owner destroys it after the thread has ended.
#pragma once

#include <atomic>
#include <thread>

#include "platform/window/Event.h"
#include "platform/window/WindowTypes.h"

namespace platform {

class CWnd;

// A user-interface thread.
class CWinThread {
 public:
  CWinThread();
  // Waits for the thread to end. NOTE: a derived class whose members the
  // thread uses must end the thread in its own destructor (JoinThread).
  virtual ~CWinThread();
  CWinThread(const CWinThread&) = delete;
  CWinThread& operator=(const CWinThread&) = delete;

  // Starts the thread with a THREAD_PRIORITY_* value (lowering works without
  // privileges; raising is tried and silently dropped when refused).
  bool CreateThread(int priority = THREAD_PRIORITY_NORMAL);

  // The thread's id once started, else 0.
  DWORD ThreadId() const { return threadId_.load(std::memory_order_acquire); }
  // Posts a message without a window to the thread.
  bool PostThreadMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // Waits until InitInstance has returned (or the thread ended); true when it succeeded.
  bool WaitForInit(DWORD timeoutMs = INFINITE);
  // Waits until the thread has ended; true when it has.
  bool WaitForExit(DWORD timeoutMs = INFINITE);
  // Signalled (manual reset) once the thread has ended.
  CEvent& ExitedEvent() { return exited_; }
  // The code the thread ended with.
  int ExitCode() const { return exitCode_.load(std::memory_order_acquire); }

  // The thread object of the calling thread, or null.
  static CWinThread* GetCurrent();

  // The thread's main window; destroying it ends the thread's loop. Touched
  // only on the thread itself.
  CWnd* m_pMainWnd = nullptr;

 protected:
  // Set-up on the new thread; false ends the thread at once (ExitInstance still runs).
  virtual bool InitInstance();
  // The message loop; returns the quit code.
  virtual int Run();
  // Clean-up on the thread; returns the thread's exit code.
  virtual int ExitInstance(int exitCode);
  // Sees every message before it is dispatched; true consumes it.
  virtual bool PreTranslateMessage(MSG& msg);
  // Called when the queue runs empty; true asks to be called again.
  virtual bool OnIdle(long count);
  // A message posted to the thread rather than to a window.
  virtual void OnThreadMessage(const MSG& msg);

  // Waits for the thread to end and releases it; for destructors of derived classes.
  void JoinThread();

 private:
  void ThreadMain(int priority);

  std::thread thread_;
  std::atomic<DWORD> threadId_{0};
  std::atomic<int> exitCode_{0};
  std::atomic<bool> initSucceeded_{false};
  CEvent initDone_{EventReset::kManual};
  CEvent exited_{EventReset::kManual};
  CEvent started_{EventReset::kManual};
};

}  // namespace platform
