// Window classes, creation, destruction and attributes.
#include "platform/window/Window.h"

#include <algorithm>
#include <cstring>

#include "platform/window/Messaging.h"
#include "platform/window/WindowBackend.h"
#include "platform/window/detail/ThreadQueue.h"
#include "platform/window/detail/WindowTable.h"

namespace platform {
namespace {

using detail::FindWindow;
using detail::WindowRecord;

// Unlinks a window from its parent and frees its handle, once its last message has gone.
void ForgetWindow(WindowRecord& record) {
  HWND parent;
  {
    auto lock = detail::ReadLockTable();
    parent = record.parent;
  }
  if (std::shared_ptr<WindowRecord> parentRecord = FindWindow(parent)) {
    auto lock = detail::LockTable();
    std::erase(parentRecord->children, record.handle);
  }
  detail::RemoveWindow(record.handle);
  record.owner->DropMessagesOf(record.handle);
}

bool OwnedByCallingThread(const WindowRecord& record) { return record.owner == detail::CurrentQueueIfAny(); }

}  // namespace

bool RegisterClass(const WNDCLASS& windowClass) { return detail::AddClass(windowClass); }

bool UnregisterClass(const char* className) { return className && detail::RemoveClass(className); }

bool GetClassInfo(const char* className, WNDCLASS* windowClass) {
  return className && detail::FindClass(className, windowClass);
}

HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, LONG x, LONG y,
                    LONG width, LONG height, HWND parent, UINT_PTR id, void* createParams) {
  WNDCLASS windowClass;
  if (!className || !detail::FindClass(className, &windowClass)) return nullptr;
  std::shared_ptr<detail::ThreadQueue> queue = detail::CurrentQueue();
  std::shared_ptr<WindowRecord> parentRecord = FindWindow(parent);
  if (parent && (!parentRecord || parentRecord->owner != queue || parentRecord->destroying)) return nullptr;

  auto record = std::make_shared<WindowRecord>();
  record->className = windowClass.lpszClassName;
  record->classStyle = windowClass.style;
  record->proc = windowClass.lpfnWndProc;
  record->style = style;
  record->exStyle = exStyle;
  record->id = id;
  record->rect = RECT{x, y, x + width, y + height};
  record->parent = parent;
  record->text = windowName ? windowName : "";
  record->owner = queue;
  HWND hwnd = detail::AddWindow(record);
  if (!hwnd) return nullptr;
  if (parentRecord) {
    auto lock = detail::LockTable();
    parentRecord->children.push_back(hwnd);
  }

  CREATESTRUCT create{.lpCreateParams = createParams,
                      .hwndParent = parent,
                      .id = id,
                      .x = x,
                      .y = y,
                      .cx = width,
                      .cy = height,
                      .style = style,
                      .exStyle = exStyle,
                      .lpszName = record->text.c_str(),
                      .lpszClass = record->className.c_str()};
  if (!record->proc(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
    queue->RefusePosts(record->destroying);
    record->proc(hwnd, WM_NCDESTROY, 0, 0);
    ForgetWindow(*record);
    return nullptr;
  }
  if (record->proc(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (IWindowBackend* backend = GetWindowBackend()) backend->OnWindowCreated(hwnd, create);
  return hwnd;
}

bool DestroyWindow(HWND hwnd) {
  std::shared_ptr<WindowRecord> record = FindWindow(hwnd);
  if (!record || !OwnedByCallingThread(*record)) return false;
  if (record->destroying) return true;  // already on its way (a handler destroyed it again)
  record->owner->RefusePosts(record->destroying);
  record->proc(hwnd, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  {
    auto lock = detail::ReadLockTable();
    children = record->children;
  }
  for (HWND child : children) DestroyWindow(child);
  record->owner->StopTimersOf(hwnd);
  record->proc(hwnd, WM_NCDESTROY, 0, 0);
  if (IWindowBackend* backend = GetWindowBackend()) backend->OnWindowDestroyed(hwnd);
  ForgetWindow(*record);
  return true;
}

bool IsWindow(HWND hwnd) { return FindWindow(hwnd) != nullptr; }

HWND GetParent(HWND hwnd) {
  std::shared_ptr<WindowRecord> record = FindWindow(hwnd);
  if (!record) return nullptr;
  auto lock = detail::ReadLockTable();
  return record->parent;
}

HWND GetTopLevelWindow(HWND hwnd) {
  if (!IsWindow(hwnd)) return nullptr;
  for (HWND parent = GetParent(hwnd); parent; parent = GetParent(hwnd)) hwnd = parent;
  return hwnd;
}

bool IsChildOrSelf(HWND ancestor, HWND hwnd) {
  if (!ancestor) return false;
  for (; hwnd; hwnd = GetParent(hwnd))
    if (hwnd == ancestor) return IsWindow(ancestor);
  return false;
}

bool SetWindowText(HWND hwnd, const std::string& text) {
  return IsWindow(hwnd) && SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) != 0;
}

std::string GetWindowText(HWND hwnd) {
  std::shared_ptr<WindowRecord> record = FindWindow(hwnd);
  if (!record) return {};
  auto lock = detail::ReadLockTable();
  return record->text;
}

LONG GetWindowLong(HWND hwnd, int index) {
  std::shared_ptr<WindowRecord> record = FindWindow(hwnd);
  if (!record) return 0;
  auto lock = detail::ReadLockTable();
  switch (index) {
    case GWL_STYLE:
      return static_cast<LONG>(record->style);
    case GWL_EXSTYLE:
      return static_cast<LONG>(record->exStyle);
    case GWL_ID:
      return static_cast<LONG>(record->id);
    default:
      return 0;
  }
}

UINT GetClassStyle(HWND hwnd) {
  std::shared_ptr<WindowRecord> record = FindWindow(hwnd);
  return record ? record->classStyle : 0;
}

std::string GetClassName(HWND hwnd) {
  std::shared_ptr<WindowRecord> record = FindWindow(hwnd);
  return record ? record->className : std::string();
}

bool GetWindowRect(HWND hwnd, RECT* rect) {
  std::shared_ptr<WindowRecord> record = FindWindow(hwnd);
  if (!record || !rect) return false;
  auto lock = detail::ReadLockTable();
  *rect = record->rect;
  return true;
}

DWORD GetWindowThreadId(HWND hwnd) {
  std::shared_ptr<WindowRecord> record = FindWindow(hwnd);
  return record ? record->owner->threadId : 0;
}

void* GetWindowUserData(HWND hwnd) {
  std::shared_ptr<WindowRecord> record = FindWindow(hwnd);
  return record ? record->userData.load(std::memory_order_acquire) : nullptr;
}

bool SetWindowUserData(HWND hwnd, void* data) {
  std::shared_ptr<WindowRecord> record = FindWindow(hwnd);
  if (!record) return false;
  record->userData.store(data, std::memory_order_release);
  return true;
}

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      return 1;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SETTEXT: {
      std::shared_ptr<WindowRecord> record = FindWindow(hwnd);
      if (!record) return 0;
      const char* text = reinterpret_cast<const char*>(lParam);
      std::string copy = text ? text : "";
      {
        auto lock = detail::LockTable();
        record->text = copy;
      }
      if (IWindowBackend* backend = GetWindowBackend()) backend->OnWindowTextChanged(hwnd, copy);
      return 1;
    }
    case WM_GETTEXT: {
      // wParam is the buffer size including the terminator; answers the characters copied.
      char* buffer = reinterpret_cast<char*>(lParam);
      if (!buffer || wParam == 0) return 0;
      std::string text = GetWindowText(hwnd);
      size_t count = std::min<size_t>(text.size(), wParam - 1);
      std::memcpy(buffer, text.data(), count);
      buffer[count] = '\0';
      return static_cast<LRESULT>(count);
    }
    default:
      return 0;
  }
}

}  // namespace platform
