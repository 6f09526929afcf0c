#include "http/DetectSystemProxy.h"

#include "platform/net/SystemProxy.h"

namespace Corvo {

int DetectSystemProxy(std::string* proxyServer, std::string* proxyBypass) {
  platform::net::ProxyConfiguration config;
  if (!platform::net::QueryProxyConfiguration(&config)) return -1;
  if (proxyServer != nullptr && !config.proxyServer.empty()) *proxyServer = config.proxyServer;
  if (proxyBypass != nullptr && !config.proxyBypass.empty()) *proxyBypass = config.proxyBypass;
  return (config.flags & platform::net::PROXY_TYPE_PROXY) ? 1 : 0;
}

}  // namespace Corvo
