// Fixtures of the dispatcher tests: picture items and upload jobs that count
// their references and report every change to the test thread, a list window
// and a progress window on the test thread, and a scripted upload handler.
#pragma once

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "control/dispatch/DispatchMessages.h"
#include "control/dispatch/IUploadHandler.h"
#include "control/dispatch/WorkWndInvisible.h"
#include "control/items/ImageItem.h"
#include "control/upload/UploadJob.h"
#include "platform/window/Event.h"
#include "platform/window/Messaging.h"
#include "platform/window/Window.h"
#include "platform/window/Wnd.h"

namespace dispatchtest {

// Wakes the test thread's loop so that it looks at its conditions again.
inline void WakeTestThread(DWORD thread) { platform::PostThreadMessage(thread, WM_NULL); }

// Runs the calling thread's loop until `done` holds.
inline void PumpUntil(const std::function<bool()>& done) {
  platform::RunModalLoop([&] { return !done(); });
}

// Ends the program when a test hangs.
class Watchdog {
 public:
  explicit Watchdog(DWORD limitMs = 20000)
      : thread_([this, limitMs] {
          if (!done_.Wait(limitMs)) {
            std::fprintf(stderr, "watchdog: dispatcher test hung\n");
            std::abort();
          }
        }) {}
  ~Watchdog() {
    done_.Set();
    thread_.join();
  }

 private:
  platform::CEvent done_{platform::EventReset::kManual};
  std::thread thread_;
};

// What happened to the counted objects, in order, from every thread.
struct Journal {
  explicit Journal(DWORD testThread) : testThread(testThread) {}
  void Note(std::string line) {
    {
      std::lock_guard guard(mutex);
      lines.push_back(std::move(line));
    }
    WakeTestThread(testThread);
  }
  std::vector<std::string> Lines() {
    std::lock_guard guard(mutex);
    return lines;
  }
  size_t Count(const std::string& line) {
    std::lock_guard guard(mutex);
    size_t n = 0;
    for (const std::string& l : lines) n += l == line;
    return n;
  }
  const DWORD testThread;
  std::mutex mutex;
  std::vector<std::string> lines;
};

// A picture item that notes "make N", "delete N" and keeps the balance of
// references; MakeThumbnail can be held at a gate.
class CountingItem : public CImageItem {
 public:
  CountingItem(Journal& journal, std::string name, bool hasThumbnail = false, bool makes = true)
      : CImageItem(name + ".jpg"),
        journal_(journal),
        name_(std::move(name)),
        hasThumbnail_(hasThumbnail),
        makes_(makes) {}
  LONG AddRef() override {
    ++addRefs;
    return CImageItem::AddRef();
  }
  LONG Release() override {
    ++releases;
    return CImageItem::Release();
  }
  bool HasThumbnail() const override { return hasThumbnail_; }
  bool MakeThumbnail() override {
    journal_.Note("make " + name_);
    if (gate) {
      started.Set();
      gate->Wait();
    }
    return makes_;
  }
  const std::string& Name() const { return name_; }

  std::atomic<int> addRefs{0};
  std::atomic<int> releases{0};
  platform::CEvent* gate = nullptr;
  platform::CEvent started{platform::EventReset::kManual};

 protected:
  ~CountingItem() override {
    // Every AddRef is matched by one Release, plus the creator's reference.
    if (releases != addRefs + 1) journal_.Note("unbalanced " + name_);
    journal_.Note("delete " + name_);
  }

 private:
  Journal& journal_;
  std::string name_;
  bool hasThumbnail_;
  bool makes_;
};

// An upload job that notes "delete job N".
class CountingJob : public CUploadJob {
 public:
  CountingJob(Journal& journal, std::string name)
      : CUploadJob(nullptr, "http://127.0.0.1/upload", "http://127.0.0.1/register"),
        journal_(journal),
        name_(std::move(name)) {}
  const std::string& Name() const { return name_; }

 protected:
  ~CountingJob() override { journal_.Note("delete job " + name_); }

 private:
  Journal& journal_;
  std::string name_;
};

// A window on the test thread that notes the replies it gets and, as the
// list and progress windows do, releases the job's reference.
class ReplyWnd : public platform::CWnd {
 public:
  explicit ReplyWnd(Journal& journal) : journal_(journal) {
    CreateEx(0, RegisterWndClass(0), "replies", WS_OVERLAPPED, platform::RECT{}, nullptr, 0);
  }
  ~ReplyWnd() override { DestroyWindow(); }

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_WORK_THUMBNAIL_MADE:
      case WM_WORK_THUMBNAIL_FAILED: {
        auto* item = reinterpret_cast<CountingItem*>(lParam);
        journal_.Note((message == WM_WORK_THUMBNAIL_MADE ? "made " : "failed ") + item->Name());
        item->Release();
        return 0;
      }
      case WM_WORK_UPLOAD_DONE:
      case WM_WORK_UPLOAD_FAILED: {
        auto* job = reinterpret_cast<CountingJob*>(lParam);
        journal_.Note((message == WM_WORK_UPLOAD_DONE ? "uploaded " : "upload failed ") + job->Name() + " " +
                      job->ErrorText());
        job->Release();
        return 0;
      }
      default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
  }

 private:
  Journal& journal_;
};

// An upload handler that "transfers" a job: it notes "upload N", marks the
// transfer in progress, optionally holds at a gate while watching for a
// cancel, then reports the job as the worker does.
class ScriptedUploads : public IUploadHandler {
 public:
  explicit ScriptedUploads(Journal& journal) : journal_(journal) {}

  bool HandleUploadJob(CWorkWndInvisible& worker, HWND replyWnd, CUploadJob* job) override {
    auto* counted = static_cast<CountingJob*>(job);
    journal_.Note("upload " + counted->Name());
    CWorkUploadState& state = worker.UploadState();
    state.BeginTransfer();
    bool cancelled = false;
    if (counted->Name() == holdJob) {
      transferStarted.Set();
      cancelled = state.WaitForCancel(INFINITE);
    } else {
      cancelled = state.ConsumeCancel();
    }
    UINT reply = WM_WORK_UPLOAD_DONE;
    if (cancelled) {
      job->SetErrorText("upload canceled.");
      reply = WM_WORK_UPLOAD_FAILED;
    }
    if (!platform::PostMessage(replyWnd, reply, 0, reinterpret_cast<LPARAM>(job))) job->Release();
    state.EndTransfer();
    return !cancelled;
  }

  // The job held in transfer until a cancel arrives.
  std::string holdJob;
  platform::CEvent transferStarted{platform::EventReset::kManual};

 private:
  Journal& journal_;
};

}  // namespace dispatchtest
