// Helpers for the window-system tests: a window object driven by a lambda, a
// thread that owns one such window, and a watchdog that ends a hung test.
#pragma once

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "platform/window/Event.h"
#include "platform/window/Messaging.h"
#include "platform/window/WinThread.h"
#include "platform/window/Wnd.h"

namespace windowtest {

using platform::CWnd;

// Handles a message, or returns nullopt for default processing.
using Handler = std::function<std::optional<LRESULT>(CWnd& self, UINT message, WPARAM wParam, LPARAM lParam)>;

// A window whose messages go to a lambda.
class LambdaWnd : public CWnd {
 public:
  explicit LambdaWnd(Handler handler = {}) : handler_(std::move(handler)) {}
  ~LambdaWnd() override { DestroyWindow(); }

  // Creates an invisible top-level (or child) window.
  bool Create(HWND parent = nullptr, const char* name = "test") {
    return CreateEx(0, RegisterWndClass(0), name, parent ? WS_CHILD : WS_OVERLAPPED,
                    platform::RECT{0, 0, 10, 10}, parent, 0);
  }

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (handler_)
      if (std::optional<LRESULT> result = handler_(*this, message, wParam, lParam)) return *result;
    return CWnd::WindowProc(message, wParam, lParam);
  }

 private:
  Handler handler_;
};

// A thread whose main window is a LambdaWnd; the window exists once the
// constructor returns. Destruction closes the window and waits for the thread.
class WindowThread : public platform::CWinThread {
 public:
  explicit WindowThread(Handler handler) : window_(std::move(handler)) {
    CreateThread();
    WaitForInit();
  }
  ~WindowThread() override {
    platform::PostMessage(hwnd_, WM_CLOSE);
    JoinThread();
  }
  HWND hwnd() const { return hwnd_; }

 protected:
  bool InitInstance() override {
    if (!window_.Create()) return false;
    m_pMainWnd = &window_;
    hwnd_ = window_.m_hWnd;
    return true;
  }

 private:
  LambdaWnd window_;
  HWND hwnd_ = nullptr;  // written before WaitForInit returns, read-only after
};

// Aborts the test program when a test has not finished in time, so that a
// deadlock shows as a clear failure instead of a hung run.
class Watchdog {
 public:
  explicit Watchdog(DWORD limitMs = 10000, std::string what = "test")
      : what_(std::move(what)), thread_([this, limitMs] {
          if (!done_.Wait(limitMs)) {
            std::fprintf(stderr, "watchdog: %s did not finish in %u ms\n", what_.c_str(), limitMs);
            std::abort();
          }
        }) {}
  ~Watchdog() {
    done_.Set();
    thread_.join();
  }

 private:
  std::string what_;
  platform::CEvent done_{platform::EventReset::kManual};
  std::thread thread_;
};

}  // namespace windowtest
