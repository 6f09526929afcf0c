#include "platform/system/Library.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

namespace platform {
namespace {

std::string DlError(const char* fallback) {
  const char* text = dlerror();
  return text != nullptr ? std::string(text) : std::string(fallback);
}

}  // namespace

Library::~Library() { Close(); }

Library::Library(Library&& other) noexcept { *this = std::move(other); }

Library& Library::operator=(Library&& other) noexcept {
  if (this == &other) return *this;
  Close();
  handle_ = other.handle_;
  error_ = std::move(other.error_);
  other.handle_ = nullptr;
  return *this;
}

bool Library::Open(const std::string& path) {
  Close();
  error_.clear();
  if (path.empty()) {
    error_ = "empty library path";
    return false;
  }
  dlerror();
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) error_ = DlError("cannot load library");
  return handle_ != nullptr;
}

void* Library::Symbol(const std::string& name) {
  if (handle_ == nullptr) {
    error_ = "no library loaded";
    return nullptr;
  }
  dlerror();
  void* address = dlsym(handle_, name.c_str());
  if (address == nullptr) error_ = DlError("symbol not found");
  return address;
}

void Library::Close() {
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
}

std::string Library::PathOfAddress(const void* address) {
  Dl_info info{};
  if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fname == nullptr) return std::string();
  // The loader reports the name it was given; make it absolute.
  char resolved[PATH_MAX];
  if (realpath(info.dli_fname, resolved) != nullptr) return resolved;
  return info.dli_fname;
}

}  // namespace platform
