// Start-up and shut-down of the dispatcher thread and its worker.
#include "control/dispatch/TaskDispatchThread.h"

#include "control/dispatch/DispatchMessages.h"
#include "control/dispatch/TaskWndInvisible.h"
#include "control/dispatch/WorkThread4ImageItem.h"
#include "platform/window/Messaging.h"
#include "platform/window/Window.h"

CTaskDispatchThread::CTaskDispatchThread(IUploadHandler* uploadHandler, IUpdateCheck* updateCheck)
    : m_pUploadHandler(uploadHandler), m_pUpdateCheck(updateCheck) {}

CTaskDispatchThread::~CTaskDispatchThread() { Stop(); }

bool CTaskDispatchThread::Start(int priority) { return CreateThread(priority) && WaitForInit(); }

HWND CTaskDispatchThread::DispatchWnd() const {
  HWND hwnd = m_hTaskWnd.load(std::memory_order_acquire);
  return platform::IsWindow(hwnd) ? hwnd : nullptr;
}

void CTaskDispatchThread::Stop() {
  platform::SendMessage(DispatchWnd(), WM_TASK_STOP);
  // NOTE: the worker may be finishing a job whose progress it sends to a
  // window of this thread (it handled 0x8201 inside that send). A plain join
  // would never answer it, so sent messages are answered until both threads
  // have ended.
  if (ThreadId() != 0) {
    while (!WaitForExit(10)) {
      platform::MSG msg;
      platform::PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    }
  }
  JoinThread();
}

std::unique_ptr<CWorkThread4ImageItem> CTaskDispatchThread::CreateWorkThread() {
  return std::make_unique<CWorkThread4ImageItem>(m_pUploadHandler, m_pUpdateCheck);
}

bool CTaskDispatchThread::InitInstance() {
  m_pWorkThread = CreateWorkThread();
  if (!m_pWorkThread || !m_pWorkThread->CreateThread(THREAD_PRIORITY_NORMAL)) return false;
  // Without limit: the worker either makes its window or ends.
  DWORD woke = platform::WaitForMultipleObjects({&m_pWorkThread->ReadyEvent(), &m_pWorkThread->ExitedEvent()},
                                                false, INFINITE);
  if (woke != WAIT_OBJECT_0) return false;
  m_pTaskWnd = std::make_unique<CTaskWndInvisible>(m_pWorkThread.get());
  if (!m_pTaskWnd->Create()) return false;
  m_pMainWnd = m_pTaskWnd.get();
  m_hTaskWnd.store(m_pTaskWnd->m_hWnd, std::memory_order_release);
  m_pWorkThreadView.store(m_pWorkThread.get(), std::memory_order_release);
  // The update check runs once at every start.
  platform::PostMessage(m_pTaskWnd->m_hWnd, WM_TASK_UPDATE_CHECK);
  return true;
}

int CTaskDispatchThread::ExitInstance(int exitCode) {
  // The dispatcher window is gone (or never came); make sure the worker is
  // too, then wait for its thread, so that once this thread has ended no
  // part of the dispatcher runs any more.
  m_pTaskWnd.reset();
  m_pWorkThreadView.store(nullptr, std::memory_order_release);
  m_pWorkThread.reset();
  return exitCode;
}
