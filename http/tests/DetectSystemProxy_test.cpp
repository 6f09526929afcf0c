// Proxy detection, and uploads and GET requests following the system's proxy
// settings through a real proxy on the loopback interface.
#include "http/DetectSystemProxy.h"

#include <gtest/gtest.h>

#include <string>

#include "http/Corvo.h"
#include "tools/http-testserver/HttpTestServer.h"
#include "tools/http-testserver/ScopedEnvironment.h"
#include "tools/http-testserver/TinyProxy.h"
#include "tools/testsupport/TempDir.h"

namespace Corvo {
namespace {

using testserver::ScopedEnvironment;

TEST(DetectSystemProxyTest, ManualProxyIsOneNoneIsZeroAndFailureMinusOne) {
  testsupport::TempDir dir;
  ScopedEnvironment env;
  env.ClearProxyVariables();
  // No desktop settings program: nothing configured.
  env.Set("PATH", (dir / "nothing").string());
  std::string server = "untouched", bypass = "untouched";
  EXPECT_EQ(DetectSystemProxy(&server, &bypass), 0);
  EXPECT_EQ(server, "untouched");

  env.Set("http_proxy", "http://127.0.0.1:3128");
  env.Set("no_proxy", "intranet");
  EXPECT_EQ(DetectSystemProxy(&server, &bypass), 1);
  EXPECT_EQ(server, "http=127.0.0.1:3128");
  EXPECT_EQ(bypass, "intranet");

  // A desktop settings program that cannot answer: -1, outputs untouched.
  env.ClearProxyVariables();
  std::filesystem::create_directories(dir / "broken");
  dir.WriteFile("broken/gsettings", "#!/bin/sh\nexit 3\n");
  std::filesystem::permissions(dir / "broken/gsettings", std::filesystem::perms::owner_all);
  env.Set("PATH", (dir / "broken").string());
  server = bypass = "untouched";
  EXPECT_EQ(DetectSystemProxy(&server, &bypass), -1);
  EXPECT_EQ(server, "untouched");
}

// Uploads and GET requests always use the system's settings: through the
// proxy when one is configured, directly when not.
TEST(DetectSystemProxyTest, ClientFollowsTheSystemProxySettings) {
  testsupport::TempDir dir;
  testserver::TinyProxy proxy(dir.path());
  if (testserver::TinyProxy::FindProgram().empty()) GTEST_SKIP() << "tinyproxy is not installed";
  ASSERT_TRUE(proxy.Running()) << proxy.Error();
  testserver::HttpTestServer server;
  ScopedEnvironment env;
  env.ClearProxyVariables();
  env.Set("PATH", (dir / "nothing").string());
  for (bool viaProxy : {true, false}) {
    if (viaProxy)
      env.Set("http_proxy", "http://" + proxy.Address());
    else
      env.Unset("http_proxy");
    CHttpClientA client;  // access type 0: the system's settings
    client.AddParam("n", "v");
    client.StartUploadContext(server.Url("/up").c_str(), false);
    std::unique_ptr<CHttpClientA::Response> response;
    while (!response) response = client.ProceedPostContext(16384);
    EXPECT_EQ(response->GetStatus(), 200u);
    client.ClearParam();
    EXPECT_EQ(client.SendGetRequest(server.Url("/get").c_str(), false)->GetStatus(), 200u);
  }
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    bool viaProxy = i < 2;
    EXPECT_EQ(requests[i].Header("Via").find("tinyproxy") != std::string::npos, viaProxy) << i;
  }
  EXPECT_EQ(requests[0].body.size(), 143u);
}

}  // namespace
}  // namespace Corvo
