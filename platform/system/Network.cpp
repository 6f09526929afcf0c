#include "platform/system/Network.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <climits>

namespace platform {

bool LocalHostName(std::string* name) {
  char buffer[HOST_NAME_MAX + 1] = {};
  if (gethostname(buffer, sizeof buffer - 1) != 0 || buffer[0] == '\0') return false;
  *name = buffer;
  return true;
}

bool ResolveIPv4(const std::string& host, std::string* dotted) {
  if (host.empty()) return false;
  in_addr literal{};
  // inet_pton accepts only the four-part dotted decimal form, which is what
  // "already an address" means here.
  if (inet_pton(AF_INET, host.c_str(), &literal) == 1) {
    *dotted = host;
    return true;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
  bool ok = false;
  for (addrinfo* a = found; a != nullptr && !ok; a = a->ai_next) {
    if (a->ai_family != AF_INET || a->ai_addr == nullptr) continue;
    char text[INET_ADDRSTRLEN] = {};
    const auto* address = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
    if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr) {
      *dotted = text;
      ok = true;
    }
  }
  freeaddrinfo(found);
  return ok;
}

}  // namespace platform
