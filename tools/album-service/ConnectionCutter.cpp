#include "tools/album-service/ConnectionCutter.h"

#include <dirent.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace albumservice {
namespace {

// The inode of the socket with these ports in a /proc/net/tcp-style table
// ("sl local_address rem_address st ... inode"), 0 when absent.
unsigned long FindInode(const char* table, int local_port, int remote_port) {
  std::ifstream in(table);
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout;
    unsigned long inode = 0;
    if (!(fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >> timeout >>
          inode))
      continue;
    auto port_of = [](const std::string& address) {
      size_t colon = address.rfind(':');
      return colon == std::string::npos
                 ? -1
                 : static_cast<int>(std::strtol(address.c_str() + colon + 1, nullptr, 16));
    };
    if (port_of(local) == local_port && port_of(remote) == remote_port && inode != 0) return inode;
  }
  return 0;
}

}  // namespace

bool CutConnection(int local_port, int remote_port) {
  unsigned long inode = FindInode("/proc/net/tcp", local_port, remote_port);
  if (inode == 0) inode = FindInode("/proc/net/tcp6", local_port, remote_port);
  if (inode == 0) return false;
  // NOTE: only link names are read here, no other descriptor is touched:
  // other threads may be closing their own connections meanwhile.
  std::string wanted = "socket:[" + std::to_string(inode) + "]";
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return false;
  bool cut = false;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
    char target[64];
    std::string link = std::string("/proc/self/fd/") + entry->d_name;
    ssize_t size = readlink(link.c_str(), target, sizeof target - 1);
    if (size <= 0 || std::string(target, static_cast<size_t>(size)) != wanted) continue;
    cut = shutdown(std::atoi(entry->d_name), SHUT_RDWR) == 0;
    break;
  }
  closedir(dir);
  return cut;
}

}  // namespace albumservice
