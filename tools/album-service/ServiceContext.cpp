#include "tools/album-service/ServiceContext.h"

#include <httplib.h>

namespace albumservice {

std::string ServiceContext::BaseUrl(const httplib::Request& request) const {
  std::string host = request.get_header_value("Host");
  bool sane = !host.empty() && host.size() < 256;
  for (char c : host) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
              c == '-' || c == ':' || c == '[' || c == ']';
    sane = sane && ok;
  }
  if (!sane) host = "127.0.0.1:" + std::to_string(port);
  return "http://" + host;
}

}  // namespace albumservice
