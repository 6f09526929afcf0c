// The window system's clock: the monotonic clock unless a backend replaced it.
#include "platform/window/TickClock.h"

#include <atomic>
#include <chrono>

#include "platform/window/detail/ThreadQueue.h"

namespace platform {
namespace {

std::atomic<TickSource> g_source{nullptr};

std::uint64_t MonotonicTicks() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

std::uint64_t GetTickCount64() {
  TickSource source = g_source.load(std::memory_order_acquire);
  return source ? source() : MonotonicTicks();
}

std::uint32_t GetTickCount() { return static_cast<std::uint32_t>(GetTickCount64()); }

void SetTickSource(TickSource source) {
  g_source.store(source, std::memory_order_release);
  detail::WakeAllQueues();
}

void NotifyTickSourceAdvanced() { detail::WakeAllQueues(); }

}  // namespace platform
