// The message queue of one thread (internal to the window system).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/window/WindowTypes.h"

namespace platform::detail {

class ThreadQueue;

// A message sent from another thread, waiting for its answer.
struct SendRecord {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
  // Set under the sender's queue mutex when the answer is in.
  bool done = false;
  std::shared_ptr<ThreadQueue> sender;
};

// A timer of one window.
struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  std::uint64_t intervalMs = 0;
  std::uint64_t dueTick = 0;
};

// One thread's queue. Other threads only append posted messages and sends
// and read `alive`, all under `mutex`; the owning thread does the rest.
class ThreadQueue {
 public:
  explicit ThreadQueue(DWORD threadId) : threadId(threadId) {}

  // Appends a posted message; false once the thread has ended, or when
  // `refuse` (a window's destroying flag, read under the queue lock) is set.
  bool Post(const MSG& msg, const std::atomic<bool>* refuse = nullptr);
  // Sets a window's destroying flag under the queue lock, so that no post
  // slips in after the window has started to drain its messages.
  void RefusePosts(std::atomic<bool>& destroying);
  // Appends a send for the owning thread; false once the thread has ended.
  bool EnqueueSend(const std::shared_ptr<SendRecord>& record);
  // Stores the answer of a send this thread made and wakes it.
  void CompleteSend(SendRecord& record, LRESULT result);
  // Wakes the owning thread (for a changed clock).
  void Wake();

  // Takes a message for the owning thread; `wait` blocks until one comes.
  // Sends that arrive meanwhile are handled. False when `wait` is off and
  // nothing matches.
  bool Take(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, bool remove, bool wait);
  // Waits until `record` has its answer, handling incoming sends meanwhile.
  void WaitForAnswer(const SendRecord& record);
  // Handles every waiting send now.
  void HandlePendingSends();
  // Whether sends from other threads wait for this thread (for tests).
  bool HasPendingSends();

  // Timers (owning thread only).
  void StartTimer(HWND hwnd, UINT_PTR id, std::uint64_t intervalMs);
  bool StopTimer(HWND hwnd, UINT_PTR id);
  void StopTimersOf(HWND hwnd);
  // Drops posted messages of a destroyed window.
  void DropMessagesOf(HWND hwnd);

  void PostQuit(int code);
  // Marks the thread as ended: later posts and sends fail, waiting sends answer 0.
  void Shutdown();

  const DWORD threadId;

 private:
  bool TakePosted(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, bool remove);
  bool TakeTimer(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, bool remove, std::uint64_t now);
  std::uint64_t NextTimerDue() const;
  // Pops one waiting send (with the lock held); null when none.
  std::shared_ptr<SendRecord> PopSend();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<MSG> posted_;
  std::deque<std::shared_ptr<SendRecord>> sends_;
  std::vector<Timer> timers_;
  bool alive_ = true;
  bool wakeRequested_ = false;
  bool quitPosted_ = false;
  int quitCode_ = 0;
};

// The calling thread's queue, made on first use.
std::shared_ptr<ThreadQueue> CurrentQueue();
// The calling thread's queue when it has one, else null.
std::shared_ptr<ThreadQueue> CurrentQueueIfAny();
// The queue of a thread by id, or null.
std::shared_ptr<ThreadQueue> FindQueue(DWORD threadId);
// Ends the calling thread's queue: destroys its windows, answers waiting sends.
void ShutdownCurrentQueue();
// Wakes every queue.
void WakeAllQueues();

// Answers a send by calling the window procedure (or 0 for a gone window).
LRESULT DeliverSent(const SendRecord& record);

}  // namespace platform::detail
