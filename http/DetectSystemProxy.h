// Proxy detection: whether the system's settings name a manual proxy server.
#pragma once

#include <string>

namespace Corvo {

// Queries the system's proxy settings for the default connection. Returns 1
// when a manual proxy server is configured, 0 for none or automatic
// configuration only, -1 when the settings cannot be queried (outputs then
// untouched). The server list and bypass list are copied out when present.
int DetectSystemProxy(std::string* proxyServer, std::string* proxyBypass);

}  // namespace Corvo
