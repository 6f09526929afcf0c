#include "tools/album-service/FaultInjector.h"

#include <charconv>

namespace albumservice {
namespace {

bool ParseNumber(std::string_view text, long long max, long long& out) {
  long long value = 0;
  auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() || value < 0 || value > max)
    return false;
  out = value;
  return true;
}

bool ApplyItem(Fault& fault, std::string_view key, std::string_view value, std::string& error) {
  long long number = 0;
  if (!ParseNumber(value, 1LL << 40, number)) {
    error = "bad number for " + std::string(key) + ": " + std::string(value);
    return false;
  }
  if (key == "latency_ms" && number <= 600000) {
    fault.latency_ms = static_cast<int>(number);
  } else if (key == "status" && (number == 0 || (number >= 100 && number <= 599))) {
    fault.status = static_cast<int>(number);
  } else if (key == "garbage") {
    fault.garbage = number != 0;
  } else if (key == "close_after") {
    fault.close_after = number;
  } else if (key == "times" && number <= 1000000) {
    fault.times = static_cast<int>(number);
  } else {
    error = "unknown fault setting " + std::string(key) + "=" + std::string(value);
    return false;
  }
  return true;
}

}  // namespace

bool FaultInjector::Set(const std::string& path, std::string_view items, std::string& error) {
  if (path.empty()) {
    error = "fault without a path";
    return false;
  }
  Fault fault;
  while (!items.empty()) {
    size_t end = items.find_first_of(",&");
    std::string_view item = items.substr(0, end);
    items = end == std::string_view::npos ? std::string_view() : items.substr(end + 1);
    if (item.empty()) continue;
    size_t eq = item.find('=');
    if (eq == std::string_view::npos) {
      error = "fault setting without a value: " + std::string(item);
      return false;
    }
    if (!ApplyItem(fault, item.substr(0, eq), item.substr(eq + 1), error)) return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  faults_[path] = fault;
  return true;
}

bool FaultInjector::SetFromSpec(std::string_view spec, std::string& error) {
  size_t colon = spec.find(':');
  if (colon == std::string_view::npos) {
    error = "fault must be PATH:key=value,...";
    return false;
  }
  return Set(std::string(spec.substr(0, colon)), spec.substr(colon + 1), error);
}

void FaultInjector::Clear(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (path.empty()) {
    faults_.clear();
  } else {
    faults_.erase(path);
  }
}

std::optional<Fault> FaultInjector::Take(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = faults_.find(path);
  if (it == faults_.end()) it = faults_.find("*");
  if (it == faults_.end()) return std::nullopt;
  Fault fault = it->second;
  if (it->second.times > 0 && --it->second.times == 0) faults_.erase(it);
  return fault;
}

std::string GarbageBody() { return std::string("\x01\xFE<<garbage\x00]]>&;\xC3(", 19); }

}  // namespace albumservice
