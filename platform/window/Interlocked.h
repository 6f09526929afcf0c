// Atomic reference-count helpers in the platform's style: each returns the
// value after the change, with ordering strong enough to free an object when
// the count reaches 0.
#pragma once

#include <atomic>

#include "platform/window/WindowTypes.h"

namespace platform {

// Adds 1 and returns the new value.
inline LONG InterlockedIncrement(std::atomic<LONG>& value) {
  return value.fetch_add(1, std::memory_order_relaxed) + 1;
}

// Subtracts 1 and returns the new value; the release/acquire ordering makes
// every earlier write of other owners visible to the one that sees 0.
inline LONG InterlockedDecrement(std::atomic<LONG>& value) {
  return value.fetch_sub(1, std::memory_order_acq_rel) - 1;
}

// Stores a value and returns the previous one.
inline LONG InterlockedExchange(std::atomic<LONG>& value, LONG newValue) {
  return value.exchange(newValue, std::memory_order_acq_rel);
}

}  // namespace platform
