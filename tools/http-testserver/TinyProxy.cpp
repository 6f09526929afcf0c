#include "tools/http-testserver/TinyProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace testserver {
namespace {

uint16_t FreeLoopbackPort() {
  int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  uint16_t port = 0;
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  close(s);
  return port;
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

}  // namespace

std::string TinyProxy::FindProgram() {
  for (const char* candidate : {"/usr/bin/tinyproxy", "/usr/sbin/tinyproxy", "/usr/local/bin/tinyproxy"})
    if (access(candidate, X_OK) == 0) return candidate;
  return std::string();
}

TinyProxy::TinyProxy(const std::filesystem::path& folder) {
  std::string program = FindProgram();
  if (program.empty()) {
    error_ = "the tinyproxy program is not installed";
    return;
  }
  uint16_t port = FreeLoopbackPort();
  std::filesystem::path config = folder / "tinyproxy.conf";
  {
    std::ofstream out(config);
    out << "Port " << port << "\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\n"
        << "LogLevel Critical\nLogFile \"" << (folder / "tinyproxy.log").string() << "\"\n"
        << "PidFile \"" << (folder / "tinyproxy.pid").string() << "\"\n"
        << "Allow 127.0.0.1\nConnectPort 443\nDisableViaHeader No\n";
  }
  pid_ = fork();
  if (pid_ == 0) {
    execl(program.c_str(), program.c_str(), "-d", "-c", config.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  if (pid_ < 0) {
    error_ = "cannot start tinyproxy";
    return;
  }
  // Watchdog: the proxy must accept connections within five seconds.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    if (Accepts(port)) {
      port_ = port;
      return;
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      error_ = "tinyproxy exited at start-up";
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  error_ = "tinyproxy did not start listening";
}

TinyProxy::~TinyProxy() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
}

std::string TinyProxy::Address() const { return "127.0.0.1:" + std::to_string(port_); }

}  // namespace testserver
