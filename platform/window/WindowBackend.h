// The slot where a display backend joins the window system. The core keeps
// handles, messages and timers; a backend (headless for tests, X11 for users)
// learns about windows through this interface and gives them pixels and input
// by posting or sending ordinary messages to them. Without a backend windows
// are invisible message targets.
#pragma once

#include <string_view>

#include "platform/window/WindowTypes.h"

namespace platform {

// What a display backend is told about windows. Calls come on the thread that
// owns the window, after the core has updated its own records.
class IWindowBackend {
 public:
  virtual ~IWindowBackend() = default;
  // A window exists and has answered WM_CREATE.
  virtual void OnWindowCreated(HWND hwnd, const CREATESTRUCT& create) = 0;
  // A window has received WM_NCDESTROY; its handle becomes invalid next.
  virtual void OnWindowDestroyed(HWND hwnd) = 0;
  // A window's text changed.
  virtual void OnWindowTextChanged(HWND hwnd, std::string_view text) = 0;
};

// Installs the backend (null: none). Install it before the first window.
void SetWindowBackend(IWindowBackend* backend);
// The installed backend, or null.
IWindowBackend* GetWindowBackend();

}  // namespace platform
