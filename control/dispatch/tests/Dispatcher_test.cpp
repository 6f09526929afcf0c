// The background task dispatcher and its worker, on real threads with real
// message loops: start-up, hand-over order, clearing, cancelling, stopping
// while busy, and the release of every job reference exactly once.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control/dispatch/IUpdateCheck.h"
#include "control/dispatch/TaskDispatchThread.h"
#include "control/dispatch/WorkThread4ImageItem.h"
#include "control/dispatch/tests/DispatchFixtures.h"
#include "platform/window/detail/ThreadQueue.h"

namespace {

using namespace dispatchtest;

// Counts update checks and the thread they ran on.
class CountingUpdateCheck : public IUpdateCheck {
 public:
  bool RunUpdateCheck(CWorkWndInvisible& worker) override {
    ++runs;
    ranOnWorker = platform::GetCurrentThreadId() == platform::GetWindowThreadId(worker.m_hWnd);
    taskWndKnown = worker.TaskWnd() != nullptr;
    ran.Set();
    return true;
  }
  std::atomic<int> runs{0};
  std::atomic<bool> ranOnWorker{false}, taskWndKnown{false};
  platform::CEvent ran{platform::EventReset::kManual};
};

// A dispatcher whose loop can be held, so that a batch of pushes is queued
// behind the hold and handled in one go, and which tells when a marker
// posted after them has come through.
class HoldableDispatcher : public CTaskDispatchThread {
 public:
  static constexpr UINT kHold = WM_USER + 70;
  static constexpr UINT kMarker = WM_USER + 71;
  using CTaskDispatchThread::CTaskDispatchThread;
  platform::CEvent held{platform::EventReset::kManual}, release{platform::EventReset::kManual};
  platform::CEvent markerSeen{platform::EventReset::kManual};

 protected:
  bool PreTranslateMessage(platform::MSG& msg) override {
    if (msg.message == kHold) {
      held.Set();
      release.Wait();
      return true;
    }
    if (msg.message == kMarker) {
      markerSeen.Set();
      return true;
    }
    return CTaskDispatchThread::PreTranslateMessage(msg);
  }
};

class DispatcherTest : public ::testing::Test {
 protected:
  // Queues a thumbnail request as a picture list does: one reference for the job.
  void RequestThumbnail(CountingItem* item) {
    item->AddRef();
    if (!platform::PostMessage(dispatcher->DispatchWnd(), WM_TASK_THUMBNAIL_PUSH,
                               reinterpret_cast<WPARAM>(replies.m_hWnd), reinterpret_cast<LPARAM>(item)))
      item->Release();
  }
  // Queues an upload job as the upload driver does: its reference passes to the queue.
  void QueueUpload(CountingJob* job) {
    if (!platform::PostMessage(dispatcher->DispatchWnd(), WM_TASK_UPLOAD_PUSH,
                               reinterpret_cast<WPARAM>(replies.m_hWnd), reinterpret_cast<LPARAM>(job)))
      job->Release();
  }
  CountingItem* NewItem(const std::string& name, bool hasThumbnail = false, bool makes = true) {
    items.push_back(new CountingItem(journal, name, hasThumbnail, makes));
    return items.back();
  }
  // Drops the view's own references (the ones the items were created with).
  void ReleaseViewReferences() {
    for (CountingItem* item : items) item->Release();
    items.clear();
  }
  bool Noted(const std::string& line) { return journal.Count(line) > 0; }
  // Posts a batch while the dispatcher is held, so that the whole batch is
  // handled in one go (as when a list queues many pictures at once), and
  // returns once it has been handled.
  void PostBatch(const std::function<void()>& post) {
    HWND task = dispatcher->DispatchWnd();
    holdable->held.Reset();
    holdable->markerSeen.Reset();
    ASSERT_TRUE(platform::PostMessage(task, HoldableDispatcher::kHold));
    ASSERT_TRUE(holdable->held.Wait(10000));
    post();
    holdable->release.Set();
    ASSERT_TRUE(platform::PostMessage(task, HoldableDispatcher::kMarker));
    ASSERT_TRUE(holdable->markerSeen.Wait(10000));
    holdable->release.Reset();
  }
  void StopDispatcher() {
    dispatcher->Stop();
    EXPECT_EQ(dispatcher->DispatchWnd(), nullptr);
  }

  Watchdog watchdog;
  Journal journal{platform::GetCurrentThreadId()};
  ReplyWnd replies{journal};
  CountingUpdateCheck updateCheck;
  ScriptedUploads uploads{journal};
  HoldableDispatcher* holdable = new HoldableDispatcher(&uploads, &updateCheck);
  std::unique_ptr<CTaskDispatchThread> dispatcher{holdable};
  std::vector<CountingItem*> items;
};

TEST_F(DispatcherTest, StartsBothWindowsIntroducesThemAndRunsOneUpdateCheck) {
  ASSERT_TRUE(dispatcher->Start());
  HWND task = dispatcher->DispatchWnd();
  HWND work = dispatcher->WorkThread()->MainWndHandle();
  ASSERT_NE(task, nullptr);
  ASSERT_NE(work, nullptr);
  for (auto [hwnd, name] : {std::pair{task, "TaskWndInvisible"}, std::pair{work, "WorkWndInvisible"}}) {
    EXPECT_EQ(platform::GetWindowText(hwnd), name);
    EXPECT_EQ(static_cast<DWORD>(platform::GetWindowLong(hwnd, GWL_STYLE)), 0x00CF0000u);
    EXPECT_EQ(platform::GetClassStyle(hwnd), 8u);
    EXPECT_EQ(platform::GetParent(hwnd), nullptr);
  }
  EXPECT_NE(platform::GetWindowThreadId(task), platform::GetWindowThreadId(work));
  EXPECT_NE(platform::GetWindowThreadId(task), platform::GetCurrentThreadId());
  ASSERT_TRUE(updateCheck.ran.Wait(10000));
  EXPECT_TRUE(updateCheck.ranOnWorker.load());
  EXPECT_TRUE(updateCheck.taskWndKnown.load());

  StopDispatcher();
  EXPECT_FALSE(platform::IsWindow(task));
  EXPECT_FALSE(platform::IsWindow(work));
  EXPECT_TRUE(dispatcher->WaitForExit(0));
  EXPECT_EQ(updateCheck.runs.load(), 1);
}

TEST_F(DispatcherTest, ThumbnailsAreMadeInArrivalOrderAndEveryReferenceIsReleasedOnce) {
  ASSERT_TRUE(dispatcher->Start());
  RequestThumbnail(NewItem("a"));
  RequestThumbnail(NewItem("b", false, /*makes=*/false));
  RequestThumbnail(NewItem("c", /*hasThumbnail=*/true));
  RequestThumbnail(NewItem("d"));
  ReleaseViewReferences();
  PumpUntil([&] { return Noted("delete a") && Noted("delete b") && Noted("delete c") && Noted("delete d"); });

  std::vector<std::string> makes, replies_;
  for (const std::string& line : journal.Lines()) {
    if (line.rfind("make ", 0) == 0) makes.push_back(line);
    if (line.rfind("made ", 0) == 0 || line.rfind("failed ", 0) == 0) replies_.push_back(line);
  }
  // An item that already has a thumbnail is neither made nor reported.
  EXPECT_EQ(makes, (std::vector<std::string>{"make a", "make b", "make d"}));
  EXPECT_EQ(replies_, (std::vector<std::string>{"made a", "failed b", "made d"}));
  StopDispatcher();
  EXPECT_EQ(journal.Count("unbalanced a") + journal.Count("unbalanced b") + journal.Count("unbalanced c") +
                journal.Count("unbalanced d"),
            0u);
}

TEST_F(DispatcherTest, ClearWhileAThumbnailIsBeingMadeDropsTheQueueButTheRunningJobReports) {
  ASSERT_TRUE(dispatcher->Start());
  platform::CEvent gate(platform::EventReset::kManual);
  CountingItem* running = NewItem("running");
  running->gate = &gate;
  RequestThumbnail(running);
  ASSERT_TRUE(running->started.Wait(10000));
  // The worker is busy and the batch is handled in one go: the pushes wait in
  // the dispatcher's queue (the pull the first one posts comes after the clear).
  PostBatch([&] {
    for (const char* name : {"w1", "w2", "w3"}) RequestThumbnail(NewItem(name));
    platform::PostMessage(dispatcher->DispatchWnd(), WM_TASK_THUMBNAIL_CLEAR);
  });
  ReleaseViewReferences();
  PumpUntil([&] { return Noted("delete w2") && Noted("delete w3"); });
  gate.Set();
  PumpUntil([&] { return Noted("delete running") && Noted("delete w1"); });

  EXPECT_TRUE(Noted("made running"));
  EXPECT_FALSE(Noted("make w1"));
  EXPECT_FALSE(Noted("make w2"));
  EXPECT_FALSE(Noted("make w3"));
  StopDispatcher();
  for (const char* name : {"running", "w1", "w2", "w3"})
    EXPECT_FALSE(Noted(std::string("unbalanced ") + name));
}

TEST_F(DispatcherTest, StopWhileTheWorkerIsBusyWaitsForItAndReleasesEveryJob) {
  ASSERT_TRUE(dispatcher->Start());
  platform::CEvent gate(platform::EventReset::kManual);
  CountingItem* running = NewItem("running");
  running->gate = &gate;
  RequestThumbnail(running);
  ASSERT_TRUE(running->started.Wait(10000));
  for (const char* name : {"q1", "q2", "q3"}) RequestThumbnail(NewItem(name));
  for (const char* name : {"u1", "u2"}) QueueUpload(new CountingJob(journal, name));
  ReleaseViewReferences();

  // The stop reaches the worker only when it is back in its loop: the gate
  // opens once the dispatcher's sent 0x8201 waits in the worker's queue.
  HWND work = dispatcher->WorkThread()->MainWndHandle();
  std::thread opener([&] {
    auto queue = platform::detail::FindQueue(platform::GetWindowThreadId(work));
    while (queue && !queue->HasPendingSends()) std::this_thread::yield();
    gate.Set();
  });
  ASSERT_EQ(platform::SendMessage(dispatcher->DispatchWnd(), WM_TASK_STOP), 0);
  opener.join();
  EXPECT_FALSE(platform::IsWindow(work));
  ASSERT_TRUE(dispatcher->WaitForExit(10000));

  PumpUntil([&] {
    return Noted("delete running") && Noted("delete q1") && Noted("delete q2") && Noted("delete q3") &&
           Noted("delete job u1") && Noted("delete job u2");
  });
  EXPECT_TRUE(Noted("made running"));
  for (const char* name : {"running", "q1", "q2", "q3"}) {
    EXPECT_EQ(journal.Count(std::string("delete ") + name), 1u) << name;
    EXPECT_FALSE(Noted(std::string("unbalanced ") + name)) << name;
  }
  EXPECT_FALSE(Noted("make q1"));
}

TEST_F(DispatcherTest, UploadsRunInOrderAndEachIsReportedAndReleasedOnce) {
  ASSERT_TRUE(dispatcher->Start());
  for (const char* name : {"1", "2", "3"}) QueueUpload(new CountingJob(journal, name));
  PumpUntil([&] { return Noted("delete job 1") && Noted("delete job 2") && Noted("delete job 3"); });
  // The worker's notes and the replies are written on different threads, so
  // each is checked for order on its own.
  std::vector<std::string> transfers, reports;
  for (const std::string& line : journal.Lines()) {
    if (line.rfind("upload ", 0) == 0) transfers.push_back(line);
    if (line.rfind("uploaded ", 0) == 0) reports.push_back(line);
  }
  EXPECT_EQ(transfers, (std::vector<std::string>{"upload 1", "upload 2", "upload 3"}));
  EXPECT_EQ(reports, (std::vector<std::string>{"uploaded 1 ", "uploaded 2 ", "uploaded 3 "}));
  StopDispatcher();
}

TEST_F(DispatcherTest, CancelSignalsTheRunningUploadAndReleasesEachWaitingJobOnce) {
  uploads.holdJob = "running";
  ASSERT_TRUE(dispatcher->Start());
  QueueUpload(new CountingJob(journal, "running"));
  ASSERT_TRUE(uploads.transferStarted.Wait(10000));

  // A batch arrives while the dispatcher is busy: the first push hands w1 on
  // when the batch is handled, the others wait in the queue.
  PostBatch([&] {
    for (const char* name : {"w1", "w2", "w3", "w4"}) QueueUpload(new CountingJob(journal, name));
  });
  ASSERT_EQ(platform::SendMessage(dispatcher->DispatchWnd(), WM_TASK_UPLOAD_CANCEL), 0);
  PumpUntil([&] {
    return Noted("delete job running") && Noted("delete job w1") && Noted("delete job w2") &&
           Noted("delete job w3") && Noted("delete job w4");
  });
  EXPECT_TRUE(Noted("upload failed running upload canceled."));
  for (const char* name : {"w2", "w3", "w4"}) EXPECT_FALSE(Noted(std::string("upload ") + name)) << name;
  StopDispatcher();
  for (const char* name : {"running", "w1", "w2", "w3", "w4"})
    EXPECT_EQ(journal.Count(std::string("delete job ") + name), 1u) << name;
}

TEST_F(DispatcherTest, CancelWithNothingInProgressLeavesNoSignalForTheNextUpload) {
  ASSERT_TRUE(dispatcher->Start());
  ASSERT_EQ(platform::SendMessage(dispatcher->DispatchWnd(), WM_TASK_UPLOAD_CANCEL), 0);
  QueueUpload(new CountingJob(journal, "later"));
  PumpUntil([&] { return Noted("delete job later"); });
  EXPECT_TRUE(Noted("uploaded later "));
  StopDispatcher();
}

TEST_F(DispatcherTest, UploadJobsWithoutAHandlerAreReleasedAndTheQueueMovesOn) {
  holdable = nullptr;
  dispatcher = std::make_unique<CTaskDispatchThread>(nullptr, nullptr);
  ASSERT_TRUE(dispatcher->Start());
  for (const char* name : {"1", "2"}) QueueUpload(new CountingJob(journal, name));
  PumpUntil([&] { return Noted("delete job 1") && Noted("delete job 2"); });
  EXPECT_FALSE(Noted("uploaded 1 "));
  StopDispatcher();
}

// A worker whose window cannot be created.
class WindowlessWorker : public CWorkThread4ImageItem {
 protected:
  bool CreateWorkWnd() override { return false; }
};

class DispatcherWithoutWorker : public CTaskDispatchThread {
 protected:
  std::unique_ptr<CWorkThread4ImageItem> CreateWorkThread() override {
    return std::make_unique<WindowlessWorker>();
  }
};

TEST_F(DispatcherTest, AWorkerWithoutWindowEndsTheDispatcherWithoutWindow) {
  holdable = nullptr;
  dispatcher = std::make_unique<DispatcherWithoutWorker>();
  EXPECT_FALSE(dispatcher->Start());
  EXPECT_EQ(dispatcher->DispatchWnd(), nullptr);
  EXPECT_TRUE(dispatcher->WaitForExit(10000));
  // Senders that find no window skip their post and keep their reference.
  CountingItem* item = NewItem("orphan");
  RequestThumbnail(item);
  EXPECT_EQ(item->releases.load(), item->addRefs.load());
  ReleaseViewReferences();
  EXPECT_TRUE(Noted("delete orphan"));
}

}  // namespace
