// The dispatcher window's message handlers.
#include "control/dispatch/TaskWndInvisible.h"

#include "control/dispatch/DispatchMessages.h"
#include "control/dispatch/WorkThread4ImageItem.h"
#include "control/dispatch/WorkWndInvisible.h"
#include "control/items/ImageItem.h"
#include "control/upload/UploadJob.h"
#include "platform/window/Messaging.h"
#include "platform/window/Window.h"

namespace {

void ReleaseItem(LPARAM lParam) {
  if (auto* item = reinterpret_cast<CImageItem*>(lParam)) item->Release();
}

void ReleaseJob(LPARAM lParam) {
  if (auto* job = reinterpret_cast<CUploadJob*>(lParam)) job->Release();
}

}  // namespace

BEGIN_MESSAGE_MAP(CTaskWndInvisible, platform::CWnd)
ON_MESSAGE(WM_TASK_THUMBNAIL_PUSH, OnThumbnailPush)
ON_MESSAGE(WM_TASK_THUMBNAIL_PULL, OnThumbnailPull)
ON_MESSAGE(WM_TASK_THUMBNAIL_CLEAR, OnThumbnailClear)
ON_MESSAGE(WM_TASK_UPLOAD_PUSH, OnUploadPush)
ON_MESSAGE(WM_TASK_UPLOAD_PULL, OnUploadPull)
ON_MESSAGE(WM_TASK_UPLOAD_CANCEL, OnUploadCancel)
ON_MESSAGE(WM_TASK_STOP, OnStop)
ON_MESSAGE(WM_TASK_UPDATE_CHECK, OnUpdateCheck)
END_MESSAGE_MAP()

CTaskWndInvisible::CTaskWndInvisible(CWorkThread4ImageItem* workThread) : m_pWorkThread(workThread) {}

// Destroying here (not in CWnd's destructor) lets OnDestroy release queued jobs.
CTaskWndInvisible::~CTaskWndInvisible() { DestroyWindow(); }

bool CTaskWndInvisible::Create() {
  return CreateEx(0, RegisterWndClass(CS_DBLCLKS), "TaskWndInvisible", WS_OVERLAPPEDWINDOW, platform::RECT{},
                  nullptr, 0);
}

int CTaskWndInvisible::OnCreate(platform::CREATESTRUCT*) {
  // Sent, so the worker window knows us (and we it) before any job arrives.
  platform::SendMessage(FindWorkWnd(), WM_TASK_INTRODUCE, 0, reinterpret_cast<LPARAM>(this));
  return 0;
}

void CTaskWndInvisible::AttachWorkWnd(CWorkWndInvisible* workWnd) {
  m_pWorkWnd = workWnd;
  m_hWorkWnd = workWnd ? workWnd->m_hWnd : nullptr;
}

HWND CTaskWndInvisible::FindWorkWnd() const {
  // NOTE: handles, not the window objects, are checked: a handle of a
  // destroyed window never names another window, and reading it is safe
  // from this thread.
  if (platform::IsWindow(m_hWorkWnd)) return m_hWorkWnd;
  HWND main = m_pWorkThread ? m_pWorkThread->MainWndHandle() : nullptr;
  return platform::IsWindow(main) ? main : nullptr;
}

void CTaskWndInvisible::HandOut(std::deque<Job>& queue, UINT message, void (*release)(LPARAM)) {
  if (queue.empty()) return;
  Job job = queue.front();
  queue.pop_front();
  HWND worker = FindWorkWnd();
  if (!worker || !platform::PostMessage(worker, message, job.first, job.second)) release(job.second);
}

LRESULT CTaskWndInvisible::OnThumbnailPush(WPARAM wParam, LPARAM lParam) {
  bool wasEmpty = m_thumbnailQueue.empty();
  m_thumbnailQueue.emplace_back(wParam, lParam);
  if (wasEmpty) PostMessage(WM_TASK_THUMBNAIL_PULL);
  return 0;
}

LRESULT CTaskWndInvisible::OnThumbnailPull(WPARAM, LPARAM) {
  HandOut(m_thumbnailQueue, WM_WORK_MAKE_THUMBNAIL, &ReleaseItem);
  return 0;
}

LRESULT CTaskWndInvisible::OnThumbnailClear(WPARAM, LPARAM) {
  ClearThumbnails();
  return 0;
}

LRESULT CTaskWndInvisible::OnUploadPush(WPARAM wParam, LPARAM lParam) {
  bool wasEmpty = m_uploadQueue.empty();
  m_uploadQueue.emplace_back(wParam, lParam);
  if (wasEmpty) PostMessage(WM_TASK_UPLOAD_PULL);
  return 0;
}

LRESULT CTaskWndInvisible::OnUploadPull(WPARAM, LPARAM) {
  HandOut(m_uploadQueue, WM_WORK_UPLOAD_JOB, &ReleaseJob);
  return 0;
}

LRESULT CTaskWndInvisible::OnUploadCancel(WPARAM, LPARAM) {
  // The worker object outlives its window (its thread object owns it), so the
  // shared state may be touched even when the worker window is already gone.
  CWorkWndInvisible* worker = m_pWorkWnd ? m_pWorkWnd : m_pWorkThread ? m_pWorkThread->WorkWnd() : nullptr;
  if (worker) worker->UploadState().RequestCancel();
  ClearUploads();
  return 0;
}

LRESULT CTaskWndInvisible::OnStop(WPARAM, LPARAM) {
  // Sent on, so the worker window is gone when this returns.
  platform::SendMessage(FindWorkWnd(), WM_TASK_STOP);
  DestroyWindow();
  return 0;
}

LRESULT CTaskWndInvisible::OnUpdateCheck(WPARAM, LPARAM) {
  platform::PostMessage(FindWorkWnd(), WM_TASK_UPDATE_CHECK);
  return 0;
}

void CTaskWndInvisible::OnDestroy() {
  // Waiting jobs, and pushes still queued as messages, are never delivered now.
  ClearThumbnails();
  ClearUploads();
  platform::MSG msg;
  while (platform::PeekMessage(&msg, m_hWnd, WM_TASK_THUMBNAIL_PUSH, WM_TASK_THUMBNAIL_PUSH, PM_REMOVE))
    ReleaseItem(msg.lParam);
  while (platform::PeekMessage(&msg, m_hWnd, WM_TASK_UPLOAD_PUSH, WM_TASK_UPLOAD_PUSH, PM_REMOVE))
    ReleaseJob(msg.lParam);
  CWnd::OnDestroy();
}

void CTaskWndInvisible::ClearThumbnails() {
  for (const Job& job : m_thumbnailQueue) ReleaseItem(job.second);
  m_thumbnailQueue.clear();
}

void CTaskWndInvisible::ClearUploads() {
  for (const Job& job : m_uploadQueue) ReleaseJob(job.second);
  m_uploadQueue.clear();
}
