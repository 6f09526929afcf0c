// The framework's window object and the window procedure of its classes.
#include "platform/window/Wnd.h"

#include <cstdio>
#include <mutex>
#include <set>

#include "platform/window/Messaging.h"
#include "platform/window/WinThread.h"
#include "platform/window/Window.h"

namespace platform {
namespace {

// The object whose window is being created on this thread; the first message
// of the new window (WM_NCCREATE) attaches the two.
thread_local CWnd* t_creating = nullptr;

const MessageMapEntry kNoEntries[] = {{0, nullptr}};
const MessageMap kWndMap = {nullptr, kNoEntries};

}  // namespace

LRESULT FrameworkWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = static_cast<CWnd*>(GetWindowUserData(hwnd));
  if (!wnd && message == WM_NCCREATE && t_creating) {
    wnd = t_creating;
    t_creating = nullptr;
    wnd->m_hWnd = hwnd;
    SetWindowUserData(hwnd, wnd);
  }
  if (!wnd) return platform::DefWindowProc(hwnd, message, wParam, lParam);
  return wnd->WindowProc(message, wParam, lParam);
}

CWnd::~CWnd() {
  if (!m_hWnd) return;
  HWND hwnd = m_hWnd;
  SetWindowUserData(hwnd, nullptr);
  m_hWnd = nullptr;
  platform::DestroyWindow(hwnd);
}

const char* CWnd::RegisterWndClass(UINT classStyle) {
  static std::mutex* lock = new std::mutex;
  static std::set<std::string>* names = new std::set<std::string>;
  char name[32];
  std::snprintf(name, sizeof name, "JqWnd:%x", classStyle);
  std::lock_guard guard(*lock);
  auto [it, added] = names->insert(name);
  if (added) {
    WNDCLASS windowClass;
    windowClass.style = classStyle;
    windowClass.lpfnWndProc = &FrameworkWndProc;
    windowClass.lpszClassName = it->c_str();
    platform::RegisterClass(windowClass);
  }
  return it->c_str();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) { return static_cast<CWnd*>(GetWindowUserData(hwnd)); }

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    const RECT& rect, HWND parent, UINT_PTR id, void* createParams) {
  WNDCLASS windowClass;
  if (m_hWnd || !GetClassInfo(className, &windowClass) || windowClass.lpfnWndProc != &FrameworkWndProc)
    return false;
  CWnd* outer = t_creating;
  t_creating = this;
  HWND hwnd = CreateWindowEx(exStyle, className, windowName, style, rect.left, rect.top,
                             rect.right - rect.left, rect.bottom - rect.top, parent, id, createParams);
  t_creating = outer;
  return hwnd != nullptr;
}

bool CWnd::DestroyWindow() { return m_hWnd && platform::DestroyWindow(m_hWnd); }

bool CWnd::IsWindow() const { return platform::IsWindow(m_hWnd); }

bool CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return m_hWnd && platform::PostMessage(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return m_hWnd ? platform::SendMessage(m_hWnd, message, wParam, lParam) : 0;
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs) { return platform::SetTimer(m_hWnd, id, elapseMs); }

bool CWnd::KillTimer(UINT_PTR id) { return platform::KillTimer(m_hWnd, id); }

void CWnd::SetWindowText(const std::string& text) { platform::SetWindowText(m_hWnd, text); }

std::string CWnd::GetWindowText() const { return platform::GetWindowText(m_hWnd); }

CWnd* CWnd::GetParent() const { return FromHandlePermanent(platform::GetParent(m_hWnd)); }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

const MessageMap* CWnd::GetMessageMap() const { return &kWndMap; }

const MessageMap* CWnd::GetThisMessageMap() { return &kWndMap; }

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (MessageHandler handler = FindMessageHandler(GetMessageMap(), message)) {
    *result = (this->*handler)(wParam, lParam);
    return true;
  }
  *result = 0;
  switch (message) {
    case WM_CREATE:
      *result = OnCreate(reinterpret_cast<CREATESTRUCT*>(lParam));
      return true;
    case WM_DESTROY:
      OnDestroy();
      return true;
    case WM_NCDESTROY:
      OnNcDestroy();
      return true;
    case WM_TIMER:
      OnTimer(wParam);
      return true;
    case WM_CLOSE:
      OnClose();
      return true;
    default:
      return false;
  }
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return platform::DefWindowProc(m_hWnd, message, wParam, lParam);
}

int CWnd::OnCreate(CREATESTRUCT*) { return 0; }

void CWnd::OnDestroy() {}

void CWnd::OnNcDestroy() {
  CWinThread* thread = CWinThread::GetCurrent();
  if (thread && thread->m_pMainWnd == this) {
    thread->m_pMainWnd = nullptr;
    PostQuitMessage(0);
  }
  SetWindowUserData(m_hWnd, nullptr);
  m_hWnd = nullptr;
  PostNcDestroy();
}

void CWnd::OnTimer(UINT_PTR) {}

void CWnd::OnClose() { DestroyWindow(); }

void CWnd::PostNcDestroy() {}

}  // namespace platform
