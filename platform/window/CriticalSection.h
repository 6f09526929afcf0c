// A critical section: a recursive lock, usable with std::lock_guard.
#pragma once

#include <mutex>

namespace platform {

// A lock the owning thread may take again without blocking itself.
class CCriticalSection {
 public:
  CCriticalSection() = default;
  CCriticalSection(const CCriticalSection&) = delete;
  CCriticalSection& operator=(const CCriticalSection&) = delete;

  // Takes the lock, waiting for another owner to leave it.
  void Lock() { mutex_.lock(); }
  // Leaves the lock once.
  void Unlock() { mutex_.unlock(); }
  // Takes the lock when it is free; true on success.
  bool TryLock() { return mutex_.try_lock(); }

  // The standard names, so std::lock_guard and std::unique_lock work.
  void lock() { Lock(); }
  void unlock() { Unlock(); }
  bool try_lock() { return TryLock(); }

 private:
  std::recursive_mutex mutex_;
};

}  // namespace platform
