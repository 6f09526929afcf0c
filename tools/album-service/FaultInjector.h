// Faults that tests switch on per endpoint path, from the command line
// ("--fault PATH:latency_ms=500,status=503") or at run time through
// "/_test/fault?path=PATH&...". A fault applies to the next `times` requests
// of that path (every request when times is 0); the path "*" matches all.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace albumservice {

// What happens to one request.
struct Fault {
  int latency_ms = 0;          // wait this long before answering
  int status = 0;              // answer this HTTP status instead (0: no)
  bool garbage = false;        // answer 200 with bytes no client can read
  long long close_after = -1;  // POST: close after this many request body bytes;
                               // GET: send only this many answer body bytes, then close
  int times = 0;               // requests left (0: unlimited)
};

class FaultInjector {
 public:
  // Sets the fault of a path from "key=value" items separated by "," or "&";
  // false with an error text for an unknown key or a bad number.
  bool Set(const std::string& path, std::string_view items, std::string& error);
  // Parses "PATH:items" as the command line gives it.
  bool SetFromSpec(std::string_view spec, std::string& error);
  // Removes the fault of a path, or every fault when path is empty.
  void Clear(const std::string& path);
  // The fault for this request, counting it against its `times`.
  std::optional<Fault> Take(const std::string& path);

 private:
  std::mutex mutex_;
  std::map<std::string, Fault> faults_;
};

// The bytes answered for a "garbage" fault: not XML, not "+OK", not "succ".
std::string GarbageBody();

}  // namespace albumservice
