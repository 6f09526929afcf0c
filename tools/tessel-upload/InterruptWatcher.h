// Turns Ctrl-C (SIGINT, and SIGTERM) into a message to the uploader's window,
// so that the interface thread cancels the transfer as the progress window's
// Cancel button does. A second interrupt ends the program at once.
//
// The signals are blocked in every thread and taken by one watcher thread with
// sigwait, so no handler runs inside the message loop's locks.
#pragma once

#include <atomic>
#include <thread>

#include "platform/window/WindowTypes.h"

namespace tessel_upload {

class CInterruptWatcher {
 public:
  // Blocks the signals in the calling thread and every thread it starts
  // later; call it before any other thread exists.
  static void BlockSignals();

  CInterruptWatcher() = default;
  // Ends the watcher thread.
  ~CInterruptWatcher();
  CInterruptWatcher(const CInterruptWatcher&) = delete;
  CInterruptWatcher& operator=(const CInterruptWatcher&) = delete;

  // Starts watching; each first interrupt posts `message` to `target`.
  void Start(HWND target, UINT message);
  // While set, an interrupt ends the program at once (nothing is in flight,
  // the main thread waits for the terminal).
  void SetExitImmediately(bool immediately) { exitImmediately_ = immediately; }

 private:
  void Watch(HWND target, UINT message);

  std::thread thread_;
  std::atomic<bool> exitImmediately_{false};
};

}  // namespace tessel_upload
