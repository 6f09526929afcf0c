// Posted and sent messages between threads, ownership of message payloads,
// and sends that must return instead of hanging.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "platform/window/Window.h"
#include "platform/window/detail/ThreadQueue.h"
#include "platform/window/tests/TestWindows.h"

namespace {

using windowtest::LambdaWnd;
using windowtest::Watchdog;
using windowtest::WindowThread;

constexpr UINT kJob = WM_USER + 1;
constexpr UINT kAsk = WM_USER + 2;
constexpr UINT kReady = WM_USER + 3;

// A heap record carried by a posted message; counts how often it is freed.
struct Payload {
  explicit Payload(std::atomic<int>* frees) : frees(frees) {}
  ~Payload() { frees->fetch_add(1); }
  std::atomic<int>* frees;
};

// Posts a payload the way product code must: ownership passes on success,
// the sender frees it when the post fails.
bool PostPayload(HWND hwnd, std::atomic<int>* frees) {
  auto* payload = new Payload(frees);
  if (platform::PostMessage(hwnd, kJob, 0, reinterpret_cast<LPARAM>(payload))) return true;
  delete payload;
  return false;
}

TEST(Messaging, PostToADestroyedWindowFailsAndThePayloadIsFreedOnce) {
  std::atomic<int> frees{0};
  HWND stale;
  {
    WindowThread receiver({});
    stale = receiver.hwnd();
  }
  EXPECT_FALSE(PostPayload(stale, &frees));
  EXPECT_EQ(frees.load(), 1);
}

TEST(Messaging, PayloadsQueuedForAWindowAreReclaimedWhenItIsDestroyed) {
  // The receiver frees what it handles, and on destruction drains what is
  // still queued for it; a post after destruction started fails. Every
  // payload is freed exactly once whatever the interleaving.
  Watchdog watchdog;
  std::atomic<int> frees{0};
  platform::CEvent destroyNow(platform::EventReset::kManual);
  auto freeJob = [](LPARAM l) { delete reinterpret_cast<Payload*>(l); };
  int posted = 0;
  {
    WindowThread receiver(
        [&](platform::CWnd& self, UINT message, WPARAM, LPARAM l) -> std::optional<LRESULT> {
          if (message == kJob) {
            freeJob(l);
            if (destroyNow.IsSignaled()) self.DestroyWindow();
            return 0;
          }
          if (message == WM_DESTROY) {
            platform::MSG msg;
            while (platform::PeekMessage(&msg, self.m_hWnd, kJob, kJob, PM_REMOVE)) freeJob(msg.lParam);
          }
          return std::nullopt;
        });
    for (int i = 0; i < 2000; ++i) {
      if (i == 1000) destroyNow.Set();
      if (PostPayload(receiver.hwnd(), &frees)) ++posted;
    }
    receiver.WaitForExit();
  }
  EXPECT_GE(posted, 1000);
  EXPECT_EQ(frees.load(), 2000);
}

TEST(Messaging, PostedMessagesArriveInOrderOnTheOwnerThread) {
  Watchdog watchdog;
  std::vector<WPARAM> received;
  std::atomic<bool> wrongThread{false};
  platform::CEvent done(platform::EventReset::kManual);
  DWORD owner = 0;
  WindowThread receiver([&](platform::CWnd& self, UINT message, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (message != kJob) return std::nullopt;
    if (platform::GetCurrentThreadId() != platform::GetWindowThreadId(self.m_hWnd)) wrongThread = true;
    received.push_back(w);
    if (w == 499) done.Set();
    return 0;
  });
  owner = platform::GetWindowThreadId(receiver.hwnd());
  EXPECT_NE(owner, platform::GetCurrentThreadId());
  for (WPARAM i = 0; i < 500; ++i) ASSERT_TRUE(platform::PostMessage(receiver.hwnd(), kJob, i));
  done.Wait();
  std::vector<WPARAM> expected(500);
  for (WPARAM i = 0; i < 500; ++i) expected[i] = i;
  EXPECT_EQ(received, expected);
  EXPECT_FALSE(wrongThread.load());
}

TEST(Messaging, CrossThreadSendReturnsTheReceiversResultFromItsThread) {
  Watchdog watchdog;
  WindowThread receiver([](platform::CWnd& self, UINT message, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
    if (message != kAsk) return std::nullopt;
    bool onOwner = platform::GetCurrentThreadId() == platform::GetWindowThreadId(self.m_hWnd);
    return onOwner ? static_cast<LRESULT>(w) * 1000 + l : -1;
  });
  EXPECT_EQ(platform::SendMessage(receiver.hwnd(), kAsk, 7, 5), 7005);
  EXPECT_EQ(platform::SendMessage(receiver.hwnd(), kAsk, 0, -3), -3);
}

TEST(Messaging, SendToAThreadThatSendsBackDoesNotDeadlock) {
  // A sends to B; B's handler sends to A while A waits; A answers it from its wait.
  Watchdog watchdog;
  LambdaWnd a([](platform::CWnd&, UINT message, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (message == kAsk) return static_cast<LRESULT>(w) + 1;
    return std::nullopt;
  });
  ASSERT_TRUE(a.Create());
  HWND aHandle = a.m_hWnd;
  WindowThread b([aHandle](platform::CWnd&, UINT message, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (message == kAsk) return platform::SendMessage(aHandle, kAsk, w * 10) * 100;
    return std::nullopt;
  });
  EXPECT_EQ(platform::SendMessage(b.hwnd(), kAsk, 4), 4100);
}

TEST(Messaging, AThreadWaitingInASendHandlesSendsButNotPosts) {
  Watchdog watchdog;
  bool postHandledDuringSend = false, inSend = false;
  LambdaWnd a([&](platform::CWnd&, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kJob) postHandledDuringSend = inSend;
    if (message == kReady) return 1;
    return std::nullopt;
  });
  ASSERT_TRUE(a.Create());
  HWND aHandle = a.m_hWnd;
  WindowThread b([aHandle](platform::CWnd&, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message != kAsk) return std::nullopt;
    platform::PostMessage(aHandle, kJob);
    return platform::SendMessage(aHandle, kReady) + 1;
  });
  inSend = true;
  EXPECT_EQ(platform::SendMessage(b.hwnd(), kAsk), 2);
  inSend = false;
  platform::MSG msg;
  ASSERT_TRUE(platform::PeekMessage(&msg, aHandle, kJob, kJob));
  platform::DispatchMessage(msg);
  EXPECT_FALSE(postHandledDuringSend);
}

TEST(Messaging, SendToAWindowOfAnEndedThreadAnswersZero) {
  Watchdog watchdog;
  HWND stale;
  {
    WindowThread receiver([](platform::CWnd&, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message == kAsk) return 5;
      return std::nullopt;
    });
    ASSERT_EQ(platform::SendMessage(receiver.hwnd(), kAsk), 5);
    stale = receiver.hwnd();
  }
  EXPECT_EQ(platform::SendMessage(stale, kAsk), 0);
}

TEST(Messaging, SendToAWindowDestroyedWhileTheSenderWaitsAnswersZero) {
  // The receiver is busy with a posted job and does not pump; once our send
  // waits in its queue the job destroys the window. Our send must come back
  // with 0 rather than reach a handler or hang.
  Watchdog watchdog;
  platform::CEvent inJob(platform::EventReset::kManual), sendQueued(platform::EventReset::kManual);
  std::atomic<bool> askHandled{false};
  WindowThread receiver([&](platform::CWnd& self, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kAsk) {
      askHandled = true;
      return 9;
    }
    if (message != kJob) return std::nullopt;
    inJob.Set();
    sendQueued.Wait();
    self.DestroyWindow();
    return 0;
  });
  std::thread releaser([&] {
    std::shared_ptr<platform::detail::ThreadQueue> queue = platform::detail::FindQueue(receiver.ThreadId());
    while (queue && !queue->HasPendingSends()) std::this_thread::yield();
    sendQueued.Set();
  });
  ASSERT_TRUE(platform::PostMessage(receiver.hwnd(), kJob));
  inJob.Wait();
  EXPECT_EQ(platform::SendMessage(receiver.hwnd(), kAsk), 0);
  releaser.join();
  EXPECT_FALSE(askHandled.load());
  EXPECT_TRUE(receiver.WaitForExit(10000));
}

TEST(Messaging, ThreadMessagesAndQuitReachTheThread) {
  Watchdog watchdog;
  struct Collector : platform::CWinThread {
    std::vector<UINT> seen;
    void OnThreadMessage(const platform::MSG& msg) override {
      seen.push_back(msg.message);
      if (msg.message == kReady) platform::PostQuitMessage(static_cast<int>(msg.wParam));
    }
  } thread;
  ASSERT_TRUE(thread.CreateThread(THREAD_PRIORITY_BELOW_NORMAL));
  ASSERT_TRUE(thread.PostThreadMessage(kJob));
  ASSERT_TRUE(thread.PostThreadMessage(kReady, 42));
  ASSERT_TRUE(thread.WaitForExit());
  EXPECT_EQ(thread.ExitCode(), 42);
  EXPECT_EQ(thread.seen, (std::vector<UINT>{kJob, kReady}));
  // The thread has no queue any more.
  EXPECT_FALSE(thread.PostThreadMessage(kJob));
}

TEST(Messaging, PeekFiltersByWindowAndRangeAndLeavesTheRest) {
  LambdaWnd one, two;
  ASSERT_TRUE(one.Create());
  ASSERT_TRUE(two.Create());
  platform::PostMessage(one.m_hWnd, kJob, 1);
  platform::PostMessage(two.m_hWnd, kJob, 2);
  platform::PostMessage(one.m_hWnd, kAsk, 3);
  platform::MSG msg;
  ASSERT_TRUE(platform::PeekMessage(&msg, two.m_hWnd, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.wParam, 2u);
  ASSERT_TRUE(platform::PeekMessage(&msg, one.m_hWnd, kAsk, kAsk));
  EXPECT_EQ(msg.wParam, 3u);
  ASSERT_TRUE(platform::PeekMessage(&msg));
  EXPECT_EQ(msg.wParam, 1u);
  ASSERT_TRUE(platform::PeekMessage(&msg));
  EXPECT_EQ(msg.wParam, 2u);
  EXPECT_FALSE(platform::PeekMessage(&msg));
}

}  // namespace
