#include "platform/system/SpecialFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <vector>

#include "platform/system/Environment.h"

namespace platform {
namespace {

bool IsFolder(const std::string& path) {
  struct stat info {};
  return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// An XDG variable counts only when it holds an absolute path; relative ones
// are to be ignored, as the base-directory rules say.
std::string XdgFolder(const char* variable, const char* fallback_below_home) {
  std::string value = GetEnv(variable);
  if (!value.empty() && value[0] == '/') return WithoutTrailingSlash(value);
  std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/" + fallback_below_home;
}

// The pictures entry of user-dirs.dirs: XDG_PICTURES_DIR="$HOME/Pictures" or an
// absolute path in double quotes.
std::string PicturesFromUserDirs(const std::string& home) {
  std::ifstream in(ConfigFolder() + "/user-dirs.dirs");
  const std::string key = "XDG_PICTURES_DIR=";
  std::string line;
  while (std::getline(in, line)) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
    std::string value = line.substr(start + key.size());
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
      value.pop_back();
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') return std::string();
    value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    if (value.empty() || value[0] != '/') return std::string();
    return WithoutTrailingSlash(value);
  }
  return std::string();
}

}  // namespace

std::string HomeFolder() {
  std::string home = GetEnv("HOME");
  if (!home.empty()) return WithoutTrailingSlash(home);
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr)
    return WithoutTrailingSlash(found->pw_dir);
  return std::string();
}

std::string AppDataFolder() { return XdgFolder("XDG_DATA_HOME", ".local/share"); }

std::string ConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }

std::string ProductUserFolder() {
  std::string data = AppDataFolder();
  return data.empty() ? std::string() : data + "/JQMarlin";
}

std::string PicturesFolder() {
  std::string value = GetEnv("XDG_PICTURES_DIR");
  if (!value.empty() && value[0] == '/') return WithoutTrailingSlash(value);
  std::string home = HomeFolder();
  std::string listed = PicturesFromUserDirs(home);
  if (!listed.empty()) return listed;
  if (IsFolder(home + "/Pictures")) return home + "/Pictures";
  return home;
}

std::string TempFolder() {
  std::string folder = GetEnv("TMPDIR");
  if (folder.empty() || folder[0] != '/' || !IsFolder(folder)) folder = "/tmp";
  if (folder.back() != '/') folder += '/';
  return folder;
}

std::string ExecutablePath() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return std::string();
    if (static_cast<size_t>(length) < buffer.size())
      return std::string(buffer.data(), static_cast<size_t>(length));
    if (buffer.size() >= (1u << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

std::string ExecutableFolder() {
  std::string path = ExecutablePath();
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace platform
