// The worker thread: it owns the worker window and runs its message loop.
#pragma once

#include <atomic>
#include <memory>

#include "platform/window/Event.h"
#include "platform/window/WinThread.h"

class CWorkWndInvisible;
class IUpdateCheck;
class IUploadHandler;

// The worker thread. Its ready event is set once the worker window exists.
class CWorkThread4ImageItem : public platform::CWinThread {
 public:
  // The handlers (may be null) are given to the worker window; they must outlive the thread.
  CWorkThread4ImageItem(IUploadHandler* uploadHandler = nullptr, IUpdateCheck* updateCheck = nullptr);
  // Stops the worker (when still running) and waits for its thread.
  ~CWorkThread4ImageItem() override;

  // Manual reset; set when the worker window exists.
  platform::CEvent& ReadyEvent() { return m_readyEvent; }
  // The worker window's handle, published before the ready event (null before and on failure).
  HWND MainWndHandle() const { return m_hMainWnd.load(std::memory_order_acquire); }
  // The worker window object, once created; it lives as long as this thread object.
  CWorkWndInvisible* WorkWnd() const { return m_pWorkWnd.get(); }

 protected:
  bool InitInstance() override;
  // Makes the worker window; false when it cannot be created (tests refuse here).
  virtual bool CreateWorkWnd();

 private:
  IUploadHandler* m_pUploadHandler;
  IUpdateCheck* m_pUpdateCheck;
  platform::CEvent m_readyEvent{platform::EventReset::kManual};
  std::unique_ptr<CWorkWndInvisible> m_pWorkWnd;
  std::atomic<HWND> m_hMainWnd{nullptr};
};
