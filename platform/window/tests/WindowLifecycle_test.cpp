// Creation, destruction and handles of windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/window/Window.h"
#include "platform/window/tests/TestWindows.h"

namespace {

using windowtest::LambdaWnd;

// Records the life-cycle messages of a window under a name.
windowtest::Handler Recorder(std::vector<std::string>* log, std::string name) {
  return [log, name](platform::CWnd&, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_NCCREATE) log->push_back(name + ":nccreate");
    if (message == WM_CREATE) log->push_back(name + ":create");
    if (message == WM_DESTROY) log->push_back(name + ":destroy");
    if (message == WM_NCDESTROY) log->push_back(name + ":ncdestroy");
    return std::nullopt;
  };
}

TEST(WindowLifecycle, CreationSendsNcCreateThenCreateAndKeepsAttributes) {
  std::vector<std::string> log;
  LambdaWnd wnd(Recorder(&log, "w"));
  ASSERT_TRUE(wnd.CreateEx(0, platform::CWnd::RegisterWndClass(CS_DBLCLKS), "Name", WS_OVERLAPPEDWINDOW,
                           platform::RECT{1, 2, 31, 42}, nullptr, 0));
  EXPECT_EQ(log, (std::vector<std::string>{"w:nccreate", "w:create"}));
  EXPECT_EQ(platform::GetWindowText(wnd.m_hWnd), "Name");
  EXPECT_EQ(static_cast<DWORD>(platform::GetWindowLong(wnd.m_hWnd, GWL_STYLE)), 0x00CF0000u);
  EXPECT_EQ(platform::GetClassStyle(wnd.m_hWnd), 8u);
  EXPECT_EQ(platform::GetWindowThreadId(wnd.m_hWnd), platform::GetCurrentThreadId());
  EXPECT_EQ(platform::CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);
  platform::RECT rect;
  ASSERT_TRUE(platform::GetWindowRect(wnd.m_hWnd, &rect));
  EXPECT_EQ(rect.right, 31);
  EXPECT_EQ(rect.bottom, 42);
  wnd.SetWindowText("其他");
  EXPECT_EQ(wnd.GetWindowText(), "其他");
}

TEST(WindowLifecycle, DestroyRunsDestroyBeforeChildrenAndNcDestroyAfterThem) {
  std::vector<std::string> log;
  LambdaWnd parent(Recorder(&log, "p")), child(Recorder(&log, "c")), grandchild(Recorder(&log, "g"));
  ASSERT_TRUE(parent.Create());
  ASSERT_TRUE(child.Create(parent.m_hWnd));
  ASSERT_TRUE(grandchild.Create(child.m_hWnd));
  HWND p = parent.m_hWnd, c = child.m_hWnd, g = grandchild.m_hWnd;
  EXPECT_EQ(platform::GetParent(g), c);
  EXPECT_EQ(platform::GetTopLevelWindow(g), p);
  EXPECT_TRUE(platform::IsChildOrSelf(p, g));
  EXPECT_FALSE(platform::IsChildOrSelf(g, p));
  log.clear();

  ASSERT_TRUE(parent.DestroyWindow());

  EXPECT_EQ(log, (std::vector<std::string>{"p:destroy", "c:destroy", "g:destroy", "g:ncdestroy",
                                           "c:ncdestroy", "p:ncdestroy"}));
  for (HWND h : {p, c, g}) EXPECT_FALSE(platform::IsWindow(h));
  EXPECT_EQ(parent.m_hWnd, nullptr);
  EXPECT_EQ(grandchild.m_hWnd, nullptr);
}

TEST(WindowLifecycle, ChildrenStillExistWhileTheParentHandlesDestroy) {
  HWND childHandle = nullptr;
  bool childAliveInParentDestroy = false;
  LambdaWnd parent([&](platform::CWnd&, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_DESTROY) childAliveInParentDestroy = platform::IsWindow(childHandle);
    return std::nullopt;
  });
  LambdaWnd child;
  ASSERT_TRUE(parent.Create());
  ASSERT_TRUE(child.Create(parent.m_hWnd));
  childHandle = child.m_hWnd;
  parent.DestroyWindow();
  EXPECT_TRUE(childAliveInParentDestroy);
}

TEST(WindowLifecycle, RefusingCreationLeavesNoWindowButStillDestroys) {
  std::vector<std::string> log;
  auto record = Recorder(&log, "w");
  LambdaWnd wnd([&](platform::CWnd& self, UINT message, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
    record(self, message, w, l);
    if (message == WM_CREATE) return -1;
    return std::nullopt;
  });
  EXPECT_FALSE(wnd.Create());
  EXPECT_EQ(wnd.m_hWnd, nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"w:nccreate", "w:create", "w:destroy", "w:ncdestroy"}));
}

TEST(WindowLifecycle, StaleAndForgedHandlesAreNotWindows) {
  LambdaWnd first;
  ASSERT_TRUE(first.Create(nullptr, "first"));
  HWND stale = first.m_hWnd;
  first.DestroyWindow();
  // The freed slot is reused at once; the old handle must not name the new window.
  LambdaWnd second;
  ASSERT_TRUE(second.Create(nullptr, "second"));
  EXPECT_NE(second.m_hWnd, stale);
  EXPECT_TRUE(platform::IsWindow(second.m_hWnd));

  HWND forged = reinterpret_cast<HWND>(reinterpret_cast<std::uintptr_t>(second.m_hWnd) + 0x100000000ull);
  for (HWND h :
       {stale, forged, reinterpret_cast<HWND>(std::uintptr_t{0x7FFFFFFF}), static_cast<HWND>(nullptr)}) {
    SCOPED_TRACE(reinterpret_cast<std::uintptr_t>(h));
    EXPECT_FALSE(platform::IsWindow(h));
    EXPECT_FALSE(platform::PostMessage(h, WM_USER));
    EXPECT_EQ(platform::SendMessage(h, WM_USER), 0);
    EXPECT_EQ(platform::GetWindowText(h), "");
    EXPECT_EQ(platform::GetWindowThreadId(h), 0u);
    EXPECT_FALSE(platform::DestroyWindow(h));
  }
}

TEST(WindowLifecycle, ParentMustBeALiveWindowOfTheSameThread) {
  LambdaWnd gone;
  ASSERT_TRUE(gone.Create());
  HWND stale = gone.m_hWnd;
  gone.DestroyWindow();
  LambdaWnd orphan;
  EXPECT_FALSE(orphan.Create(stale));

  windowtest::WindowThread other({});
  LambdaWnd foreignChild;
  EXPECT_FALSE(foreignChild.Create(other.hwnd()));
  // Nor may another thread destroy the window.
  EXPECT_FALSE(platform::DestroyWindow(other.hwnd()));
  EXPECT_TRUE(platform::IsWindow(other.hwnd()));
}

TEST(WindowLifecycle, UnknownClassAndDuplicateRegistrationFail) {
  EXPECT_EQ(platform::CreateWindowEx(0, "NoSuchClass", "", 0, 0, 0, 0, 0, nullptr, 0, nullptr), nullptr);
  platform::WNDCLASS windowClass;
  windowClass.lpfnWndProc = &platform::DefWindowProc;
  windowClass.lpszClassName = "LifecycleTestClass";
  EXPECT_TRUE(platform::RegisterClass(windowClass));
  EXPECT_FALSE(platform::RegisterClass(windowClass));
  HWND plain = platform::CreateWindowEx(0, "LifecycleTestClass", "plain", 0, 0, 0, 0, 0, nullptr, 0, nullptr);
  ASSERT_NE(plain, nullptr);
  EXPECT_FALSE(platform::UnregisterClass("LifecycleTestClass"));  // still in use
  // WM_CLOSE on the default procedure destroys the window.
  platform::SendMessage(plain, WM_CLOSE);
  EXPECT_FALSE(platform::IsWindow(plain));
  EXPECT_TRUE(platform::UnregisterClass("LifecycleTestClass"));
}

}  // namespace
