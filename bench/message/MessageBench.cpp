// Message-queue benchmarks: how many posted messages per second one thread
// can hand to a window on another thread (counted once the receiver has
// handled them all), and the round-trip time of a cross-thread SendMessage
// (median and 90th percentile over every send of the run).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <vector>

#include "platform/window/Event.h"
#include "platform/window/Messaging.h"
#include "platform/window/WinThread.h"
#include "platform/window/Wnd.h"

namespace {

constexpr UINT kCount = WM_USER + 1;
constexpr UINT kDone = WM_USER + 2;
constexpr UINT kEcho = WM_USER + 3;

// The receiving window: counts posts, signals at the end marker, echoes sends.
class ReceiverWnd : public platform::CWnd {
 public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kCount) {
      ++handled;
      return 0;
    }
    if (message == kDone) {
      drained.Set();
      return 0;
    }
    if (message == kEcho) return static_cast<LRESULT>(wParam) + 1;
    return CWnd::WindowProc(message, wParam, lParam);
  }
  long handled = 0;
  platform::CEvent drained{platform::EventReset::kAuto};
};

// A thread that owns one receiver window.
class ReceiverThread : public platform::CWinThread {
 public:
  ReceiverThread() {
    CreateThread();
    WaitForInit();
  }
  ~ReceiverThread() override {
    platform::PostMessage(hwnd_, WM_CLOSE);
    JoinThread();
  }
  HWND hwnd() const { return hwnd_; }
  ReceiverWnd window;

 protected:
  bool InitInstance() override {
    if (!window.CreateEx(0, platform::CWnd::RegisterWndClass(0), "receiver", WS_OVERLAPPED, platform::RECT{},
                         nullptr, 0))
      return false;
    m_pMainWnd = &window;
    hwnd_ = window.m_hWnd;
    return true;
  }

 private:
  HWND hwnd_ = nullptr;
};

void BM_PostAcrossThreads(benchmark::State& state) {
  ReceiverThread receiver;
  HWND target = receiver.hwnd();
  const int batch = static_cast<int>(state.range(0));
  for (auto _ : state) {
    for (int i = 0; i < batch; ++i) platform::PostMessage(target, kCount, static_cast<WPARAM>(i));
    // Posted after the batch, so it arrives once every message before it was handled.
    platform::PostMessage(target, kDone);
    receiver.window.drained.Wait();
  }
  state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(BM_PostAcrossThreads)->Arg(10000)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_SendRoundTrip(benchmark::State& state) {
  ReceiverThread receiver;
  HWND target = receiver.hwnd();
  std::vector<double> micros;
  micros.reserve(1 << 20);
  WPARAM value = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    LRESULT answer = platform::SendMessage(target, kEcho, value);
    auto end = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(answer);
    ++value;
    micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
  }
  if (micros.empty()) return;
  std::sort(micros.begin(), micros.end());
  state.counters["median_us"] = micros[micros.size() / 2];
  state.counters["p90_us"] = micros[micros.size() * 9 / 10];
}
BENCHMARK(BM_SendRoundTrip)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
