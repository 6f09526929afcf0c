// Events in the platform's style: manual-reset ones stay signalled until reset,
// auto-reset ones release one waiter and reset themselves.
#pragma once

#include <condition_variable>
#include <initializer_list>
#include <vector>

#include "platform/window/WindowTypes.h"

namespace platform {

// How an event resets.
enum class EventReset { kManual, kAuto };

// A waitable event.
class CEvent {
 public:
  explicit CEvent(EventReset reset, bool signaled = false);
  ~CEvent();
  CEvent(const CEvent&) = delete;
  CEvent& operator=(const CEvent&) = delete;

  // Signals the event.
  void Set();
  // Clears the signal.
  void Reset();
  // Waits until signalled or the timeout (ms, INFINITE) passes; true when
  // signalled. Waiting on an auto-reset event consumes the signal.
  bool Wait(DWORD timeoutMs = INFINITE);
  // Whether the event is signalled now, without consuming anything.
  bool IsSignaled() const;

 private:
  friend DWORD WaitForMultipleObjects(std::initializer_list<CEvent*> events, bool waitAll, DWORD timeoutMs);
  bool manual_;
  bool signaled_;
  std::vector<std::condition_variable*> waiters_;
};

// Waits for one (waitAll false) or all of the events. Returns WAIT_OBJECT_0 +
// the index of the signalled event (the first one when waiting for all),
// WAIT_TIMEOUT, or WAIT_FAILED for an empty list. Auto-reset events that end
// the wait are reset.
DWORD WaitForMultipleObjects(std::initializer_list<CEvent*> events, bool waitAll, DWORD timeoutMs);

}  // namespace platform
