#include "common/file/LocalAddress.h"

#include "platform/system/Network.h"

namespace common {

bool LocalAddress(std::string* host_name, std::string* address) {
  std::string name;
  if (!platform::LocalHostName(&name) || name.empty()) return false;
  std::string dotted;
  if (!platform::ResolveIPv4(name, &dotted)) return false;
  *host_name = std::move(name);
  *address = std::move(dotted);
  return true;
}

}  // namespace common
