// The host name and IPv4 address this machine reports to the album service.
#pragma once

#include <string>

namespace common {

// The local host name and its first IPv4 address as dotted text (the name
// itself when it already is one). False when either cannot be found.
bool LocalAddress(std::string* host_name, std::string* address);

}  // namespace common
