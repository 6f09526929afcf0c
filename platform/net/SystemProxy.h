// The system's proxy configuration: the proxy environment variables of the
// process, or else the desktop's proxy settings where a GNOME desktop keeps them.
#pragma once

#include <cstdint>
#include <string>

namespace platform::net {

// Connection flags of the proxy configuration.
inline constexpr uint32_t PROXY_TYPE_DIRECT = 0x00000001;
inline constexpr uint32_t PROXY_TYPE_PROXY = 0x00000002;
inline constexpr uint32_t PROXY_TYPE_AUTO_PROXY_URL = 0x00000004;
inline constexpr uint32_t PROXY_TYPE_AUTO_DETECT = 0x00000008;

// What the system says about proxies for the default connection.
struct ProxyConfiguration {
  // PROXY_TYPE_* bits; PROXY_TYPE_PROXY marks a manual proxy server.
  uint32_t flags = PROXY_TYPE_DIRECT;
  // "host:port" when one server serves both schemes, else "http=host:port;https=host:port".
  std::string proxyServer;
  // Hosts that go direct, separated by ';'.
  std::string proxyBypass;
  // The proxy for plain HTTP and for HTTPS ("host:port", empty: direct).
  std::string httpProxy;
  std::string httpsProxy;
};

// Reads the configuration: the variables http_proxy, https_proxy and no_proxy
// (lower case first, then upper case) when any proxy variable is set, else the
// GNOME proxy settings when gsettings exists, else "direct". Returns false only
// when gsettings exists but cannot answer. The desktop's answer is cached for a
// few seconds, because every preconfigured session asks.
bool QueryProxyConfiguration(ProxyConfiguration* out);

// True when host matches an entry of a bypass list (entries separated by ',',
// ';' or blanks: "*", "<local>" for names without a dot, "name" or ".name" or
// "*.name" for the name and its sub-domains, an address, or an IPv4 network
// such as "127.0.0.0/8").
bool HostBypassesProxy(const std::string& host, const std::string& bypassList);

// The proxy for one scheme ("http" or "https") from a server list in either form
// of ProxyConfiguration::proxyServer; empty when the list names none for it.
std::string ProxyForScheme(const std::string& serverList, const std::string& scheme);

}  // namespace platform::net
