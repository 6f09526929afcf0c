// The system's proxy configuration: environment variables, the desktop's
// settings through gsettings (a stand-in script here), bypass lists.
#include "platform/net/SystemProxy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "tools/http-testserver/ScopedEnvironment.h"
#include "tools/testsupport/TempDir.h"

namespace platform::net {
namespace {

TEST(SystemProxyTest, BypassListMatchesNamesSuffixesAddressesAndNetworks) {
  struct Case {
    const char* host;
    const char* list;
    bool bypass;
  };
  const Case cases[] = {
      {"example.com", "example.com", true},
      {"a.example.com", ".example.com", true},
      {"a.example.com", "*.example.com", true},
      {"badexample.com", "example.com", false},
      {"EXAMPLE.com", "example.COM", true},
      {"intranet", "<local>", true},
      {"intra.net", "<local>", false},
      {"127.0.0.1", "localhost,127.0.0.0/8", true},
      {"128.0.0.1", "127.0.0.0/8", false},
      {"10.1.2.3", "a.com; 10.1.2.3", true},
      {"anything", "*", true},
      {"host", "", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(HostBypassesProxy(c.host, c.list), c.bypass) << c.host << " / " << c.list;
}

TEST(SystemProxyTest, ServerListForEachScheme) {
  EXPECT_EQ(ProxyForScheme("p:8080", "https"), "p:8080");
  EXPECT_EQ(ProxyForScheme("http://p:8080/", "http"), "p:8080");
  EXPECT_EQ(ProxyForScheme("http=a:1;https=b:2", "https"), "b:2");
  EXPECT_EQ(ProxyForScheme("http=a:1 https=b:2", "http"), "a:1");
  EXPECT_EQ(ProxyForScheme("https=b:2", "http"), "");
}

TEST(SystemProxyTest, EnvironmentVariablesNameAManualProxy) {
  testserver::ScopedEnvironment env;
  env.ClearProxyVariables();
  env.Set("HTTP_PROXY", "http://upper:1/");
  env.Set("http_proxy", "http://10.0.0.1:3128/");
  env.Set("NO_PROXY", "localhost,.corp");
  ProxyConfiguration config;
  ASSERT_TRUE(QueryProxyConfiguration(&config));
  EXPECT_TRUE(config.flags & PROXY_TYPE_PROXY);
  EXPECT_EQ(config.httpProxy, "10.0.0.1:3128");
  EXPECT_EQ(config.httpsProxy, "");
  EXPECT_EQ(config.proxyServer, "http=10.0.0.1:3128");
  EXPECT_EQ(config.proxyBypass, "localhost;.corp");
  env.Set("https_proxy", "10.0.0.1:3128");
  ASSERT_TRUE(QueryProxyConfiguration(&config));
  EXPECT_EQ(config.proxyServer, "10.0.0.1:3128");
}

// A folder holding a stand-in gsettings that prints output and exits with status.
std::string FakeGsettings(const testsupport::TempDir& dir, const std::string& name, const std::string& output,
                          int status) {
  std::filesystem::path folder = dir / name;
  std::filesystem::create_directories(folder);
  std::string script = "#!/bin/sh\nPATH=/usr/bin:/bin\ncat <<'END'\n" + output + "\nEND\nexit " +
                       std::to_string(status) + "\n";
  std::filesystem::path program = folder / "gsettings";
  FILE* out = fopen(program.c_str(), "w");
  fputs(script.c_str(), out);
  fclose(out);
  chmod(program.c_str(), 0755);
  return folder.string();
}

TEST(SystemProxyTest, DesktopSettingsWhenNoVariableIsSet) {
  testsupport::TempDir dir;
  const std::string manual =
      "org.gnome.system.proxy mode 'manual'\n"
      "org.gnome.system.proxy ignore-hosts ['localhost', '127.0.0.0/8']\n"
      "org.gnome.system.proxy autoconfig-url ''\n"
      "org.gnome.system.proxy.http host 'proxy.lan'\n"
      "org.gnome.system.proxy.http port 3128\n"
      "org.gnome.system.proxy.https host 'proxy.lan'\n"
      "org.gnome.system.proxy.https port 3129";
  struct Case {
    std::string name, output;
    int status;
    bool ok;
    uint32_t flags;
    std::string server, bypass;
  };
  const Case cases[] = {
      {"manual", manual, 0, true, PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY,
       "http=proxy.lan:3128;https=proxy.lan:3129", "localhost;127.0.0.0/8"},
      {"auto", "org.gnome.system.proxy mode 'auto'\norg.gnome.system.proxy autoconfig-url 'http://w/p.pac'",
       0, true, PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_PROXY_URL, "", ""},
      {"none", "org.gnome.system.proxy mode 'none'", 0, true, PROXY_TYPE_DIRECT, "", ""},
      {"noschema", "No such schema \"org.gnome.system.proxy\"", 1, true, PROXY_TYPE_DIRECT, "", ""},
      {"broken", "error: cannot connect", 1, false, 0, "", ""},
  };
  testserver::ScopedEnvironment env;
  env.ClearProxyVariables();
  for (const Case& c : cases) {
    env.Set("PATH", FakeGsettings(dir, c.name, c.output, c.status));
    ProxyConfiguration config;
    ASSERT_EQ(QueryProxyConfiguration(&config), c.ok) << c.name;
    if (!c.ok) continue;
    EXPECT_EQ(config.flags, c.flags) << c.name;
    EXPECT_EQ(config.proxyServer, c.server) << c.name;
    EXPECT_EQ(config.proxyBypass, c.bypass) << c.name;
  }
  env.Set("PATH", (dir / "empty").string());
  ProxyConfiguration config;
  EXPECT_TRUE(QueryProxyConfiguration(&config)) << "without gsettings the answer is: direct";
  EXPECT_EQ(config.flags, PROXY_TYPE_DIRECT);
}

}  // namespace
}  // namespace platform::net
