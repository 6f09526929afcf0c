// The table of windows behind the handles (internal to the window system).
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "platform/window/WindowTypes.h"

namespace platform::detail {

class ThreadQueue;

// Everything the window system keeps about one window. `handle`, `owner` and
// the class fields never change; the others are guarded by the table's lock.
struct WindowRecord {
  HWND handle = nullptr;
  std::string className;
  UINT classStyle = 0;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  UINT_PTR id = 0;
  RECT rect;
  HWND parent = nullptr;
  std::vector<HWND> children;
  std::string text;
  // The framework's window object; atomic, because every dispatched message reads it.
  std::atomic<void*> userData{nullptr};
  std::shared_ptr<ThreadQueue> owner;
  // Set (under the owner queue's lock) when destruction starts: from then on
  // posts fail and DestroyWindow is not repeated.
  std::atomic<bool> destroying{false};
};

// Allocates a handle for a new record.
HWND AddWindow(const std::shared_ptr<WindowRecord>& record);
// Invalidates a handle for good.
void RemoveWindow(HWND hwnd);
// The record of a live handle, or null for null, stale or unknown handles.
std::shared_ptr<WindowRecord> FindWindow(HWND hwnd);
// Handles of every live window owned by a queue, top-level ones first.
std::vector<HWND> WindowsOwnedBy(const ThreadQueue* owner);

// The table lock, for changing (LockTable) or reading (ReadLockTable) guarded
// fields of a record. Do not call the other functions here while holding it.
std::unique_lock<std::shared_mutex> LockTable();
std::shared_lock<std::shared_mutex> ReadLockTable();

// Registered classes.
bool AddClass(const WNDCLASS& windowClass);
bool RemoveClass(const std::string& name);
bool FindClass(const std::string& name, WNDCLASS* windowClass);

}  // namespace platform::detail
