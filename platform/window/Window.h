// Windows: classes, creation and destruction, handles and their attributes.
// A window belongs to the thread that created it; creation, destruction and
// timers happen on that thread, while handle queries work from any thread.
#pragma once

#include <string>

#include "platform/window/WindowTypes.h"

namespace platform {

// Registers a window class by name; false when the name is taken or empty.
bool RegisterClass(const WNDCLASS& windowClass);
// Removes a class that no window uses any more.
bool UnregisterClass(const char* className);
// Whether a class of that name is registered; fills *windowClass when given.
bool GetClassInfo(const char* className, WNDCLASS* windowClass);

// Creates a window of a registered class on the calling thread. WM_NCCREATE and
// WM_CREATE are sent before it returns; a window that answers WM_NCCREATE with
// 0 or WM_CREATE with -1 is destroyed again and the result is null. A parent
// must be a window of the calling thread.
HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, LONG x, LONG y,
                    LONG width, LONG height, HWND parent, UINT_PTR id, void* createParams);

// Destroys a window and its children: WM_DESTROY goes to the window, then each
// child is destroyed the same way, then WM_NCDESTROY goes to the window; the
// handle is invalid afterwards. Posts to the window fail from the moment
// destruction starts. Only the owning thread may destroy a window.
bool DestroyWindow(HWND hwnd);

// Whether the handle names a window that exists (stale handles never do).
bool IsWindow(HWND hwnd);
// The parent window, or null for a top-level window.
HWND GetParent(HWND hwnd);
// The top-level window at the end of the parent chain (the window itself when top-level).
HWND GetTopLevelWindow(HWND hwnd);
// Whether `ancestor` is `hwnd` or one of its parents.
bool IsChildOrSelf(HWND ancestor, HWND hwnd);

// Window text.
bool SetWindowText(HWND hwnd, const std::string& text);
std::string GetWindowText(HWND hwnd);

// Style, extended style or child id (GWL_STYLE, GWL_EXSTYLE, GWL_ID); 0 for no window.
LONG GetWindowLong(HWND hwnd, int index);
// The class style and class name of a window's class.
UINT GetClassStyle(HWND hwnd);
std::string GetClassName(HWND hwnd);
// The rectangle the window was created with (screen or parent coordinates).
bool GetWindowRect(HWND hwnd, RECT* rect);

// The thread that owns the window (0 for no window).
DWORD GetWindowThreadId(HWND hwnd);

// A pointer the owner keeps with the window (the framework's window object).
void* GetWindowUserData(HWND hwnd);
bool SetWindowUserData(HWND hwnd, void* data);

// Default processing: WM_NCCREATE answers 1, WM_CLOSE destroys the window,
// WM_SETTEXT and WM_GETTEXT work on the window text, the rest answers 0.
LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace platform
