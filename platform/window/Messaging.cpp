// Posting, sending and taking messages; timers; message loops.
#include "platform/window/Messaging.h"

#include <algorithm>
#include <atomic>

#include "platform/window/TickClock.h"
#include "platform/window/Window.h"
#include "platform/window/detail/ThreadQueue.h"
#include "platform/window/detail/WindowTable.h"

namespace platform {
namespace {

std::atomic<DWORD> g_nextThreadId{1};
thread_local DWORD t_threadId = 0;

}  // namespace

namespace detail {

LRESULT DeliverSent(const SendRecord& record) {
  std::shared_ptr<WindowRecord> window = FindWindow(record.hwnd);
  if (!window) return 0;
  return window->proc(record.hwnd, record.message, record.wParam, record.lParam);
}

}  // namespace detail

DWORD GetCurrentThreadId() {
  if (t_threadId == 0) t_threadId = g_nextThreadId.fetch_add(1, std::memory_order_relaxed);
  return t_threadId;
}

bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<detail::WindowRecord> record = detail::FindWindow(hwnd);
  if (!record) return false;
  return record->owner->Post(MSG{hwnd, message, wParam, lParam, GetTickCount64()}, &record->destroying);
}

bool PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<detail::ThreadQueue> queue = detail::FindQueue(threadId);
  return queue && queue->Post(MSG{nullptr, message, wParam, lParam, GetTickCount64()});
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<detail::WindowRecord> record = detail::FindWindow(hwnd);
  if (!record) return 0;
  std::shared_ptr<detail::ThreadQueue> self = detail::CurrentQueue();
  if (record->owner == self) return record->proc(hwnd, message, wParam, lParam);
  auto send = std::make_shared<detail::SendRecord>();
  send->hwnd = hwnd;
  send->message = message;
  send->wParam = wParam;
  send->lParam = lParam;
  send->sender = self;
  if (!record->owner->EnqueueSend(send)) return 0;
  record.reset();  // the window may go while we wait; the answer is then 0
  self->WaitForAnswer(*send);
  return send->result;
}

void PostQuitMessage(int exitCode) { detail::CurrentQueue()->PostQuit(exitCode); }

bool GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  detail::CurrentQueue()->Take(msg, hwnd, filterMin, filterMax, true, true);
  return msg->message != WM_QUIT;
}

bool PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove) {
  return detail::CurrentQueue()->Take(msg, hwnd, filterMin, filterMax, (remove & PM_REMOVE) != 0, false);
}

void WaitMessage() {
  MSG msg;
  detail::CurrentQueue()->Take(&msg, nullptr, 0, 0, false, true);
}

LRESULT DispatchMessage(const MSG& msg) {
  if (!msg.hwnd) return 0;
  std::shared_ptr<detail::WindowRecord> record = detail::FindWindow(msg.hwnd);
  if (!record) return 0;
  return record->proc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs) {
  std::shared_ptr<detail::WindowRecord> record = detail::FindWindow(hwnd);
  if (!record || record->owner != detail::CurrentQueueIfAny() || record->destroying) return 0;
  elapseMs = std::clamp<UINT>(elapseMs, USER_TIMER_MINIMUM, 0x7FFFFFFF);
  record->owner->StartTimer(hwnd, id, elapseMs);
  return id == 0 ? 1 : id;
}

bool KillTimer(HWND hwnd, UINT_PTR id) {
  std::shared_ptr<detail::WindowRecord> record = detail::FindWindow(hwnd);
  return record && record->owner == detail::CurrentQueueIfAny() && record->owner->StopTimer(hwnd, id);
}

namespace {

// Lets the idle hook run until it is satisfied or a message is waiting.
void RunIdle(const MessageLoopHooks& hooks) {
  if (!hooks.onIdle) return;
  MSG peeked;
  for (long count = 0; !PeekMessage(&peeked, nullptr, 0, 0, PM_NOREMOVE);)
    if (!hooks.onIdle(count++)) break;
}

void Deliver(MSG& msg, const MessageLoopHooks& hooks) {
  if (hooks.preTranslate && hooks.preTranslate(msg)) return;
  DispatchMessage(msg);
}

}  // namespace

int RunMessageLoop(const MessageLoopHooks& hooks) {
  MSG msg;
  for (;;) {
    RunIdle(hooks);
    if (!GetMessage(&msg)) return static_cast<int>(msg.wParam);
    Deliver(msg, hooks);
  }
}

bool RunModalLoop(const std::function<bool()>& keepRunning, const MessageLoopHooks& hooks) {
  MSG msg;
  while (keepRunning()) {
    RunIdle(hooks);
    if (!GetMessage(&msg)) {
      // The outer loop must end too, so the quit goes back for it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    Deliver(msg, hooks);
  }
  return true;
}

}  // namespace platform
