#include "tools/album-service/ConnectionCutter.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

namespace albumservice {
namespace {

int PortOf(const sockaddr_storage& address) {
  if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
  if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
  return -1;
}

bool Matches(int fd, int local_port, int remote_port) {
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISSOCK(info.st_mode)) return false;
  sockaddr_storage local{}, peer{};
  socklen_t local_size = sizeof local, peer_size = sizeof peer;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &local_size) != 0) return false;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peer_size) != 0) return false;
  return PortOf(local) == local_port && PortOf(peer) == remote_port;
}

}  // namespace

bool CutConnection(int local_port, int remote_port) {
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return false;
  bool cut = false;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
    int fd = std::atoi(entry->d_name);
    if (fd == dirfd(dir) || !Matches(fd, local_port, remote_port)) continue;
    shutdown(fd, SHUT_RDWR);
    cut = true;
  }
  closedir(dir);
  return cut;
}

}  // namespace albumservice
