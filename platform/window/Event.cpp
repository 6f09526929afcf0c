// Events share one lock, which keeps waits on several events simple: a waiter
// hangs its condition variable on every event it waits for.
#include "platform/window/Event.h"

#include <algorithm>
#include <chrono>
#include <mutex>

namespace platform {
namespace {

std::mutex& EventLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}

}  // namespace

CEvent::CEvent(EventReset reset, bool signaled)
    : manual_(reset == EventReset::kManual), signaled_(signaled) {}

CEvent::~CEvent() = default;

void CEvent::Set() {
  std::lock_guard lock(EventLock());
  signaled_ = true;
  for (std::condition_variable* waiter : waiters_) waiter->notify_all();
}

void CEvent::Reset() {
  std::lock_guard lock(EventLock());
  signaled_ = false;
}

bool CEvent::Wait(DWORD timeoutMs) {
  return WaitForMultipleObjects({this}, false, timeoutMs) == WAIT_OBJECT_0;
}

bool CEvent::IsSignaled() const {
  std::lock_guard lock(EventLock());
  return signaled_;
}

DWORD WaitForMultipleObjects(std::initializer_list<CEvent*> events, bool waitAll, DWORD timeoutMs) {
  if (events.size() == 0) return WAIT_FAILED;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::condition_variable waiter;
  std::unique_lock lock(EventLock());
  for (CEvent* event : events) event->waiters_.push_back(&waiter);
  DWORD result = WAIT_TIMEOUT;
  bool timedOut = false;
  for (;;) {
    auto firstSignaled = std::find_if(events.begin(), events.end(), [](CEvent* e) { return e->signaled_; });
    bool ready = waitAll ? std::all_of(events.begin(), events.end(), [](CEvent* e) { return e->signaled_; })
                         : firstSignaled != events.end();
    if (ready) {
      result = WAIT_OBJECT_0 + static_cast<DWORD>(firstSignaled - events.begin());
      for (CEvent* event : events)
        if (!event->manual_ && (waitAll || event == *firstSignaled)) event->signaled_ = false;
      break;
    }
    // A signal that came together with the timeout still counts: look once more.
    if (timedOut) break;
    if (timeoutMs == INFINITE)
      waiter.wait(lock);
    else
      timedOut = waiter.wait_until(lock, deadline) == std::cv_status::timeout;
  }
  for (CEvent* event : events) std::erase(event->waiters_, &waiter);
  return result;
}

}  // namespace platform
