#include "tools/tessel-upload/InterruptWatcher.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include "platform/window/Messaging.h"

namespace tessel_upload {
namespace {

// SIGUSR2 only wakes the watcher when it is to end.
sigset_t WatchedSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGUSR2);
  return set;
}

void ExitNow() {
  constexpr char kText[] = "\ntessel-upload: interrupted\n";
  ssize_t ignored = write(STDERR_FILENO, kText, sizeof kText - 1);
  (void)ignored;
  _exit(1);
}

}  // namespace

void CInterruptWatcher::BlockSignals() {
  sigset_t set = WatchedSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

CInterruptWatcher::~CInterruptWatcher() {
  if (!thread_.joinable()) return;
  pthread_kill(thread_.native_handle(), SIGUSR2);
  thread_.join();
}

void CInterruptWatcher::Start(HWND target, UINT message) {
  thread_ = std::thread([this, target, message] { Watch(target, message); });
}

void CInterruptWatcher::Watch(HWND target, UINT message) {
  sigset_t set = WatchedSignals();
  bool interrupted = false;
  for (;;) {
    int signal = 0;
    if (sigwait(&set, &signal) != 0) continue;
    if (signal == SIGUSR2) return;
    if (interrupted || exitImmediately_) ExitNow();
    interrupted = true;
    if (!platform::PostMessage(target, message)) ExitNow();
  }
}

}  // namespace tessel_upload
