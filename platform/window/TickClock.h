// The clock of the window system: message times and timers read "now" only
// through here, so a display backend can substitute a clock of its own.
#pragma once

#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start, from a monotonic clock.
std::uint64_t GetTickCount64();
// The same, cut to 32 bits (wraps after 49.7 days).
std::uint32_t GetTickCount();

// A replacement source of milliseconds; null restores the monotonic clock.
using TickSource = std::uint64_t (*)();
void SetTickSource(TickSource source);
// Wakes every waiting message loop so that timers are checked against a
// replaced clock that has moved on.
void NotifyTickSourceAdvanced();

}  // namespace platform
