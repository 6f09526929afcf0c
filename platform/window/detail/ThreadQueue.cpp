// Per-thread message queues and the registry that finds them by thread id.
#include "platform/window/detail/ThreadQueue.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <map>

#include "platform/window/Messaging.h"
#include "platform/window/TickClock.h"
#include "platform/window/Window.h"
#include "platform/window/detail/WindowTable.h"

namespace platform::detail {
namespace {

constexpr std::uint64_t kNoTimer = std::numeric_limits<std::uint64_t>::max();

bool InRange(UINT message, UINT filterMin, UINT filterMax) {
  if (filterMin == 0 && filterMax == 0) return true;
  return message >= filterMin && message <= filterMax;
}

struct Registry {
  std::mutex mutex;
  std::map<DWORD, std::shared_ptr<ThreadQueue>> queues;
};

// NOTE: never destroyed, so threads that end after main returns still find it.
Registry& TheRegistry() {
  static Registry* registry = new Registry;
  return *registry;
}

// Ends the thread's queue when the thread ends, for threads that never ended it themselves.
struct QueueHolder {
  std::shared_ptr<ThreadQueue> queue;
  ~QueueHolder() {
    if (queue) ShutdownCurrentQueue();
  }
};

thread_local QueueHolder t_holder;

}  // namespace

bool ThreadQueue::Post(const MSG& msg, const std::atomic<bool>* refuse) {
  {
    std::lock_guard lock(mutex_);
    if (!alive_ || (refuse && refuse->load(std::memory_order_relaxed))) return false;
    posted_.push_back(msg);
  }
  wake_.notify_one();
  return true;
}

void ThreadQueue::RefusePosts(std::atomic<bool>& destroying) {
  std::lock_guard lock(mutex_);
  destroying.store(true, std::memory_order_relaxed);
}

bool ThreadQueue::EnqueueSend(const std::shared_ptr<SendRecord>& record) {
  {
    std::lock_guard lock(mutex_);
    if (!alive_) return false;
    sends_.push_back(record);
  }
  wake_.notify_one();
  return true;
}

void ThreadQueue::CompleteSend(SendRecord& record, LRESULT result) {
  {
    std::lock_guard lock(mutex_);
    record.result = result;
    record.done = true;
  }
  wake_.notify_one();
}

void ThreadQueue::Wake() {
  {
    std::lock_guard lock(mutex_);
    wakeRequested_ = true;
  }
  wake_.notify_one();
}

std::shared_ptr<SendRecord> ThreadQueue::PopSend() {
  if (sends_.empty()) return nullptr;
  std::shared_ptr<SendRecord> record = std::move(sends_.front());
  sends_.pop_front();
  return record;
}

bool ThreadQueue::TakePosted(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, bool remove) {
  for (auto it = posted_.begin(); it != posted_.end(); ++it) {
    if (hwnd && it->hwnd != hwnd) continue;
    if (!InRange(it->message, filterMin, filterMax)) continue;
    *msg = *it;
    if (remove) posted_.erase(it);
    return true;
  }
  return false;
}

bool ThreadQueue::TakeTimer(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, bool remove,
                            std::uint64_t now) {
  if (!InRange(WM_TIMER, filterMin, filterMax)) return false;
  for (Timer& timer : timers_) {
    if (timer.dueTick > now || (hwnd && timer.hwnd != hwnd)) continue;
    *msg = MSG{timer.hwnd, WM_TIMER, timer.id, 0, now};
    // A late timer fires once, not once for every interval it missed.
    if (remove) timer.dueTick = now + timer.intervalMs;
    return true;
  }
  return false;
}

std::uint64_t ThreadQueue::NextTimerDue() const {
  std::uint64_t due = kNoTimer;
  for (const Timer& timer : timers_) due = std::min(due, timer.dueTick);
  return due;
}

bool ThreadQueue::Take(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, bool remove, bool wait) {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (std::shared_ptr<SendRecord> send = PopSend()) {
      lock.unlock();
      send->sender->CompleteSend(*send, DeliverSent(*send));
      lock.lock();
      continue;
    }
    if (TakePosted(msg, hwnd, filterMin, filterMax, remove)) return true;
    // NOTE: unlike posted messages of other windows, the quit request honours
    // the filters too, so a window draining its own messages cannot swallow it.
    if (quitPosted_ && !hwnd && InRange(WM_QUIT, filterMin, filterMax)) {
      *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(quitCode_), 0, GetTickCount64()};
      if (remove) quitPosted_ = false;
      return true;
    }
    std::uint64_t now = GetTickCount64();
    if (TakeTimer(msg, hwnd, filterMin, filterMax, remove, now)) return true;
    if (!wait) return false;
    if (wakeRequested_) {
      wakeRequested_ = false;
      continue;
    }
    std::uint64_t due = NextTimerDue();
    if (due == kNoTimer)
      wake_.wait(lock);
    else
      wake_.wait_for(lock, std::chrono::milliseconds(due > now ? due - now : 0));
  }
}

void ThreadQueue::WaitForAnswer(const SendRecord& record) {
  std::unique_lock lock(mutex_);
  while (!record.done) {
    if (std::shared_ptr<SendRecord> send = PopSend()) {
      lock.unlock();
      send->sender->CompleteSend(*send, DeliverSent(*send));
      lock.lock();
      continue;
    }
    wake_.wait(lock);
  }
}

void ThreadQueue::HandlePendingSends() {
  std::unique_lock lock(mutex_);
  while (std::shared_ptr<SendRecord> send = PopSend()) {
    lock.unlock();
    send->sender->CompleteSend(*send, DeliverSent(*send));
    lock.lock();
  }
}

bool ThreadQueue::HasPendingSends() {
  std::lock_guard lock(mutex_);
  return !sends_.empty();
}

void ThreadQueue::StartTimer(HWND hwnd, UINT_PTR id, std::uint64_t intervalMs) {
  std::uint64_t due = GetTickCount64() + intervalMs;
  std::lock_guard lock(mutex_);
  for (Timer& timer : timers_) {
    if (timer.hwnd == hwnd && timer.id == id) {
      timer.intervalMs = intervalMs;
      timer.dueTick = due;
      return;
    }
  }
  timers_.push_back(Timer{hwnd, id, intervalMs, due});
}

bool ThreadQueue::StopTimer(HWND hwnd, UINT_PTR id) {
  std::lock_guard lock(mutex_);
  auto it = std::find_if(timers_.begin(), timers_.end(),
                         [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == timers_.end()) return false;
  timers_.erase(it);
  return true;
}

void ThreadQueue::StopTimersOf(HWND hwnd) {
  std::lock_guard lock(mutex_);
  std::erase_if(timers_, [&](const Timer& t) { return t.hwnd == hwnd; });
}

void ThreadQueue::DropMessagesOf(HWND hwnd) {
  std::lock_guard lock(mutex_);
  std::erase_if(posted_, [&](const MSG& m) { return m.hwnd == hwnd; });
}

void ThreadQueue::PostQuit(int code) {
  {
    std::lock_guard lock(mutex_);
    quitPosted_ = true;
    quitCode_ = code;
  }
  wake_.notify_one();
}

void ThreadQueue::Shutdown() {
  std::deque<std::shared_ptr<SendRecord>> unanswered;
  {
    std::lock_guard lock(mutex_);
    alive_ = false;
    unanswered.swap(sends_);
    posted_.clear();
    timers_.clear();
  }
  for (const std::shared_ptr<SendRecord>& send : unanswered) send->sender->CompleteSend(*send, 0);
}

std::shared_ptr<ThreadQueue> CurrentQueue() {
  if (!t_holder.queue) {
    DWORD id = platform::GetCurrentThreadId();
    t_holder.queue = std::make_shared<ThreadQueue>(id);
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.queues[id] = t_holder.queue;
  }
  return t_holder.queue;
}

std::shared_ptr<ThreadQueue> CurrentQueueIfAny() { return t_holder.queue; }

std::shared_ptr<ThreadQueue> FindQueue(DWORD threadId) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  auto it = registry.queues.find(threadId);
  return it == registry.queues.end() ? nullptr : it->second;
}

void ShutdownCurrentQueue() {
  std::shared_ptr<ThreadQueue> queue = t_holder.queue;
  if (!queue) return;
  // Windows left behind get their destruction messages on their own thread.
  for (HWND hwnd : WindowsOwnedBy(queue.get()))
    if (platform::IsWindow(hwnd)) platform::DestroyWindow(hwnd);
  queue->Shutdown();
  {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.queues.erase(queue->threadId);
  }
  t_holder.queue.reset();
}

void WakeAllQueues() {
  std::vector<std::shared_ptr<ThreadQueue>> queues;
  {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    for (auto& [id, queue] : registry.queues) queues.push_back(queue);
  }
  for (const auto& queue : queues) queue->Wake();
}

}  // namespace platform::detail
