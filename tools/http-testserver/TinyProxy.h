// A real HTTP proxy for tests: the system's tinyproxy, started on a free
// loopback port with a generated configuration file, stopped at scope exit.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace testserver {

class TinyProxy {
 public:
  // The tinyproxy program, or "" when it is not installed.
  static std::string FindProgram();

  // Starts the proxy with its files in folder; Running() tells whether it came up.
  explicit TinyProxy(const std::filesystem::path& folder);
  ~TinyProxy();
  TinyProxy(const TinyProxy&) = delete;
  TinyProxy& operator=(const TinyProxy&) = delete;

  bool Running() const { return pid_ > 0 && port_ != 0; }
  uint16_t Port() const { return port_; }
  // "127.0.0.1:<port>".
  std::string Address() const;
  // Why the proxy is not running.
  const std::string& Error() const { return error_; }

 private:
  int pid_ = -1;
  uint16_t port_ = 0;
  std::string error_;
};

}  // namespace testserver
