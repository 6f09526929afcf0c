// The worker window's message handlers.
#include "control/dispatch/WorkWndInvisible.h"

#include "control/dispatch/DispatchMessages.h"
#include "control/dispatch/IUpdateCheck.h"
#include "control/dispatch/IUploadHandler.h"
#include "control/dispatch/TaskWndInvisible.h"
#include "control/items/ImageItem.h"
#include "control/upload/UploadJob.h"
#include "platform/window/Messaging.h"

BEGIN_MESSAGE_MAP(CWorkWndInvisible, platform::CWnd)
ON_MESSAGE(WM_TASK_INTRODUCE, OnIntroduce)
ON_MESSAGE(WM_TASK_STOP, OnStop)
ON_MESSAGE(WM_WORK_MAKE_THUMBNAIL, OnMakeThumbnail)
ON_MESSAGE(WM_WORK_UPLOAD_JOB, OnUploadJob)
ON_MESSAGE(WM_TASK_UPDATE_CHECK, OnUpdateCheck)
END_MESSAGE_MAP()

CWorkWndInvisible::CWorkWndInvisible(IUploadHandler* uploadHandler, IUpdateCheck* updateCheck)
    : m_pUploadHandler(uploadHandler), m_pUpdateCheck(updateCheck) {}

// Destroying here (not in CWnd's destructor) lets OnDestroy release queued jobs.
CWorkWndInvisible::~CWorkWndInvisible() { DestroyWindow(); }

bool CWorkWndInvisible::Create() {
  return CreateEx(0, RegisterWndClass(CS_DBLCLKS), "WorkWndInvisible", WS_OVERLAPPEDWINDOW, platform::RECT{},
                  nullptr, 0);
}

LRESULT CWorkWndInvisible::OnIntroduce(WPARAM, LPARAM lParam) {
  // Sent by the dispatcher window while it is being created, so each learns
  // the other before any job arrives; the dispatcher thread waits meanwhile.
  auto* taskWnd = reinterpret_cast<CTaskWndInvisible*>(lParam);
  if (!taskWnd) return 0;
  m_hTaskWnd = taskWnd->m_hWnd;
  taskWnd->AttachWorkWnd(this);
  return 0;
}

LRESULT CWorkWndInvisible::OnStop(WPARAM, LPARAM) {
  DestroyWindow();
  return 0;
}

LRESULT CWorkWndInvisible::OnMakeThumbnail(WPARAM wParam, LPARAM lParam) {
  auto* item = reinterpret_cast<CImageItem*>(lParam);
  HWND listWnd = reinterpret_cast<HWND>(wParam);
  if (item) {
    if (item->HasThumbnail()) {
      // Nothing to make and nothing to report: the job's reference ends here.
      item->Release();
    } else {
      UINT reply = item->MakeThumbnail() ? WM_WORK_THUMBNAIL_MADE : WM_WORK_THUMBNAIL_FAILED;
      if (!platform::PostMessage(listWnd, reply, 0, lParam)) item->Release();
    }
  }
  PostToTaskWnd(WM_TASK_THUMBNAIL_PULL);
  return 0;
}

LRESULT CWorkWndInvisible::OnUploadJob(WPARAM wParam, LPARAM lParam) {
  auto* job = reinterpret_cast<CUploadJob*>(lParam);
  bool askForNext = true;
  if (job && m_pUploadHandler) {
    askForNext = m_pUploadHandler->HandleUploadJob(*this, reinterpret_cast<HWND>(wParam), job);
  } else if (job) {
    // FIXME: without an upload handler the job cannot be sent; it is dropped
    // (and released) so that the queue moves on and nothing leaks.
    job->Release();
  }
  if (askForNext) PostToTaskWnd(WM_TASK_UPLOAD_PULL);
  return 0;
}

LRESULT CWorkWndInvisible::OnUpdateCheck(WPARAM, LPARAM) {
  // Without a check there is no update: the worker is free for queued work.
  bool ready = m_pUpdateCheck ? m_pUpdateCheck->RunUpdateCheck(*this) : true;
  if (ready) PostToTaskWnd(WM_TASK_THUMBNAIL_PULL);
  return 0;
}

void CWorkWndInvisible::OnDestroy() {
  // Posts to this window fail from now on; what is already queued was handed
  // over with its reference and must be released here.
  platform::MSG msg;
  while (platform::PeekMessage(&msg, m_hWnd, WM_WORK_MAKE_THUMBNAIL, WM_WORK_MAKE_THUMBNAIL, PM_REMOVE))
    if (auto* item = reinterpret_cast<CImageItem*>(msg.lParam)) item->Release();
  while (platform::PeekMessage(&msg, m_hWnd, WM_WORK_UPLOAD_JOB, WM_WORK_UPLOAD_JOB, PM_REMOVE))
    if (auto* job = reinterpret_cast<CUploadJob*>(msg.lParam)) job->Release();
  CWnd::OnDestroy();
}

void CWorkWndInvisible::PostToTaskWnd(UINT message) { platform::PostMessage(m_hTaskWnd, message); }
