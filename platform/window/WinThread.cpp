// The framework's thread object.
#include "platform/window/WinThread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <system_error>

#include "platform/window/Messaging.h"
#include "platform/window/detail/ThreadQueue.h"

namespace platform {
namespace {

thread_local CWinThread* t_current = nullptr;

// Maps a THREAD_PRIORITY_* value onto the calling thread's nice value.
// Raising needs privileges that an ordinary user lacks; the refusal is ignored.
void ApplyPriority(int priority) {
  if (priority == THREAD_PRIORITY_NORMAL) return;
  int nice = 0;
  if (priority <= THREAD_PRIORITY_IDLE)
    nice = 19;
  else if (priority >= THREAD_PRIORITY_TIME_CRITICAL)
    nice = -20;
  else
    nice = -5 * priority;
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), nice);
}

}  // namespace

CWinThread::CWinThread() = default;

CWinThread::~CWinThread() { JoinThread(); }

bool CWinThread::CreateThread(int priority) {
  if (thread_.joinable()) return false;
  try {
    thread_ = std::thread(&CWinThread::ThreadMain, this, priority);
  } catch (const std::system_error&) {
    return false;
  }
  // Once this returns the thread has its id and its queue, so posts to it work.
  started_.Wait();
  return true;
}

void CWinThread::ThreadMain(int priority) {
  t_current = this;
  ApplyPriority(priority);
  detail::CurrentQueue();
  threadId_.store(GetCurrentThreadId(), std::memory_order_release);
  started_.Set();
  bool initialized = InitInstance();
  initSucceeded_.store(initialized, std::memory_order_release);
  initDone_.Set();
  int code = ExitInstance(initialized ? Run() : -1);
  exitCode_.store(code, std::memory_order_release);
  detail::ShutdownCurrentQueue();
  t_current = nullptr;
  exited_.Set();
}

bool CWinThread::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD id = ThreadId();
  return id != 0 && platform::PostThreadMessage(id, message, wParam, lParam);
}

bool CWinThread::WaitForInit(DWORD timeoutMs) {
  if (!thread_.joinable() && !exited_.IsSignaled()) return false;
  if (WaitForMultipleObjects({&initDone_, &exited_}, false, timeoutMs) == WAIT_TIMEOUT) return false;
  return initSucceeded_.load(std::memory_order_acquire);
}

bool CWinThread::WaitForExit(DWORD timeoutMs) { return exited_.Wait(timeoutMs); }

CWinThread* CWinThread::GetCurrent() { return t_current; }

bool CWinThread::InitInstance() { return true; }

int CWinThread::Run() {
  MessageLoopHooks hooks;
  hooks.preTranslate = [this](MSG& msg) {
    if (!msg.hwnd) {
      OnThreadMessage(msg);
      return true;
    }
    return PreTranslateMessage(msg);
  };
  hooks.onIdle = [this](long count) { return OnIdle(count); };
  return RunMessageLoop(hooks);
}

int CWinThread::ExitInstance(int exitCode) { return exitCode; }

bool CWinThread::PreTranslateMessage(MSG&) { return false; }

bool CWinThread::OnIdle(long) { return false; }

void CWinThread::OnThreadMessage(const MSG&) {}

void CWinThread::JoinThread() {
  if (!thread_.joinable()) return;
  if (thread_.get_id() == std::this_thread::get_id())
    thread_.detach();
  else
    thread_.join();
}

}  // namespace platform
