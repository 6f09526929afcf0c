// Fixtures of the upload tests: picture files written by the codec layer,
// counted items and jobs, a progress window on the test thread that records
// what the worker reports, a handler that records whether the worker asks for
// the next job, a watchdog, and a session logged in at the reference album
// service.
#pragma once

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "codec/Picture.h"
#include "control/dispatch/DispatchMessages.h"
#include "control/dispatch/IUploadHandler.h"
#include "control/items/ImageItem.h"
#include "control/upload/UploadJob.h"
#include "platform/window/Event.h"
#include "platform/window/Messaging.h"
#include "platform/window/Wnd.h"

namespace uploadtest {

// Ends the program when a test hangs.
class Watchdog {
 public:
  // `onHang` runs before the program ends (to stop helper processes).
  explicit Watchdog(DWORD limitMs = 60000, std::function<void()> onHang = nullptr)
      : thread_([this, limitMs, onHang] {
          if (!done_.Wait(limitMs)) {
            std::fprintf(stderr, "watchdog: upload test hung\n");
            if (onHang) onHang();
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

// Runs the calling thread's message loop until `done` holds.
inline void PumpUntil(const std::function<bool()>& done) {
  platform::RunModalLoop([&] { return !done(); });
}

// A 24-bit picture with a colour ramp and a dark top-left corner, so that
// turns and shrinking can be told apart; saved in the given type.
inline bool WritePicture(const std::string& path, int width, int height, int type, int bitsPerPixel = 24) {
  Picture picture(type);
  if (!picture.Create(width, height, bitsPerPixel)) return false;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = picture.Row(y);
    if (bitsPerPixel == 24) {
      for (int x = 0; x < width; ++x) {
        bool corner = x < width / 4 && y < height / 4;
        row[3 * x] = corner ? 0 : static_cast<uint8_t>(x * 255 / width);
        row[3 * x + 1] = corner ? 0 : static_cast<uint8_t>(y * 255 / height);
        row[3 * x + 2] = corner ? 0 : 200;
      }
    } else {
      // Stripes in a palette picture.
      for (size_t i = 0; i < picture.Stride(); ++i) row[i] = (y / 8) % 2 ? 0xFF : 0x0F;
    }
  }
  return picture.SaveToFile(path, type);
}

// Live counters of the counted objects below.
inline std::atomic<int> g_liveItems{0};
inline std::atomic<int> g_liveJobs{0};

// A picture item that counts itself while it lives.
class CountedItem : public CImageItem {
 public:
  explicit CountedItem(std::string path) : CImageItem(std::move(path)) { ++g_liveItems; }

 protected:
  ~CountedItem() override { --g_liveItems; }
};

// An upload job that counts itself while it lives.
class CountedJob : public CUploadJob {
 public:
  CountedJob(CImageItem* item, std::string uploadUrl, std::string registrationUrl)
      : CUploadJob(item, std::move(uploadUrl), std::move(registrationUrl)) {
    ++g_liveJobs;
  }

 protected:
  ~CountedJob() override { --g_liveJobs; }
};

// One message the progress window got.
struct Report {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  std::string path;   // the job's picture (results only)
  std::string error;  // the job's error text (results only)
};

// The progress window: records every report in order; releases the job of a
// result as the real progress window does. `onProgress` runs inside the sent
// 0x8008, while the worker waits.
class ProgressWnd : public platform::CWnd {
 public:
  ProgressWnd() { CreateEx(0, RegisterWndClass(0), "progress", WS_OVERLAPPED, platform::RECT{}, nullptr, 0); }
  ~ProgressWnd() override { DestroyWindow(); }

  std::function<void(WPARAM, LPARAM)> onProgress;
  std::vector<Report> reports;

  // The results (0x8006 and 0x8007) in order.
  std::vector<Report> Results() const {
    std::vector<Report> results;
    for (const Report& report : reports)
      if (report.message != WM_WORK_UPLOAD_PROGRESS) results.push_back(report);
    return results;
  }

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_WORK_UPLOAD_PROGRESS) {
      reports.push_back({message, wParam, lParam, {}, {}});
      if (onProgress) onProgress(wParam, lParam);
      return 0;
    }
    if (message == WM_WORK_UPLOAD_DONE || message == WM_WORK_UPLOAD_FAILED) {
      auto* job = reinterpret_cast<CUploadJob*>(lParam);
      reports.push_back({message, wParam, lParam, job->Item() ? job->Item()->Path() : "", job->ErrorText()});
      job->Release();
      return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

// Passes jobs to the real handler and records whether the worker is told to
// ask for the next job (false after a cancel).
class RecordingHandler : public IUploadHandler {
 public:
  // `testThread` is woken after every job, so that its loop looks again.
  RecordingHandler(IUploadHandler& inner, DWORD testThread) : inner_(inner), testThread_(testThread) {}
  bool HandleUploadJob(CWorkWndInvisible& worker, HWND replyWnd, CUploadJob* job) override {
    bool next = inner_.HandleUploadJob(worker, replyWnd, job);
    {
      std::lock_guard guard(mutex_);
      asksForNext_.push_back(next);
    }
    platform::PostThreadMessage(testThread_, WM_NULL);
    return next;
  }
  std::vector<bool> AsksForNext() {
    std::lock_guard guard(mutex_);
    return asksForNext_;
  }

 private:
  IUploadHandler& inner_;
  DWORD testThread_;
  std::mutex mutex_;
  std::vector<bool> asksForNext_;
};

}  // namespace uploadtest
