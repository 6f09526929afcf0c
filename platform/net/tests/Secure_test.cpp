// Secure requests verify the server's certificate against the system's store:
// a server on 127.0.0.1 with a self-signed certificate (openssl s_server) is
// refused, with or without the ignore-name flag.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/net/Internet.h"
#include "tools/testsupport/TempDir.h"

namespace platform::net {
namespace {

uint16_t FreePort() {
  int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  close(s);
  return ntohs(address.sin_port);
}

bool Accepts(uint16_t port) {
  int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  bool ok = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(s);
  return ok;
}

// openssl s_server with a fresh self-signed certificate, stopped at scope exit.
class SelfSignedServer {
 public:
  explicit SelfSignedServer(const testsupport::TempDir& dir) {
    if (access("/usr/bin/openssl", X_OK) != 0) return;
    std::string key = (dir / "key.pem").string(), cert = (dir / "cert.pem").string();
    std::string make =
        "/usr/bin/openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 "
        "-subj /CN=127.0.0.1 -keyout '" +
        key + "' -out '" + cert + "' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0) return;
    port_ = FreePort();
    std::string accept = "127.0.0.1:" + std::to_string(port_);
    pid_ = fork();
    if (pid_ == 0) {
      execl("/usr/bin/openssl", "openssl", "s_server", "-quiet", "-www", "-accept", accept.c_str(), "-cert",
            cert.c_str(), "-key", key.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    // Watchdog: the server must listen within five seconds.
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
         std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(std::chrono::milliseconds(20)))
      if (Accepts(port_)) {
        running_ = true;
        return;
      }
  }
  ~SelfSignedServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  bool Running() const { return running_; }
  uint16_t Port() const { return port_; }

 private:
  pid_t pid_ = -1;
  uint16_t port_ = 0;
  bool running_ = false;
};

TEST(SecureRequestTest, UntrustedCertificateIsRefused) {
  testsupport::TempDir dir;
  SelfSignedServer server(dir);
  if (!server.Running()) GTEST_SKIP() << "openssl s_server could not be started";
  for (uint32_t extra : {0u, INTERNET_FLAG_IGNORE_CERT_CN_INVALID | INTERNET_FLAG_IGNORE_CERT_DATE_INVALID}) {
    HINTERNET session = InternetOpen("T", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET connection =
        InternetConnect(session, "127.0.0.1", server.Port(), nullptr, nullptr, INTERNET_SERVICE_HTTP, 0);
    HINTERNET request =
        HttpOpenRequest(connection, "GET", "/", nullptr, nullptr, nullptr, INTERNET_FLAG_SECURE | extra);
    EXPECT_FALSE(HttpSendRequest(request, nullptr, 0, nullptr, 0));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_INVALID_CA) << "flags " << extra;
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(session);
  }
}

}  // namespace
}  // namespace platform::net
