// Where the album service lives: the built-in endpoints, or every endpoint
// moved to another base URL with --service (as the embedding page moves the
// replaceable ones), so that tests can run the service on a free port.
#pragma once

#include <optional>
#include <string>

class CSessionState;

namespace tessel_upload {

class CServiceAddress {
 public:
  // `base` ("http://host:port", an optional trailing '/') or none for the built-in hosts.
  explicit CServiceAddress(std::optional<std::string> base);

  // The URL with its scheme and host part replaced by the base; unchanged without one.
  std::string Rehost(const std::string& url) const;
  // Moves the replaceable endpoint slots of the session to the base.
  void ApplyTo(CSessionState* session) const;

 private:
  std::optional<std::string> base_;
};

}  // namespace tessel_upload
