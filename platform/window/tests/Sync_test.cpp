// Events, critical sections, interlocked counters and thread objects.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "platform/window/CriticalSection.h"
#include "platform/window/Interlocked.h"
#include "platform/window/Window.h"
#include "platform/window/tests/TestWindows.h"

namespace {

using platform::CEvent;
using platform::EventReset;
using windowtest::Watchdog;

TEST(Events, AutoResetReleasesOneWaitManualResetStays) {
  CEvent autoEvent(EventReset::kAuto, true), manualEvent(EventReset::kManual, true);
  EXPECT_TRUE(autoEvent.Wait(0));
  EXPECT_FALSE(autoEvent.Wait(0));
  EXPECT_TRUE(manualEvent.Wait(0));
  EXPECT_TRUE(manualEvent.Wait(0));
  manualEvent.Reset();
  EXPECT_FALSE(manualEvent.Wait(5));
}

TEST(Events, WaitForSeveralReportsTheSignalledOneAndConsumesOnlyIt) {
  CEvent a(EventReset::kAuto), b(EventReset::kAuto, true), c(EventReset::kAuto, true);
  EXPECT_EQ(platform::WaitForMultipleObjects({&a, &b, &c}, false, 0), WAIT_OBJECT_0 + 1);
  EXPECT_TRUE(c.IsSignaled());
  EXPECT_FALSE(b.IsSignaled());
  EXPECT_EQ(platform::WaitForMultipleObjects({&a, &c}, true, 0), WAIT_TIMEOUT);
  a.Set();
  EXPECT_EQ(platform::WaitForMultipleObjects({&a, &c}, true, 0), WAIT_OBJECT_0);
  EXPECT_FALSE(a.IsSignaled());
  EXPECT_FALSE(c.IsSignaled());
  EXPECT_EQ(platform::WaitForMultipleObjects({}, false, 0), WAIT_FAILED);
}

TEST(Events, ASetFromAnotherThreadWakesAWaiterWithoutLimit) {
  Watchdog watchdog;
  CEvent first(EventReset::kManual), second(EventReset::kAuto);
  std::thread setter([&] { second.Set(); });
  EXPECT_EQ(platform::WaitForMultipleObjects({&first, &second}, false, INFINITE), WAIT_OBJECT_0 + 1);
  setter.join();
}

TEST(CriticalSection, IsRecursiveAndExcludesOtherThreads) {
  platform::CCriticalSection lock;
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 20000; ++i) {
      std::lock_guard outer(lock);
      std::lock_guard inner(lock);  // the owner may take it again
      ++counter;
    }
  };
  std::thread other(work);
  work();
  other.join();
  EXPECT_EQ(counter, 40000);
}

TEST(Interlocked, CountsFromSeveralThreadsAndReturnsTheNewValue) {
  std::atomic<LONG> count{1};
  EXPECT_EQ(platform::InterlockedIncrement(count), 2);
  EXPECT_EQ(platform::InterlockedDecrement(count), 1);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) {
        platform::InterlockedIncrement(count);
        platform::InterlockedDecrement(count);
      }
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(count.load(), 1);
  EXPECT_EQ(platform::InterlockedExchange(count, 9), 1);
}

TEST(WinThread, FailedInitialisationEndsTheThreadThroughExitInstance) {
  Watchdog watchdog;
  struct Failing : platform::CWinThread {
    std::atomic<bool> exited{false};
    bool InitInstance() override { return false; }
    int ExitInstance(int code) override {
      exited = true;
      return code;
    }
  } thread;
  ASSERT_TRUE(thread.CreateThread());
  EXPECT_FALSE(thread.WaitForInit());
  EXPECT_TRUE(thread.WaitForExit());
  EXPECT_TRUE(thread.exited.load());
  EXPECT_EQ(thread.ExitCode(), -1);
  EXPECT_FALSE(thread.CreateThread());  // a thread object runs once
}

TEST(WinThread, DestroyingTheMainWindowEndsTheLoopWithCodeZero) {
  Watchdog watchdog;
  windowtest::WindowThread thread({});
  EXPECT_NE(thread.ThreadId(), platform::GetCurrentThreadId());
  EXPECT_EQ(platform::GetWindowThreadId(thread.hwnd()), thread.ThreadId());
  ASSERT_TRUE(platform::PostMessage(thread.hwnd(), WM_CLOSE));
  EXPECT_TRUE(thread.WaitForExit());
  EXPECT_EQ(thread.ExitCode(), 0);
  EXPECT_FALSE(platform::IsWindow(thread.hwnd()));
}

TEST(WinThread, WindowsLeftBehindAreDestroyedOnTheirThreadWhenItEnds) {
  Watchdog watchdog;
  std::atomic<DWORD> destroyedOn{0};
  DWORD ownerThread = 0;
  HWND leftover = nullptr;
  std::unique_ptr<windowtest::LambdaWnd> kept;
  {
    std::thread plain([&] {
      kept = std::make_unique<windowtest::LambdaWnd>(
          [&](platform::CWnd&, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (message == WM_DESTROY) destroyedOn = platform::GetCurrentThreadId();
            return std::nullopt;
          });
      kept->Create();
      leftover = kept->m_hWnd;
      ownerThread = platform::GetCurrentThreadId();
      // The thread ends with its window still there; the window must still
      // get WM_DESTROY, on this thread, as the thread ends.
    });
    plain.join();
  }
  EXPECT_EQ(destroyedOn.load(), ownerThread);
  EXPECT_FALSE(platform::IsWindow(leftover));
}

}  // namespace
