// Timers, message loops with idle hooks, nested modal loops and the clock.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/window/TickClock.h"
#include "platform/window/Window.h"
#include "platform/window/tests/TestWindows.h"

namespace {

using windowtest::LambdaWnd;
using windowtest::Watchdog;

constexpr UINT_PTR kTick = 1;
constexpr UINT_PTR kOther = 2;
constexpr UINT kEnter = WM_USER + 10;
constexpr UINT kLeave = WM_USER + 11;

TEST(Timers, FireRepeatedlyUntilKilledAndOnlyForTheirWindow) {
  Watchdog watchdog;
  std::vector<UINT_PTR> fired;
  LambdaWnd quiet;
  ASSERT_TRUE(quiet.Create());
  LambdaWnd wnd([&](platform::CWnd& self, UINT message, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (message != WM_TIMER) return std::nullopt;
    fired.push_back(w);
    if (fired.size() == 3) {
      self.KillTimer(kTick);
      self.SetTimer(kOther, 10);
    }
    if (w == kOther) platform::PostQuitMessage(7);
    return 0;
  });
  ASSERT_TRUE(wnd.Create());
  EXPECT_EQ(wnd.SetTimer(kTick, 10), kTick);
  EXPECT_EQ(platform::RunMessageLoop(), 7);
  EXPECT_EQ(fired, (std::vector<UINT_PTR>{kTick, kTick, kTick, kOther}));
  EXPECT_FALSE(wnd.KillTimer(kTick));
  EXPECT_TRUE(wnd.KillTimer(kOther));
}

TEST(Timers, TimersOfAnotherThreadsWindowOrOfADestroyedWindowAreRefused) {
  windowtest::WindowThread other({});
  EXPECT_EQ(platform::SetTimer(other.hwnd(), kTick, 10), 0u);
  LambdaWnd gone;
  ASSERT_TRUE(gone.Create());
  HWND stale = gone.m_hWnd;
  ASSERT_EQ(gone.SetTimer(kTick, 10), kTick);
  gone.DestroyWindow();
  EXPECT_EQ(platform::SetTimer(stale, kTick, 10), 0u);
  EXPECT_FALSE(platform::KillTimer(stale, kTick));
}

std::atomic<std::uint64_t> g_fakeNow{1000};
std::uint64_t FakeNow() { return g_fakeNow.load(); }

TEST(Timers, FollowAReplacedClock) {
  // A timer of one (fake) minute fires only when that clock has moved on; the
  // clock is moved from another thread, which wakes the waiting loop.
  Watchdog watchdog;
  g_fakeNow = 1000;
  platform::SetTickSource(&FakeNow);
  std::atomic<bool> fired{false};
  LambdaWnd wnd([&](platform::CWnd&, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message != WM_TIMER) return std::nullopt;
    fired = platform::GetTickCount64() >= 61000;
    platform::PostQuitMessage(0);
    return 0;
  });
  ASSERT_TRUE(wnd.Create());
  wnd.SetTimer(kTick, 60000);
  std::thread mover([] {
    g_fakeNow = 30000;
    platform::NotifyTickSourceAdvanced();
    g_fakeNow = 61000;
    platform::NotifyTickSourceAdvanced();
  });
  platform::RunMessageLoop();
  mover.join();
  platform::SetTickSource(nullptr);
  EXPECT_TRUE(fired.load());
}

TEST(MessageLoop, IdleHookRunsWhenTheQueueIsEmptyAndPreTranslateCanConsume) {
  Watchdog watchdog;
  std::vector<std::string> log;
  LambdaWnd wnd([&](platform::CWnd&, UINT message, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (message == kEnter) log.push_back("dispatch " + std::to_string(w));
    return std::nullopt;
  });
  ASSERT_TRUE(wnd.Create());
  wnd.PostMessage(kEnter, 1);
  wnd.PostMessage(kEnter, 2);
  platform::MessageLoopHooks hooks;
  hooks.preTranslate = [&](platform::MSG& msg) { return msg.message == kEnter && msg.wParam == 2; };
  hooks.onIdle = [&](long count) {
    log.push_back("idle " + std::to_string(count));
    if (count == 1) platform::PostQuitMessage(3);
    return count < 1;
  };
  EXPECT_EQ(platform::RunMessageLoop(hooks), 3);
  EXPECT_EQ(log, (std::vector<std::string>{"dispatch 1", "idle 0", "idle 1"}));
}

TEST(ModalLoop, NestedLoopsEndInnerFirstAndReturnToTheirCaller) {
  Watchdog watchdog;
  std::vector<std::string> log;
  bool outerRunning = false, innerRunning = false;
  LambdaWnd wnd([&](platform::CWnd& self, UINT message, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (message == kEnter && w == 1) {
      outerRunning = true;
      log.push_back("outer begins");
      self.PostMessage(kEnter, 2);
      bool ended = platform::RunModalLoop([&] { return outerRunning; });
      log.push_back(ended ? "outer ended" : "outer quit");
      platform::PostQuitMessage(0);
    } else if (message == kEnter && w == 2) {
      innerRunning = true;
      log.push_back("inner begins");
      self.PostMessage(kLeave, 2);
      self.PostMessage(kLeave, 1);
      bool ended = platform::RunModalLoop([&] { return innerRunning; });
      log.push_back(ended ? "inner ended" : "inner quit");
    } else if (message == kLeave) {
      (w == 2 ? innerRunning : outerRunning) = false;
      log.push_back("leave " + std::to_string(w));
    } else {
      return std::nullopt;
    }
    return 0;
  });
  ASSERT_TRUE(wnd.Create());
  wnd.PostMessage(kEnter, 1);
  platform::RunMessageLoop();
  // The inner loop ends right after "leave 2"; "leave 1" is handled by the outer loop.
  EXPECT_EQ(log, (std::vector<std::string>{"outer begins", "inner begins", "leave 2", "inner ended",
                                           "leave 1", "outer ended"}));
}

TEST(ModalLoop, QuitEndsTheModalLoopAndIsPassedOnToTheOuterLoop) {
  Watchdog watchdog;
  bool modalResult = true;
  LambdaWnd wnd([&](platform::CWnd&, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message != kEnter) return std::nullopt;
    platform::PostQuitMessage(5);
    modalResult = platform::RunModalLoop([] { return true; });
    return 0;
  });
  ASSERT_TRUE(wnd.Create());
  wnd.PostMessage(kEnter);
  EXPECT_EQ(platform::RunMessageLoop(), 5);
  EXPECT_FALSE(modalResult);
}

}  // namespace
