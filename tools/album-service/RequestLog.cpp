#include "tools/album-service/RequestLog.h"

#include <ctime>

namespace albumservice {

std::string MaskSecrets(std::string_view target) {
  size_t mark = target.find('?');
  if (mark == std::string_view::npos) return std::string(target);
  std::string out(target.substr(0, mark + 1));
  std::string_view query = target.substr(mark + 1);
  // NOTE: an album password is sent unencoded and may hold "&", so everything
  // after "pw=" (the last key of that request) is masked.
  bool first = true;
  while (!query.empty()) {
    size_t end = query.find('&');
    std::string_view item = query.substr(0, end);
    std::string_view key = item.substr(0, item.find('='));
    if (!first) out.push_back('&');
    first = false;
    if (key == "pw") {
      out += "pw=***";
      break;
    }
    if ((key == "pass" || key == "p" || key == "password") && item.size() > key.size()) {
      out += std::string(key) + "=***";
    } else {
      out += item;
    }
    if (end == std::string_view::npos) break;
    query.remove_prefix(end + 1);
  }
  return out;
}

RequestLog::~RequestLog() {
  if (file_) std::fclose(file_);
}

bool RequestLog::Open(const std::filesystem::path& file) {
  std::lock_guard<std::mutex> lock(mutex_);
  file_ = std::fopen(file.c_str(), "a");
  return file_ != nullptr;
}

void RequestLog::Write(std::string_view method, std::string_view target, int status, size_t request_bytes,
                       size_t answer_bytes) {
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
  std::string masked = MaskSecrets(target);
  std::lock_guard<std::mutex> lock(mutex_);
  if (!file_) return;
  std::fprintf(file_, "%s %.*s %s %d %zu %zu\n", stamp, static_cast<int>(method.size()), method.data(),
               masked.c_str(), status, request_bytes, answer_bytes);
  std::fflush(file_);
}

}  // namespace albumservice
