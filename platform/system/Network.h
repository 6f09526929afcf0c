// Host name and IPv4 address of this machine, as the service protocol reports
// them, and name resolution to a dotted IPv4 address.
#pragma once

#include <string>

namespace platform {

// The local host name. False when the system cannot tell it.
bool LocalHostName(std::string* name);

// A dotted IPv4 address for `host`: a host that already is a dotted IPv4
// address gives itself, any other name its first IPv4 address. False when the
// name cannot be resolved to an IPv4 address.
bool ResolveIPv4(const std::string& host, std::string* dotted);

}  // namespace platform
