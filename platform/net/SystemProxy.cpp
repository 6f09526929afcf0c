#include "platform/net/SystemProxy.h"

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <sstream>
#include <vector>

namespace platform::net {
namespace {

std::string Env(const char* lower, const char* upper) {
  const char* value = getenv(lower);
  if (value == nullptr || *value == '\0') value = getenv(upper);
  return value != nullptr ? std::string(value) : std::string();
}

std::string ToLower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return text;
}

// "http://host:port/" and "host:port" both become "host:port".
std::string StripProxyUrl(std::string value) {
  size_t scheme = value.find("://");
  if (scheme != std::string::npos) value.erase(0, scheme + 3);
  while (!value.empty() && (value.back() == '/' || value.back() == ' ')) value.pop_back();
  return value;
}

std::string JoinServerList(const std::string& http, const std::string& https) {
  if (http == https) return http;
  std::string list;
  if (!http.empty()) list = "http=" + http;
  if (!https.empty()) list += (list.empty() ? "https=" : ";https=") + https;
  return list;
}

void FillServers(ProxyConfiguration* config, const std::string& http, const std::string& https) {
  config->httpProxy = http;
  config->httpsProxy = https;
  config->proxyServer = JoinServerList(http, https);
  if (!http.empty() || !https.empty()) config->flags |= PROXY_TYPE_PROXY;
}

bool FromEnvironment(ProxyConfiguration* config) {
  std::string http = StripProxyUrl(Env("http_proxy", "HTTP_PROXY"));
  std::string https = StripProxyUrl(Env("https_proxy", "HTTPS_PROXY"));
  if (http.empty() && https.empty()) return false;
  config->flags = PROXY_TYPE_DIRECT;
  FillServers(config, http, https);
  std::string bypass = Env("no_proxy", "NO_PROXY");
  std::replace(bypass.begin(), bypass.end(), ',', ';');
  config->proxyBypass = bypass;
  return true;
}

std::string FindOnPath(const char* program) {
  const char* path = getenv("PATH");
  std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (dir.empty()) continue;
    std::string candidate = dir + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::string();
}

// The text between the first pair of single quotes; "" when there is none.
std::string Quoted(const std::string& text) {
  size_t open = text.find('\'');
  if (open == std::string::npos) return std::string();
  size_t close = text.find('\'', open + 1);
  return close == std::string::npos ? std::string() : text.substr(open + 1, close - open - 1);
}

// "['localhost', '127.0.0.0/8']" becomes "localhost;127.0.0.0/8".
std::string QuotedList(const std::string& text) {
  std::string out;
  size_t pos = 0;
  while ((pos = text.find('\'', pos)) != std::string::npos) {
    size_t close = text.find('\'', pos + 1);
    if (close == std::string::npos) break;
    if (!out.empty()) out += ';';
    out += text.substr(pos + 1, close - pos - 1);
    pos = close + 1;
  }
  return out;
}

// Parses the lines of "gsettings list-recursively org.gnome.system.proxy".
void ParseDesktopSettings(const std::string& output, ProxyConfiguration* config) {
  std::string mode, httpHost, httpPort, httpsHost, httpsPort, ignore, autoUrl;
  std::stringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    std::stringstream words(line);
    std::string schema, key, value;
    words >> schema >> key;
    std::getline(words, value);
    if (schema == "org.gnome.system.proxy" && key == "mode") mode = Quoted(value);
    if (schema == "org.gnome.system.proxy" && key == "ignore-hosts") ignore = QuotedList(value);
    if (schema == "org.gnome.system.proxy" && key == "autoconfig-url") autoUrl = Quoted(value);
    if (schema == "org.gnome.system.proxy.http" && key == "host") httpHost = Quoted(value);
    if (schema == "org.gnome.system.proxy.http" && key == "port")
      httpPort = value.substr(value.find_first_not_of(' '));
    if (schema == "org.gnome.system.proxy.https" && key == "host") httpsHost = Quoted(value);
    if (schema == "org.gnome.system.proxy.https" && key == "port")
      httpsPort = value.substr(value.find_first_not_of(' '));
  }
  config->flags = PROXY_TYPE_DIRECT;
  if (mode == "auto") config->flags |= autoUrl.empty() ? PROXY_TYPE_AUTO_DETECT : PROXY_TYPE_AUTO_PROXY_URL;
  if (mode != "manual") return;
  auto server = [](const std::string& host, const std::string& port) {
    return host.empty() ? std::string() : host + ":" + (port.empty() || port == "0" ? "8080" : port);
  };
  FillServers(config, server(httpHost, httpPort), server(httpsHost, httpsPort));
  config->proxyBypass = ignore;
}

// Runs gsettings; false when it cannot be run or fails for another reason than
// a missing schema (which simply means the desktop keeps no proxy settings).
bool FromDesktop(const std::string& program, ProxyConfiguration* config) {
  if (program.find('\'') != std::string::npos) return false;
  std::string command = "'" + program + "' list-recursively org.gnome.system.proxy 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return false;
  std::string output;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0 && output.size() < 65536) output.append(buffer, n);
  int status = pclose(pipe);
  *config = ProxyConfiguration();
  if (output.find("No such schema") != std::string::npos) return true;
  if (status != 0) return false;
  ParseDesktopSettings(output, config);
  return true;
}

struct DesktopCache {
  std::mutex lock;
  std::string program;
  std::chrono::steady_clock::time_point when;
  bool ok = false;
  ProxyConfiguration config;
};

bool CachedFromDesktop(const std::string& program, ProxyConfiguration* config) {
  static DesktopCache cache;
  std::lock_guard<std::mutex> guard(cache.lock);
  auto now = std::chrono::steady_clock::now();
  if (cache.program != program || now - cache.when > std::chrono::seconds(5)) {
    cache.ok = FromDesktop(program, &cache.config);
    cache.program = program;
    cache.when = now;
  }
  if (cache.ok) *config = cache.config;
  return cache.ok;
}

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> entries;
  std::string entry;
  for (char c : list + ";") {
    if (c == ',' || c == ';' || c == ' ' || c == '\t') {
      if (!entry.empty()) entries.push_back(ToLower(entry));
      entry.clear();
    } else {
      entry += c;
    }
  }
  return entries;
}

// "a.b.c.d" as a number; false when text is not a dotted IPv4 address.
bool ParseIpv4(const std::string& text, uint32_t* address) {
  unsigned a, b, c, d;
  char tail;
  if (std::sscanf(text.c_str(), "%3u.%3u.%3u.%3u%c", &a, &b, &c, &d, &tail) != 4) return false;
  if (a > 255 || b > 255 || c > 255 || d > 255) return false;
  *address = (a << 24) | (b << 16) | (c << 8) | d;
  return true;
}

// "127.0.0.0/8" style entries against an IPv4 host.
bool MatchesNetwork(const std::string& host, const std::string& entry) {
  size_t slash = entry.find('/');
  uint32_t hostAddress, network;
  if (slash == std::string::npos || !ParseIpv4(host, &hostAddress) ||
      !ParseIpv4(entry.substr(0, slash), &network))
    return false;
  int bits = std::atoi(entry.c_str() + slash + 1);
  if (bits < 0 || bits > 32) return false;
  uint32_t mask = bits == 0 ? 0 : 0xFFFFFFFFu << (32 - bits);
  return (hostAddress & mask) == (network & mask);
}

}  // namespace

bool QueryProxyConfiguration(ProxyConfiguration* out) {
  ProxyConfiguration config;
  if (!FromEnvironment(&config)) {
    std::string program = FindOnPath("gsettings");
    if (!program.empty() && !CachedFromDesktop(program, &config)) return false;
  }
  *out = config;
  return true;
}

bool HostBypassesProxy(const std::string& host, const std::string& bypassList) {
  std::string name = ToLower(host);
  for (std::string entry : SplitList(bypassList)) {
    if (entry == "*") return true;
    if (entry == "<local>") {
      if (name.find('.') == std::string::npos && name.find(':') == std::string::npos) return true;
      continue;
    }
    if (MatchesNetwork(name, entry)) return true;
    if (entry.rfind("*.", 0) == 0) entry.erase(0, 1);
    if (entry.rfind('.', 0) == 0) entry.erase(0, 1);
    if (name == entry) return true;
    if (name.size() > entry.size() && name.compare(name.size() - entry.size(), entry.size(), entry) == 0 &&
        name[name.size() - entry.size() - 1] == '.')
      return true;
  }
  return false;
}

std::string ProxyForScheme(const std::string& serverList, const std::string& scheme) {
  if (serverList.find('=') == std::string::npos) return StripProxyUrl(serverList);
  for (const std::string& entry : SplitList(serverList)) {
    size_t eq = entry.find('=');
    if (eq != std::string::npos && entry.substr(0, eq) == scheme) return StripProxyUrl(entry.substr(eq + 1));
  }
  return std::string();
}

}  // namespace platform::net
