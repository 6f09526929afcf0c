// The request log "requests.log" in the data folder: one line per request with
// time, method, target, status, request body size and answer body size.
// Passwords in the query (pass=, pw=, p=) are masked before they are written.
#pragma once

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

namespace albumservice {

class RequestLog {
 public:
  ~RequestLog();
  // Opens the log for appending; false when it cannot be opened.
  bool Open(const std::filesystem::path& file);
  void Write(std::string_view method, std::string_view target, int status, size_t request_bytes,
             size_t answer_bytes);

 private:
  std::mutex mutex_;
  std::FILE* file_ = nullptr;
};

// The target with the values of password keys replaced by "***".
std::string MaskSecrets(std::string_view target);

}  // namespace albumservice
