// The installed display backend.
#include "platform/window/WindowBackend.h"

#include <atomic>

namespace platform {
namespace {

std::atomic<IWindowBackend*> g_backend{nullptr};

}  // namespace

void SetWindowBackend(IWindowBackend* backend) { g_backend.store(backend, std::memory_order_release); }

IWindowBackend* GetWindowBackend() { return g_backend.load(std::memory_order_acquire); }

}  // namespace platform
