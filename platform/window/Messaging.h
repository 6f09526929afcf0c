// Message queues and loops: one queue per thread that owns windows (made on
// first use), posted and sent messages, thread messages, quit, timers, and the
// plain and modal message loops.
//
// Sent messages are handled before posted ones. A thread that waits for the
// answer of a cross-thread send keeps handling messages other threads send to
// it (never posted ones), so chains of sends between threads do not deadlock.
#pragma once

#include <functional>

#include "platform/window/WindowTypes.h"

namespace platform {

// The calling thread's id (never 0).
DWORD GetCurrentThreadId();

// Places a message in the queue of the window's thread and returns at once.
// False when the window does not exist or is being destroyed, and for a null
// handle (NOTE: thread messages go through PostThreadMessage only, so a sender
// that found no window cannot hand its payload to its own thread by mistake);
// the message is then not delivered and the sender keeps ownership of
// anything lParam points to.
bool PostMessage(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Places a message without a window in a thread's queue; false when that
// thread has no queue (it never used messages) or has ended.
bool PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Delivers a message and returns the window's answer. On the window's own
// thread this is a direct call; from another thread the caller blocks until
// the owner has handled it. Answers 0 when the window does not exist, is
// destroyed before handling it, or its thread ends.
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Asks the calling thread's message loop to end with this code.
void PostQuitMessage(int exitCode);

// Takes the next message for the calling thread, waiting as long as needed;
// sent messages are handled meanwhile. A hwnd filter (null: any) and a
// message range (0, 0: any) limit what is taken. Returns false for WM_QUIT.
bool GetMessage(MSG* msg, HWND hwnd = nullptr, UINT filterMin = 0, UINT filterMax = 0);
// Like GetMessage without waiting: false when nothing matching is waiting.
// With PM_REMOVE the message leaves the queue.
bool PeekMessage(MSG* msg, HWND hwnd = nullptr, UINT filterMin = 0, UINT filterMax = 0,
                 UINT remove = PM_REMOVE);
// Waits until a message arrives for the calling thread (sent ones are handled).
void WaitMessage();
// Calls the window procedure of msg.hwnd; thread messages (no window) answer 0.
LRESULT DispatchMessage(const MSG& msg);

// Starts or restarts a timer of a window of the calling thread; WM_TIMER with
// wParam = id arrives when the queue has nothing else to do. Returns the id,
// or 0 when the window does not belong to the calling thread.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs);
// Stops a timer; false when there is none.
bool KillTimer(HWND hwnd, UINT_PTR id);

// Hooks of a message loop.
struct MessageLoopHooks {
  // Sees each message before it is dispatched; true consumes it.
  std::function<bool(MSG&)> preTranslate;
  // Called when the queue is empty with the count of calls since the last
  // message; returning true asks to be called again before waiting.
  std::function<bool(long idleCount)> onIdle;
};

// Runs the calling thread's loop until WM_QUIT and returns the quit code.
int RunMessageLoop(const MessageLoopHooks& hooks = {});

// Runs a nested loop until `keepRunning` answers false (checked after every
// message) and returns true. When WM_QUIT arrives first the quit is posted
// again for the outer loop and the result is false.
bool RunModalLoop(const std::function<bool()>& keepRunning, const MessageLoopHooks& hooks = {});

}  // namespace platform
