// Start-up and shut-down of the worker thread.
#include "control/dispatch/WorkThread4ImageItem.h"

#include "control/dispatch/DispatchMessages.h"
#include "control/dispatch/WorkWndInvisible.h"
#include "platform/window/Messaging.h"

CWorkThread4ImageItem::CWorkThread4ImageItem(IUploadHandler* uploadHandler, IUpdateCheck* updateCheck)
    : m_pUploadHandler(uploadHandler), m_pUpdateCheck(updateCheck) {}

CWorkThread4ImageItem::~CWorkThread4ImageItem() {
  // The window object must outlive the thread that runs it.
  platform::SendMessage(MainWndHandle(), WM_TASK_STOP);
  JoinThread();
}

bool CWorkThread4ImageItem::InitInstance() {
  if (!CreateWorkWnd()) return false;
  m_pMainWnd = m_pWorkWnd.get();
  m_hMainWnd.store(m_pWorkWnd->m_hWnd, std::memory_order_release);
  m_readyEvent.Set();
  return true;
}

bool CWorkThread4ImageItem::CreateWorkWnd() {
  auto window = std::make_unique<CWorkWndInvisible>(m_pUploadHandler, m_pUpdateCheck);
  if (!window->Create()) return false;
  m_pWorkWnd = std::move(window);
  return true;
}
