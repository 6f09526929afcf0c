// The framework's window object: a C++ object attached to one window handle,
// whose virtual WindowProc routes each message through the class's message map
// and then to named handlers (OnCreate, OnDestroy, OnNcDestroy, OnTimer,
// OnClose). Painting, input and native controls join later as further entries
// of message maps and further handlers, without changes here.
#pragma once

#include <string>

#include "platform/window/MessageMap.h"
#include "platform/window/WindowTypes.h"

namespace platform {

// A window object; create the window with CreateEx, destroy it with DestroyWindow.
class CWnd {
 public:
  CWnd() = default;
  // Destroys a window that still exists. NOTE: the handlers of a derived class
  // are gone by then; derived classes that must see OnDestroy destroy their
  // window in their own destructor.
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The handle, or null when no window is attached.
  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }

  // Registers (once) and names a window class of the framework with the given
  // class style; its windows are routed to their CWnd objects.
  static const char* RegisterWndClass(UINT classStyle);
  // The window object attached to a handle, or null.
  static CWnd* FromHandlePermanent(HWND hwnd);

  // Creates the window and attaches it to this object; WM_CREATE reaches
  // OnCreate before it returns. The class must be one of RegisterWndClass.
  bool CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                HWND parent, UINT_PTR id, void* createParams = nullptr);
  // Destroys the window (and its children).
  bool DestroyWindow();
  // Whether the attached window still exists.
  bool IsWindow() const;

  bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs);
  bool KillTimer(UINT_PTR id);
  void SetWindowText(const std::string& text);
  std::string GetWindowText() const;
  // The parent's window object, or null.
  CWnd* GetParent() const;

  // Handles one message; the window procedure of the class calls it.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  // The class's message map; DECLARE_MESSAGE_MAP overrides it.
  virtual const MessageMap* GetMessageMap() const;
  static const MessageMap* GetThisMessageMap();

  // Routes a message to the message map and the named handlers; false when
  // none of them handles it.
  virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // Default processing of the current message by the window system.
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  // WM_CREATE: 0 to go on, -1 to refuse creation.
  virtual int OnCreate(CREATESTRUCT* create);
  // WM_DESTROY: the window still exists, its children too.
  virtual void OnDestroy();
  // WM_NCDESTROY, the last message: detaches the object, ends the thread's
  // loop when this is its main window, then calls PostNcDestroy.
  virtual void OnNcDestroy();
  // WM_TIMER.
  virtual void OnTimer(UINT_PTR id);
  // WM_CLOSE: destroys the window.
  virtual void OnClose();
  // After the window is gone; windows that own themselves delete themselves here.
  virtual void PostNcDestroy();

 private:
  friend LRESULT FrameworkWndProc(HWND, UINT, WPARAM, LPARAM);
};

// The window procedure of the framework's classes.
LRESULT FrameworkWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace platform
